#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/custom_list_dialogs.h"

#include <commctrl.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "core/settings_store.h"
#include "platform/win32/browse_for_folder.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "tools/custom_list.h"
#include "ui/main/dialogs.h"
#include "ui/main/res/custom_list_resource.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;
using tools::AddFolderDialog;
using tools::AddRegistryDialog;
using tools::DeletingMode;
using tools::FolderChoice;
using tools::RegistryChoice;

constexpr char kBrowseTitle[] = "Please select the directory to add";
constexpr char kRegistryEditor[] = "Regedit.exe";

std::string ItemText(HWND dialog, int id) {
  const HWND control = ::GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

void SetItemText(HWND dialog, int id, std::string_view text) { ::SetDlgItemTextW(dialog, id, Wide(text).c_str()); }

void Enable(HWND dialog, int id, bool enabled) { ::EnableWindow(::GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

// A name the list would read as another target: the user is told, the dialog stays.
bool RefusedWithMessage(HWND dialog, std::string_view why) {
  if (why.empty()) return false;
  ::MessageBoxW(dialog, Wide(why).c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONINFORMATION);
  return true;
}

void Show(HWND dialog, std::initializer_list<int> ids, bool visible) {
  for (int id : ids) ::ShowWindow(::GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE);
}

// The state a dialog was opened with, bound at WM_INITDIALOG; nullptr before that.
template <typename State>
State* Bound(HWND dialog) {
  return reinterpret_cast<State*>(::GetWindowLongPtrW(dialog, DWLP_USER));
}

template <typename State>
State& Bind(HWND dialog, LPARAM state) {
  ::SetWindowLongPtrW(dialog, DWLP_USER, state);
  return *reinterpret_cast<State*>(state);
}

// --- "Add Registry" ---

struct RegistryDialogState {
  AddRegistryDialog model;
  platform::Shell& shell;
};

int RadioOf(RegistryChoice choice) {
  switch (choice) {
    case RegistryChoice::DeleteKey:
      return IDC_AR_DELETE_KEY;
    case RegistryChoice::DeleteValues:
      return IDC_AR_DELETE_VALUES;
    case RegistryChoice::DeleteValue:
      return IDC_AR_DELETE_VALUE;
  }
  return IDC_AR_DELETE_KEY;
}

void DrawRegistryDialog(HWND dialog, const AddRegistryDialog& model) {
  ::CheckRadioButton(dialog, IDC_AR_DELETE_KEY, IDC_AR_DELETE_VALUE, RadioOf(model.choice()));
  Enable(dialog, IDC_AR_VALUE, model.ValueNameEnabled());
  Enable(dialog, IDOK, model.CanAccept());
}

INT_PTR HandleRegistryDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto& state = Bind<RegistryDialogState>(dialog, lparam);
    // Each text comes back into the model through EN_CHANGE.
    SetItemText(dialog, IDC_AR_KEY, state.model.key());
    SetItemText(dialog, IDC_AR_VALUE, state.model.value_name());
    DrawRegistryDialog(dialog, state.model);
    return TRUE;
  }
  auto* state = Bound<RegistryDialogState>(dialog);
  if (state == nullptr || message != WM_COMMAND) return FALSE;
  AddRegistryDialog& model = state->model;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  switch (id) {
    case IDC_AR_KEY:
      if (code != EN_CHANGE) return FALSE;
      model.SetKey(ItemText(dialog, id));
      break;
    case IDC_AR_VALUE:
      if (code != EN_CHANGE) return FALSE;
      model.SetValueName(ItemText(dialog, id));
      break;
    case IDC_AR_DELETE_KEY:
    case IDC_AR_DELETE_VALUES:
    case IDC_AR_DELETE_VALUE:
      if (code != BN_CLICKED) return FALSE;
      model.SetChoice(id == IDC_AR_DELETE_KEY      ? RegistryChoice::DeleteKey
                      : id == IDC_AR_DELETE_VALUES ? RegistryChoice::DeleteValues
                                                   : RegistryChoice::DeleteValue);
      break;
    case IDC_AR_REGEDIT:
      // Nothing to tell when the editor cannot be started: the dialog goes on.
      (void)state->shell.Open(kRegistryEditor);
      return TRUE;
    case IDOK:
      if (model.CanAccept() && !RefusedWithMessage(dialog, model.Refusal())) ::EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
  DrawRegistryDialog(dialog, model);
  return TRUE;
}

INT_PTR CALLBACK RegistryDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return HandleRegistryDialog(dialog, message, wparam, lparam); });
}

// The entry, or nothing when cancelled.
std::optional<std::string> RunRegistryDialog(HINSTANCE instance, HWND owner, AddRegistryDialog start,
                                             platform::Shell& shell) {
  RegistryDialogState state{std::move(start), shell};
  const INT_PTR result = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ADD_REGISTRY), owner, RegistryDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.model.Entry();
}

