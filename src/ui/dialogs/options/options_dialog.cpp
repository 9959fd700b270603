#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/options/options_dialog.h"

#include <commctrl.h>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/product.h"
#include "platform/win32/browse_for_folder.h"
#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/dialogs/ignore_entry/ignore_entry_dialog.h"
#include "ui/dialogs/options/options_ids.h"
#include "ui/main/gdi_owners.h"
#include "ui/main/subclass.h"

namespace norvik::ui {
namespace {

using app::dialogs::IgnorePage;
using app::dialogs::OptionsControls;
using app::dialogs::OptionsDialog;
using platform::win32::Narrow;
using platform::win32::Wide;

struct CheckBox {
  int id;
  bool OptionsControls::* member;
};
constexpr CheckBox kCheckBoxes[] = {
    {IDC_OPT_AUTO_START, &OptionsControls::auto_start},
    {IDC_OPT_ASK_CLEAR, &OptionsControls::ask_clear},
    {IDC_OPT_WIPE_FILE, &OptionsControls::wipe_file},
    {IDC_OPT_DELETE_BACKUP, &OptionsControls::delete_backup_file},
    {IDC_OPT_REMOVE_MEDIA, &OptionsControls::ignore_remove_media},
    {IDC_OPT_CD_DRIVE, &OptionsControls::include_cd_drive},
    {IDC_OPT_RESTORE_POINT, &OptionsControls::create_restore},
    {IDC_OPT_FAST_SCAN, &OptionsControls::fast_scan},
    {IDC_OPT_LOG_TIF, &OptionsControls::log_temp_internet_files},
    {IDC_OPT_LOG_RECYCLE, &OptionsControls::log_recycle_bin},
    {IDC_OPT_AUTO_WASH, &OptionsControls::auto_wash},
    {IDC_OPT_START_WASH, &OptionsControls::start_wash},
    {IDC_OPT_SHUTDOWN_WASH, &OptionsControls::shutdown_wash},
    {IDC_OPT_USE_BOSS, &OptionsControls::use_boss_key},
    {IDC_OPT_IE, &OptionsControls::ie},
    {IDC_OPT_NETSCAPE, &OptionsControls::netscape},
    {IDC_OPT_FIREFOX, &OptionsControls::firefox},
    {IDC_OPT_OPERA, &OptionsControls::opera},
};

constexpr const wchar_t* kPageNames[] = {L"Common", L"Cookies", L"Schedule", L"Boss Key", L"Ignore Lists"};
constexpr int kCommonPage = 0;
// The controls of each page, in tab order.
const std::vector<int> kPageControls[] = {
    {IDC_OPT_AUTO_START, IDC_OPT_ASK_CLEAR, IDC_OPT_WIPE_FILE, IDC_OPT_WIPE_NUMBER, IDC_OPT_DELETE_BACKUP,
     IDC_OPT_REMOVE_MEDIA, IDC_OPT_CD_DRIVE, IDC_OPT_RESTORE_POINT, IDC_OPT_FAST_SCAN, IDC_OPT_LOG_TIF,
     IDC_OPT_LOG_RECYCLE, IDC_OPT_FOLDER_GROUP, IDC_OPT_OUTPUT_FOLDER, IDC_OPT_BROWSE},
    {IDC_OPT_DELETE_LABEL, IDC_OPT_TO_DELETE, IDC_OPT_KEEP_LABEL, IDC_OPT_TO_KEEP, IDC_OPT_KEEP, IDC_OPT_UNKEEP,
     IDC_OPT_KEEP_ALL, IDC_OPT_UNKEEP_ALL, IDC_OPT_VIEW},
    {IDC_OPT_AUTO_WASH, IDC_OPT_INTERVAL_GROUP, IDC_OPT_INTERVAL0, IDC_OPT_INTERVAL1, IDC_OPT_INTERVAL2,
     IDC_OPT_INTERVAL3, IDC_OPT_INTERVAL4, IDC_OPT_START_WASH, IDC_OPT_SHUTDOWN_WASH},
    {IDC_OPT_NO_BOSS, IDC_OPT_USE_BOSS, IDC_OPT_HOTKEY, IDC_OPT_BROWSER_GROUP, IDC_OPT_IE, IDC_OPT_NETSCAPE,
     IDC_OPT_FIREFOX, IDC_OPT_OPERA},
    {IDC_OPT_IGNORE_LABEL, IDC_OPT_IGNORE_TABS, IDC_OPT_IGNORE_VALUES, IDC_OPT_IGNORE_KEYS, IDC_OPT_IGNORE_ADD,
     IDC_OPT_IGNORE_EDIT, IDC_OPT_IGNORE_REMOVE},
};
constexpr int kIgnorePage = 4;

// The colour a tab control fills its pages with: a theme may paint them lighter than the
// dialog, so it is read from the control's own drawing rather than assumed.
COLORREF TabBodyColour(HWND tabs) {
  RECT page{};
  ::GetClientRect(tabs, &page);
  TabCtrl_AdjustRect(tabs, FALSE, &page);
  const HDC screen = ::GetDC(tabs);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, page.right, page.bottom);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  COLORREF colour = ::GetPixel(memory, (page.left + page.right) / 2, (page.top + page.bottom) / 2);
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(tabs, screen);
  return colour == CLR_INVALID ? ::GetSysColor(COLOR_BTNFACE) : colour;
}

class OptionsWindow final : public DialogBase, public app::dialogs::HotkeyProbe {
 public:
  explicit OptionsWindow(OptionsDialog& model) : model_(model) {}

