#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/regedit_navigator.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace norvik::ui {
namespace {

constexpr wchar_t kEditorClass[] = L"RegEdit_RegEdit";
constexpr DWORD kStartWaitMs = 5000;
constexpr int kTextChars = 260;
constexpr UINT kSendTimeoutMs = 2000;

// A buffer inside the editor's process, so that its controls can fill our requests.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD process_id, std::size_t size) : size_(size) {
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (process_ != nullptr) base_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (base_ != nullptr) ::VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_ != nullptr) ::CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  explicit operator bool() const { return base_ != nullptr; }
  char* at(std::size_t offset) const { return static_cast<char*>(base_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return offset + size <= size_ && ::WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(const void* remote, void* data, std::size_t size) const {
    return ::ReadProcessMemory(process_, remote, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_ = nullptr;
  void* base_ = nullptr;
  std::size_t size_;
};

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

// The editor's tree and list may sit inside a child window of its frame.
HWND DescendantOfClass(HWND parent, const wchar_t* window_class) {
  struct Search {
    const wchar_t* window_class;
    HWND found;
  } search{window_class, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND child, LPARAM lparam) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(lparam);
        wchar_t name[64]{};
        ::GetClassNameW(child, name, 64);
        if (::CompareStringOrdinal(name, -1, s.window_class, -1, TRUE) != CSTR_EQUAL) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindOrStartEditor() {
  if (HWND editor = ::FindWindowW(kEditorClass, nullptr)) return editor;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = L"open";
  info.lpFile = L"regedit.exe";
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) return nullptr;
  if (info.hProcess != nullptr) {
    ::WaitForInputIdle(info.hProcess, 200);
    ::CloseHandle(info.hProcess);
  }
  // A slow start must not leave the editor where it opened: look a little longer.
  const DWORD start = ::GetTickCount();
  HWND editor = nullptr;
  while ((editor = ::FindWindowW(kEditorClass, nullptr)) == nullptr && ::GetTickCount() - start < kStartWaitMs) {
    ::Sleep(50);
  }
  return editor;
}

std::wstring ItemText(HWND tree, const RemoteBuffer& buffer, HTREEITEM item) {
  TVITEMW tv{};
  tv.mask = TVIF_HANDLE | TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<wchar_t*>(buffer.at(sizeof(TVITEMW)));
  tv.cchTextMax = kTextChars;
  wchar_t text[kTextChars]{};
  if (!buffer.Write(0, &tv, sizeof tv) || !Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.at(0))) ||
      !buffer.Read(buffer.at(0), &tv, sizeof tv) || !buffer.Read(tv.pszText, text, sizeof text)) {
    return {};
  }
  text[kTextChars - 1] = L'\0';
  return text;
}

// `first` and the items after it on its level.
HTREEITEM SiblingNamed(HWND tree, const RemoteBuffer& buffer, HTREEITEM first, const std::wstring& name) {
  auto child = first;
  for (; child != nullptr;
       child = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
    if (::CompareStringOrdinal(ItemText(tree, buffer, child).c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) {
      return child;
    }
  }
  return nullptr;
}

HTREEITEM ChildNamed(HWND tree, const RemoteBuffer& buffer, HTREEITEM parent, const std::wstring& name) {
  Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
  return SiblingNamed(tree, buffer,
                      reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent))),
                      name);
}

std::vector<std::wstring> Parts(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto end = path.find(L'\\', start);
    const auto part = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return parts;
}

void SelectValue(HWND list, const RemoteBuffer& buffer, const std::wstring& value) {
  const std::size_t text_at = sizeof(LVFINDINFOW);
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = reinterpret_cast<const wchar_t*>(buffer.at(text_at));
  const std::size_t bytes = (value.size() + 1) * sizeof(wchar_t);
  if (!buffer.Write(0, &find, sizeof find) || !buffer.Write(text_at, value.c_str(), bytes)) return;
  const auto index = Send(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer.at(0)));
  if (index < 0) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!buffer.Write(0, &state, sizeof state)) return;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.at(0)));
  Send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

}  // namespace

bool OpenRegistryEditorAt(std::string_view root, std::string_view key, std::string_view value) {
  HWND editor = FindOrStartEditor();
  if (editor == nullptr) return false;
  ::ShowWindow(editor, SW_SHOWMAXIMIZED);
  ::SetForegroundWindow(editor);
  HWND tree = DescendantOfClass(editor, WC_TREEVIEWW);
  if (tree == nullptr) return false;
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(tree, &process_id);
  const RemoteBuffer buffer(process_id, sizeof(TVITEMW) + sizeof(LVFINDINFOW) + (kTextChars + 1) * sizeof(wchar_t) * 2);
  if (!buffer) return false;

  // The roots are top-level items, or children of one that stands for the computer.
  const auto top = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  const std::wstring root_name = platform::win32::Wide(root);
  HTREEITEM item = SiblingNamed(tree, buffer, top, root_name);
  if (item == nullptr && top != nullptr) item = ChildNamed(tree, buffer, top, root_name);
  for (const auto& part : Parts(platform::win32::Wide(key))) {
    if (item == nullptr) return false;
    item = ChildNamed(tree, buffer, item, part);
  }
  if (item == nullptr) return false;
  Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  Send(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  if (!value.empty()) {
    if (HWND list = DescendantOfClass(editor, WC_LISTVIEWW)) {
      SelectValue(list, buffer, platform::win32::Wide(value));
    }
  }
  return true;
}

}  // namespace norvik::ui