// --- "Add File and Folder" ---

struct FolderDialogState {
  AddFolderDialog model;
  std::optional<std::vector<std::string>> listed;  // what lbFile shows
};

void DrawFileList(HWND dialog, FolderDialogState& state) {
  const HWND list = ::GetDlgItem(dialog, IDC_AF_FILES);
  const std::vector<std::string>& names = state.model.file_names();
  if (state.listed != names) {
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    state.listed = names;
  }
  const auto selected = state.model.selected_file();
  ::SendMessageW(list, LB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : static_cast<WPARAM>(-1), 0);
}

void DrawFolderDialog(HWND dialog, FolderDialogState& state) {
  const AddFolderDialog& model = state.model;
  const bool single = model.FileGroupVisible();
  ::CheckRadioButton(dialog, IDC_AF_SINGLE, IDC_AF_MULTIPLE, single ? IDC_AF_SINGLE : IDC_AF_MULTIPLE);
  ::CheckRadioButton(dialog, IDC_AF_WHOLE, IDC_AF_WILDCARD,
                     model.deleting_mode() == DeletingMode::WholeFolder ? IDC_AF_WHOLE : IDC_AF_WILDCARD);
  Show(dialog, {IDC_AF_FILE_GROUP, IDC_AF_FILES}, single);
  Show(dialog, {IDC_AF_MODE_GROUP, IDC_AF_WHOLE, IDC_AF_WILDCARD, IDC_AF_PATTERN, IDC_AF_PATTERN_HINT}, !single);
  DrawFileList(dialog, state);
  Enable(dialog, IDOK, model.CanAccept());
}

INT_PTR HandleFolderDialog(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto& state = Bind<FolderDialogState>(dialog, lparam);
    SetItemText(dialog, IDC_AF_PATTERN, state.model.pattern());
    DrawFolderDialog(dialog, state);
    return TRUE;
  }
  auto* state = Bound<FolderDialogState>(dialog);
  if (state == nullptr || message != WM_COMMAND) return FALSE;
  AddFolderDialog& model = state->model;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  switch (id) {
    case IDC_AF_FOLDER:
      if (code != EN_CHANGE) return FALSE;
      model.SetFolder(ItemText(dialog, id));
      break;
    case IDC_AF_BROWSE: {
      const auto chosen = platform::win32::BrowseForFolder(dialog, kBrowseTitle);
      if (!chosen) return TRUE;
      SetItemText(dialog, IDC_AF_FOLDER, *chosen);
      model.FolderBrowsed(*chosen);
      break;
    }
    case IDC_AF_SINGLE:
    case IDC_AF_MULTIPLE:
      if (code != BN_CLICKED) return FALSE;
      model.SetChoice(id == IDC_AF_SINGLE ? FolderChoice::SingleFile : FolderChoice::MultipleFiles);
      break;
    case IDC_AF_FILES: {
      if (code != LBN_SELCHANGE) return FALSE;
      const LRESULT row = ::SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0);
      model.SelectFile(row == LB_ERR ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
      break;
    }
    case IDC_AF_WHOLE:
    case IDC_AF_WILDCARD:
      if (code != BN_CLICKED) return FALSE;
      model.SetDeletingMode(id == IDC_AF_WHOLE ? DeletingMode::WholeFolder : DeletingMode::Wildcard);
      break;
    case IDC_AF_PATTERN:
      if (code != EN_CHANGE) return FALSE;
      model.SetPattern(ItemText(dialog, id));
      break;
    case IDOK:
      if (model.CanAccept() && !RefusedWithMessage(dialog, model.Refusal())) ::EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
  DrawFolderDialog(dialog, *state);
  return TRUE;
}

INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return HandleFolderDialog(dialog, message, wparam, lparam); });
}

std::optional<std::string> RunFolderDialog(HINSTANCE instance, HWND owner, platform::Files& files) {
  FolderDialogState state{AddFolderDialog(files), std::nullopt};
  state.model.SetChoice(FolderChoice::SingleFile);
  const INT_PTR result = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ADD_FOLDER), owner, FolderDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return std::nullopt;
  return state.model.Entry();
}

// --- "Edit Custom Item" ---

struct EditorState {
  tools::CustomListEditor model;
  HINSTANCE instance;
  platform::Platform platform;
  bool drawing_rows = false;  // selection changes we make ourselves are not the user's
};

void DrawEditorButtons(HWND dialog, const tools::CustomListEditor& model) {
  Enable(dialog, IDC_CL_EDIT, model.CanEdit());
  Enable(dialog, IDC_CL_REMOVE, model.CanRemove());
  Enable(dialog, IDOK, model.CanAccept());
}