 private:
  // Hotkey test: a registration for this window under the test atom, let go at once.
  bool AddAtom() override {
    atom_ = ::GlobalAddAtomW(Wide(app::dialogs::kHotkeyTestAtom).c_str());
    return atom_ != 0;
  }
  bool TryRegister(unsigned modifiers, std::uint16_t key) override {
    if (!::RegisterHotKey(hwnd(), atom_, modifiers, key)) return false;
    ::UnregisterHotKey(hwnd(), atom_);
    return true;
  }
  void DeleteAtom() override { ::GlobalDeleteAtom(atom_); }

  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }
  bool Checked(int id) const { return ::IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }
  void Check(int id, bool on) const { ::CheckDlgButton(hwnd(), id, on ? BST_CHECKED : BST_UNCHECKED); }

  void ShowPage(int page) {
    for (int p = 0; p < static_cast<int>(std::size(kPageControls)); ++p) {
      for (int id : kPageControls[p]) ::ShowWindow(Item(id), p == page ? SW_SHOW : SW_HIDE);
    }
    if (page == kIgnorePage) ShowIgnorePage();
    TabCtrl_SetCurSel(Item(IDC_OPT_TABS), page);
  }

  IgnorePage VisibleIgnorePage() const {
    return TabCtrl_GetCurSel(Item(IDC_OPT_IGNORE_TABS)) == 1 ? IgnorePage::Keys : IgnorePage::Values;
  }
  int IgnoreListId(IgnorePage page) const { return page == IgnorePage::Keys ? IDC_OPT_IGNORE_KEYS : IDC_OPT_IGNORE_VALUES; }
  void ShowIgnorePage() {
    const IgnorePage page = VisibleIgnorePage();
    ::ShowWindow(Item(IDC_OPT_IGNORE_VALUES), page == IgnorePage::Values ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Item(IDC_OPT_IGNORE_KEYS), page == IgnorePage::Keys ? SW_SHOW : SW_HIDE);
  }

  void DrawControls() {
    const OptionsControls& c = model_.controls();
    for (const CheckBox& box : kCheckBoxes) Check(box.id, c.*box.member);
    Check(IDC_OPT_NO_BOSS, !c.use_boss_key);
    ::SendMessageW(Item(IDC_OPT_WIPE_NUMBER), CB_SETCURSEL, c.wipe_index, 0);
    SetItemText(IDC_OPT_OUTPUT_FOLDER, c.output_folder);
    for (int i = 0; i < 5; ++i) Check(IDC_OPT_INTERVAL0 + i, i == c.interval_index);
    DrawHotkey();
    DrawSchedule();
    DrawWipeHint();
  }
  void DrawHotkey() { SetItemText(IDC_OPT_HOTKEY, model_.controls().hotkey_text); }
  void DrawSchedule() {
    for (int i = 0; i < 5; ++i) Enable(IDC_OPT_INTERVAL0 + i, model_.IntervalsEnabled());
  }
  void DrawWipeHint() {
    ::SendMessageW(tooltip_, TTM_ACTIVATE, model_.WipeHintEnabled(), 0);
    // Checking the box shows the hint at once.
    if (model_.WipeHintEnabled()) ::SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
  }

