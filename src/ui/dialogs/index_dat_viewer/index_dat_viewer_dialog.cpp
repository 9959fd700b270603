#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/index_dat_viewer/index_dat_viewer_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "app/dialogs/index_dat_viewer.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/index_dat_viewer/index_dat_viewer_ids.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

class IndexDatViewerDialog;
// The open viewer, for the message filter that sees its keys first.
IndexDatViewerDialog* g_open_viewer = nullptr;

class IndexDatViewerDialog final : public DialogBase, public app::dialogs::IndexDatViewerView {
 public:
  IndexDatViewerDialog(platform::Platform platform, bool is_wipe_file, int wipe_number)
      : viewer_(*this, platform, is_wipe_file, wipe_number) {}

  // Ctrl+Alt+S reveals "&Delete", whichever control has the focus.
  static LRESULT CALLBACK KeyFilter(int code, WPARAM wparam, LPARAM lparam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    const bool key = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    if (code == MSGF_DIALOGBOX && g_open_viewer && key && msg->wParam == 'S' && (::GetKeyState(VK_CONTROL) & 0x8000) &&
        (::GetKeyState(VK_MENU) & 0x8000)) {
      g_open_viewer->viewer_.RevealDelete();
      return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  // IndexDatViewerView
  std::string FileName() override { return ItemText(IDC_IDV_FILE_NAME); }
  void SetFileName(std::string_view name) override { SetItemText(IDC_IDV_FILE_NAME, name); }
  void SetRowCount(std::size_t rows) override {
    ::SendMessageW(List(), LVM_SETITEMCOUNT, rows, LVSICF_NOINVALIDATEALL);
    ::InvalidateRect(List(), nullptr, TRUE);
  }
  void SetTotalRecords(std::string_view text) override { SetItemText(IDC_IDV_TOTAL, text); }
  void ShowProgressBar() override {
    Show({IDC_IDV_SEPARATOR}, false);
    Show({IDC_IDV_PROGRESS}, true);
  }
  void SetProgress(int percent) override {
    ::SendDlgItemMessageW(hwnd(), IDC_IDV_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    // One pending message, so the window keeps answering while a large file lists.
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  void ShowDeleteButton() override { Show({IDC_IDV_DELETE}, true); }
  void ShowWrongName(std::string_view text) override {
    ::MessageBoxW(hwnd(), Wide(text).c_str(), Wide(app::dialogs::kIndexDatViewerCaption).c_str(), MB_OK);
    ::SetFocus(::GetDlgItem(hwnd(), IDC_IDV_FILE_NAME));
  }

 private:
  HWND List() const { return ::GetDlgItem(hwnd(), IDC_IDV_LIST); }

  INT_PTR OnInitDialog() override {
    ::SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    AddColumn(0, L"URL", 380);
    AddColumn(1, L"Last Modified", 120);
    ::SendDlgItemMessageW(hwnd(), IDC_IDV_PROGRESS, PBM_SETRANGE32, 0, 100);
    g_open_viewer = this;
    hook_ = ::SetWindowsHookExW(WH_MSGFILTER, KeyFilter, nullptr, ::GetCurrentThreadId());
    viewer_.Open();
    return TRUE;
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_DESTROY) {
      if (hook_) ::UnhookWindowsHookEx(hook_);
      g_open_viewer = nullptr;
      return FALSE;
    }
    if (message == WM_NOTIFY) return OnNotify(*reinterpret_cast<NMHDR*>(lparam));
    if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wparam)) {
      case IDC_IDV_SHOW:
        viewer_.ShowClick();
        return TRUE;
      case IDC_IDV_DELETE:
        viewer_.DeleteClick();
        return TRUE;
      case IDC_IDV_MORE:
        viewer_.MoreInfoClick();
        return TRUE;
      case IDC_IDV_BROWSE:
        Browse();
        return TRUE;
      default:
        return EndsDialog(LOWORD(wparam), false) ? TRUE : FALSE;
    }
  }

  INT_PTR OnNotify(NMHDR& header) {
    if (header.idFrom != IDC_IDV_LIST) return FALSE;
    if (header.code == LVN_GETDISPINFOW) {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
      if (item.mask & LVIF_TEXT) {
        const auto row = static_cast<std::size_t>(item.iItem);
        cell_ = Wide(item.iSubItem == 0 ? viewer_.RowAddress(row) : viewer_.RowTime(row));
        item.pszText = cell_.data();
      }
      return TRUE;
    }
    if (header.code == NM_DBLCLK) {
      const int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
      if (row >= 0) viewer_.OpenRow(static_cast<std::size_t>(row));
      return TRUE;
    }
    return FALSE;
  }

  void AddColumn(int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    ::SendMessageW(List(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
  }

  void Browse() {
    std::wstring file(MAX_PATH * 4, L'\0');
    static constexpr wchar_t kFilter[] = L"Index dat file(*.dat)\0*.DAT\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameW(&ofn)) SetFileName(Narrow(file.c_str()));
  }

  app::dialogs::IndexDatViewer viewer_;
  HHOOK hook_ = nullptr;
  std::wstring cell_;
};

}  // namespace

void ShowIndexDatViewer(HINSTANCE instance, HWND owner, platform::Platform platform, bool is_wipe_file,
                        int wipe_number) {
  IndexDatViewerDialog dialog(platform, is_wipe_file, wipe_number);
  dialog.RunModal(instance, owner, IDD_INDEX_DAT_VIEWER);
}

}  // namespace norvik::ui