void DrawEditorRows(HWND dialog, EditorState& state) {
  const HWND list = ::GetDlgItem(dialog, IDC_CL_CONTENT);
  state.drawing_rows = true;
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  const auto& rows = state.model.rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::wstring text = Wide(rows[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (const auto selected = state.model.selection()) {
    const int row = static_cast<int>(*selected);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
  state.drawing_rows = false;
  DrawEditorButtons(dialog, state.model);
}

void SetUpContentList(HWND dialog) {
  const HWND list = ::GetDlgItem(dialog, IDC_CL_CONTENT);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  RECT client{};
  ::GetClientRect(list, &client);
  // Room for a vertical scroll bar, so that a long list never needs a horizontal one.
  const int width = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
  wchar_t title[] = L"Content";
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = title;
  column.cx = width > 0 ? width : client.right;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void EditSelectedRow(HWND dialog, EditorState& state) {
  auto start = state.model.EditSelected();
  if (!start) return;
  if (auto entry = RunRegistryDialog(state.instance, dialog, std::move(*start), state.platform.shell)) {
    state.model.ReplaceSelected(std::move(*entry));
    DrawEditorRows(dialog, state);
  }
}

void SaveAndClose(HWND dialog, EditorState& state) {
  if (!state.model.CanAccept()) return;
  const platform::Status saved = state.model.Save();
  if (saved) {
    ::EndDialog(dialog, IDOK);
    return;
  }
  // The rows stay in the editor, so the user can try again or cancel.
  const std::wstring text = L"The custom list could not be saved to " + Wide(state.model.file()) + L" (error " +
                            std::to_wstring(saved.code()) + L").";
  ::MessageBoxW(dialog, text.c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT OnEditorNotify(HWND dialog, EditorState& state, const NMHDR& header) {
  if (header.idFrom != IDC_CL_CONTENT) return FALSE;
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (state.drawing_rows || !(change.uChanged & LVIF_STATE) ||
        ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0) {
      return FALSE;
    }
    const int row = ListView_GetNextItem(header.hwndFrom, -1, LVNI_SELECTED);
    state.model.Select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
    DrawEditorButtons(dialog, state.model);
    return TRUE;
  }
  if (header.code == NM_DBLCLK) {
    const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
    if (activate.iItem >= 0 && state.model.selection() == static_cast<std::size_t>(activate.iItem)) {
      EditSelectedRow(dialog, state);
    }
    return TRUE;
  }
  return FALSE;
}

INT_PTR HandleEditor(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto& state = Bind<EditorState>(dialog, lparam);
    ::SetWindowTextW(dialog, L"Edit Custom Item");
    SetUpContentList(dialog);
    state.model.Load();
    DrawEditorRows(dialog, state);
    return TRUE;
  }
  auto* state = Bound<EditorState>(dialog);
  if (state == nullptr) return FALSE;
  if (message == WM_NOTIFY) {
    return OnEditorNotify(dialog, *state, *reinterpret_cast<const NMHDR*>(lparam));
  }
  if (message != WM_COMMAND || HIWORD(wparam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wparam)) {
    case IDC_CL_ADD_FOLDER:
      if (auto entry = RunFolderDialog(state->instance, dialog, state->platform.files)) {
        state->model.Append(std::move(*entry));
        DrawEditorRows(dialog, *state);
      }
      return TRUE;
    case IDC_CL_ADD_REGISTRY:
      if (auto entry = RunRegistryDialog(state->instance, dialog, AddRegistryDialog(), state->platform.shell)) {
        state->model.Append(std::move(*entry));
        DrawEditorRows(dialog, *state);
      }
      return TRUE;
    case IDC_CL_EDIT:
      EditSelectedRow(dialog, *state);
      return TRUE;
    case IDC_CL_REMOVE:
      state->model.RemoveSelected();
      DrawEditorRows(dialog, *state);
      return TRUE;
    case IDOK:
      SaveAndClose(dialog, *state);
      return TRUE;
    case IDCANCEL:
      ::EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK EditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return ShowingErrors<INT_PTR>(dialog, FALSE, [&] { return HandleEditor(dialog, message, wparam, lparam); });
}

}  // namespace

void ShowCustomListEditor(HINSTANCE instance, HWND owner, platform::Platform platform,
                          const std::string& program_folder) {
  EditorState state{tools::CustomListEditor(platform.ini, tools::CustomListFile(program_folder)), instance, platform};
  if (::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CUSTOM_LIST), owner, EditorProc,
                        reinterpret_cast<LPARAM>(&state)) == -1) {
    ShowUnexpectedError(owner, "the custom list editor could not be opened");
  }
}

void ShowCustomListEditor(HINSTANCE instance, HWND owner) {
  platform::win32::Win32Platform backend;
  const platform::Platform platform = backend.platform();
  ShowCustomListEditor(instance, owner, platform, core::ProgramFolderOf(platform.system));
}

}  // namespace norvik::ui