  void ReadControls() {
    OptionsControls& c = model_.controls();
    for (const CheckBox& box : kCheckBoxes) c.*box.member = Checked(box.id);
    const LRESULT wipe = ::SendMessageW(Item(IDC_OPT_WIPE_NUMBER), CB_GETCURSEL, 0, 0);
    c.wipe_index = wipe == CB_ERR ? 0 : static_cast<int>(wipe);
    c.output_folder = ItemText(IDC_OPT_OUTPUT_FOLDER);
    for (int i = 0; i < 5; ++i) {
      if (Checked(IDC_OPT_INTERVAL0 + i)) c.interval_index = i;
    }
    for (IgnorePage page : {IgnorePage::Values, IgnorePage::Keys}) {
      auto& rows = model_.ignore_rows(page);
      for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].checked = ListView_GetCheckState(Item(IgnoreListId(page)), static_cast<int>(i)) != 0;
      }
    }
  }

  static void FillListBox(HWND list, const std::vector<std::string>& rows, std::optional<std::size_t> selected) {
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const auto& row : rows) ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row).c_str()));
    ::SendMessageW(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
  }
  void DrawCookies() {
    FillListBox(Item(IDC_OPT_TO_DELETE), model_.cookies_to_delete(), model_.delete_selection());
    FillListBox(Item(IDC_OPT_TO_KEEP), model_.cookies_to_keep(), model_.keep_selection());
  }
  static std::optional<std::size_t> ListBoxSelection(HWND list) {
    const LRESULT row = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    return row == LB_ERR ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row));
  }

  void DrawIgnoreList(IgnorePage page) {
    const HWND list = Item(IgnoreListId(page));
    ListView_DeleteAllItems(list);
    const auto& rows = model_.ignore_rows(page);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::wstring text = Wide(rows[i].text);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = text.data();
      ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      ListView_SetCheckState(list, static_cast<int>(i), rows[i].checked);
    }
  }
  void SetUpIgnoreList(int id) {
    const HWND list = Item(id);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(list, &client);
    wchar_t title[] = L"Items";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }

  void EditIgnoreRow(bool add) {
    ReadControls();
    const IgnorePage page = VisibleIgnorePage();
    auto& rows = model_.ignore_rows(page);
    const int selected = ListView_GetNextItem(Item(IgnoreListId(page)), -1, LVNI_SELECTED);
    if (!add && (selected < 0 || static_cast<std::size_t>(selected) >= rows.size())) return;
    auto text = RunIgnoreEntryDialog(instance(), hwnd(), model_.NewIgnoreEntry(add ? "" : rows[selected].text));
    if (!text) return;
    if (add) {
      model_.AddIgnoreRow(page, std::move(*text));
    } else {
      rows[selected].text = std::move(*text);
    }
    DrawIgnoreList(page);
  }

  static LRESULT HotkeyProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, void* self) {
    auto& window = *static_cast<OptionsWindow*>(self);
    switch (message) {
      case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        window.model_.HotkeyKeyDown(static_cast<std::uint16_t>(wparam), ::GetKeyState(VK_CONTROL) < 0,
                                    ::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_MENU) < 0);
        window.DrawHotkey();
        return 0;
      case WM_CHAR:
      case WM_SYSCHAR:
        return 0;  // the edit shows only what the capture writes
      default:
        return CallOriginalProc(edit, message, wparam, lparam);
    }
  }

  INT_PTR OnInitDialog() override {
    const HWND tabs = Item(IDC_OPT_TABS);
    for (int i = 0; i < static_cast<int>(std::size(kPageNames)); ++i) {
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = const_cast<wchar_t*>(kPageNames[i]);
      ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
    const HWND ignore_tabs = Item(IDC_OPT_IGNORE_TABS);
    for (int i = 0; i < 2; ++i) {
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = const_cast<wchar_t*>(i == 0 ? L"Values" : L"Keys");
      ::SendMessageW(ignore_tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
    body_colour_ = TabBodyColour(tabs);
    body_brush_.reset(::CreateSolidBrush(body_colour_));
    for (int i = 1; i <= 10; ++i) {
      ::SendMessageW(Item(IDC_OPT_WIPE_NUMBER), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(i).c_str()));
    }
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance(), nullptr);
    hint_ = Wide(app::dialogs::kWipeFileHint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_OPT_WIPE_FILE));
    tool.lpszText = hint_.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetUpIgnoreList(IDC_OPT_IGNORE_VALUES);
    SetUpIgnoreList(IDC_OPT_IGNORE_KEYS);
    Subclass(Item(IDC_OPT_HOTKEY), &OptionsWindow::HotkeyProc, this);

    DrawControls();
    DrawCookies();
    DrawIgnoreList(IgnorePage::Values);
    DrawIgnoreList(IgnorePage::Keys);
    ShowPage(kCommonPage);
    return TRUE;
  }

  void Accept() {
    ReadControls();
    const app::dialogs::OkOutcome outcome = model_.Ok(*this);
    DrawHotkey();  // a refused hotkey is back to its old text
    if (!outcome.error.empty()) {
      ::MessageBoxW(hwnd(), Wide(outcome.error).c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONERROR);
    }
    if (outcome.focus_output_folder) {
      ShowPage(kCommonPage);
      ::SetFocus(Item(IDC_OPT_OUTPUT_FOLDER));
    }
    if (outcome.close) ::EndDialog(hwnd(), IDOK);
  }

  void ViewCookie() {
    model_.SelectToDelete(ListBoxSelection(Item(IDC_OPT_TO_DELETE)));
    const auto selected = model_.delete_selection();
    if (!selected) return;
    const std::string name = model_.cookies_to_delete()[*selected];
    if (auto text = model_.ViewSelectedCookie()) {
      ::MessageBoxW(hwnd(), Wide(*text).c_str(), Wide(name).c_str(), MB_OK | MB_ICONINFORMATION);
    }
  }

  // The cookie buttons and double clicks: the list boxes' selections first.
  void MoveCookies(void (OptionsDialog::*move)()) {
    model_.SelectToDelete(ListBoxSelection(Item(IDC_OPT_TO_DELETE)));
    model_.SelectToKeep(ListBoxSelection(Item(IDC_OPT_TO_KEEP)));
    (model_.*move)();
    DrawCookies();
  }

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if ((message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) && body_brush_) {
      // The pages' labels, boxes and buttons lie on the tab's body: they take its colour.
      const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (id == IDOK || id == IDCANCEL) return FALSE;
      ::SetBkColor(reinterpret_cast<HDC>(wparam), body_colour_);
      return reinterpret_cast<INT_PTR>(body_brush_.get());
    }
    if (message == WM_NOTIFY) {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.code != TCN_SELCHANGE) return FALSE;
      if (header.idFrom == IDC_OPT_TABS) ShowPage(TabCtrl_GetCurSel(header.hwndFrom));
      if (header.idFrom == IDC_OPT_IGNORE_TABS) ShowIgnorePage();
      return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (code == LBN_DBLCLK && id == IDC_OPT_TO_DELETE) MoveCookies(&OptionsDialog::KeepSelected);
    if (code == LBN_DBLCLK && id == IDC_OPT_TO_KEEP) MoveCookies(&OptionsDialog::DeleteSelected);
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
      case IDC_OPT_AUTO_WASH:
        model_.controls().auto_wash = Checked(id);
        DrawSchedule();
        return TRUE;
      case IDC_OPT_WIPE_FILE:
        model_.controls().wipe_file = Checked(id);
        DrawWipeHint();
        return TRUE;
      case IDC_OPT_BROWSE:
        if (auto folder = platform::win32::BrowseForFolder(hwnd(), app::dialogs::kBrowseFolderTitle)) {
          SetItemText(IDC_OPT_OUTPUT_FOLDER, *folder);
        }
        return TRUE;
      case IDC_OPT_KEEP:
        MoveCookies(&OptionsDialog::KeepSelected);
        return TRUE;
      case IDC_OPT_UNKEEP:
        MoveCookies(&OptionsDialog::DeleteSelected);
        return TRUE;
      case IDC_OPT_KEEP_ALL:
        MoveCookies(&OptionsDialog::KeepAll);
        return TRUE;
      case IDC_OPT_UNKEEP_ALL:
        MoveCookies(&OptionsDialog::DeleteAll);
        return TRUE;
      case IDC_OPT_VIEW:
        ViewCookie();
        return TRUE;
      case IDC_OPT_IGNORE_ADD:
        EditIgnoreRow(true);
        return TRUE;
      case IDC_OPT_IGNORE_EDIT:
        EditIgnoreRow(false);
        return TRUE;
      case IDC_OPT_IGNORE_REMOVE:
        ReadControls();
        model_.RemoveCheckedIgnoreRows(VisibleIgnorePage());
        DrawIgnoreList(VisibleIgnorePage());
        return TRUE;
      case IDOK:
        Accept();
        return TRUE;
      default:
        return EndsDialog(id, false) ? TRUE : FALSE;
    }
  }

  OptionsDialog& model_;
  COLORREF body_colour_ = 0;
  unique_gdi body_brush_;
  ATOM atom_ = 0;
  HWND tooltip_ = nullptr;
  std::wstring hint_;
};

}  // namespace

bool RunOptionsDialog(HINSTANCE instance, HWND owner, OptionsDialog& model) {
  OptionsWindow dialog(model);
  const INT_PTR result = dialog.RunModal(instance, owner, IDD_OPTIONS);
  if (result == -1) ShowUnexpectedError(owner, "the options dialog could not be opened");
  return result == IDOK;
}

}  // namespace norvik::ui
