#include "gui/gui_driver.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <iomanip>

#include "app/main_window.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kCloseTimeoutMs = 20000;

// Memory inside the other process, for messages whose lParam is a pointer.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, SIZE_T size)
      : process_(process),
        address_(static_cast<char*>(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  ~RemoteMemory() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  explicit operator bool() const { return address_ != nullptr; }
  char* at(SIZE_T offset) const { return address_ + offset; }
  LPARAM lparam(SIZE_T offset = 0) const { return reinterpret_cast<LPARAM>(at(offset)); }

  template <class T>
  bool Write(const T& value, SIZE_T offset = 0) const {
    return ::WriteProcessMemory(process_, at(offset), &value, sizeof value, nullptr) != 0;
  }
  bool ReadFrom(const void* remote, void* out, SIZE_T size) const {
    return ::ReadProcessMemory(process_, remote, out, size, nullptr) != 0;
  }
  template <class T>
  bool Read(T& value, SIZE_T offset = 0) const { return ReadFrom(at(offset), &value, sizeof value); }

 private:
  HANDLE process_;
  char* address_;
};

HWND FindMainWindowOf(DWORD process_id) {
  const std::wstring window_class = Widen(app::kWindowClassName);
  for (HWND w = ::FindWindowExW(nullptr, nullptr, window_class.c_str(), nullptr); w;
       w = ::FindWindowExW(nullptr, w, window_class.c_str(), nullptr)) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == process_id) return w;
  }
  return nullptr;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControlId(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (::GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

bool Eventually(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG end = ::GetTickCount64() + timeout_ms;
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() >= end) return false;
    ::Sleep(50);
  }
}

DWORD RunToItsEnd(std::wstring command, const std::wstring& folder, DWORD timeout_ms) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return ::GetLastError();
  }
  DWORD code = WAIT_TIMEOUT;
  if (::WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &code);
  } else {
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback) {
  wchar_t value[MAX_PATH * 2];
  const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return n == 0 || n >= MAX_PATH * 2 ? fallback : std::wstring(value, n);
}

std::wstring FolderOfThisProgram() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::wstring full(path, n);
  return full.substr(0, full.find_last_of(L'\\'));
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[2048];
  ::GetPrivateProfileStringW(section, key, L"<missing>", value, 2048, file.c_str());
  return value;
}

AssertionResult SaveWindowShot(HWND window, const std::wstring& file) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) return AssertionFailure() << "no window to photograph";
  const int width = r.right - r.left, height = r.bottom - r.top;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = stride * static_cast<DWORD>(height);

  BITMAPFILEHEADER head{};
  head.bfType = 0x4D42;  // "BM"
  head.bfOffBits = sizeof head + sizeof info.bmiHeader;
  head.bfSize = head.bfOffBits + info.bmiHeader.biSizeImage;
  std::string bytes(head.bfSize, '\0');
  memcpy(bytes.data(), &head, sizeof head);
  memcpy(bytes.data() + sizeof head, &info.bmiHeader, sizeof info.bmiHeader);

  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  ::SelectObject(memory, old);
  const int lines = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bytes.data() + head.bfOffBits, &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  if (!copied || lines != height) return AssertionFailure() << "could not copy the screen";
  if (!WriteBytes(file, bytes)) return AssertionFailure() << "could not write " << file;
  return AssertionSuccess();
}

void RemoveFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found)) {
    const std::wstring name = found.cFileName, path = folder + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    const DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      RemoveFolderTree(path);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ::RemoveDirectoryW(path.c_str());
    } else {
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    }
  }
  if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  ::RemoveDirectoryW(folder.c_str());
}

namespace {

struct WindowSearch {
  DWORD process_id;
  std::wstring_view caption;
  HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !::IsWindowVisible(window)) return TRUE;
  wchar_t text[256]{};
  ::GetWindowTextW(window, text, 256);
  if (search->caption != text) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

::testing::AssertionResult ChoosePopupItem(const App& app, HWND control, wchar_t key) {
  // Posted: the menu holds the window's thread until an item is chosen.
  ::PostMessageW(app.window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(-1, -1));
  const auto menu_class = MAKEINTATOM(32768);
  HWND menu = nullptr;
  if (!Eventually([&] { return (menu = ::FindWindowW(menu_class, nullptr)) != nullptr && ::IsWindowVisible(menu); })) {
    return ::testing::AssertionFailure() << "no pop-up menu opened";
  }
  ::PostMessageW(menu, WM_CHAR, key, 0);
  if (!Eventually([&] { return !::IsWindowVisible(menu); })) {
    return ::testing::AssertionFailure() << "the pop-up menu stayed open";
  }
  return ::testing::AssertionSuccess();
}

HWND FindProcessWindow(HANDLE process, std::wstring_view caption) {
  WindowSearch search{::GetProcessId(process), caption, nullptr};
  ::EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WriteBytes(const std::wstring& file, const std::string& bytes) {
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(h);
  return ok;
}

std::string ReadBytes(const std::wstring& file) {
  // Read beside whoever holds it open (a database its browser keeps open, say).
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<unreadable>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  ::CloseHandle(h);
  return bytes;
}

bool PlantFile(const std::wstring& path, const std::string& bytes) {
  // From the first folder below the drive root ("C:\x\..." has its first "\" at 2).
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  return WriteBytes(path, bytes);
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool UserKeyExists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  ::RegCloseKey(opened);
  return true;
}

bool UserValueExists(const std::wstring& key, const wchar_t* name) {
  return ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool PlantUserValues(const std::wstring& key, const std::vector<std::wstring>& names) {
  std::vector<std::pair<std::wstring, std::wstring>> values;
  for (const std::wstring& name : names) values.emplace_back(name, L"x");
  return PlantStrings(key, values);
}

bool PlantStrings(const std::wstring& key, const std::vector<std::pair<std::wstring, std::wstring>>& values, HKEY root) {
  HKEY created = nullptr;
  if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool ok = true;
  for (const auto& [name, text] : values) {
    ok = ok && ::RegSetValueExW(created, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  ::RegCloseKey(created);
  return ok;
}

std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t text[1024]{};
  DWORD size = sizeof text;
  const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  return ::RegGetValueW(root, key.c_str(), name, types, nullptr, text, &size) == ERROR_SUCCESS ? text : L"<missing>";
}

std::wstring ControlText(HWND control) {
  wchar_t text[256]{};
  ::GetWindowTextW(control, text, 256);
  return text;
}

bool ClickTab(HWND tabs, HANDLE process, int index) {
  RemoteMemory memory(process, sizeof(RECT));
  RECT rect{};
  if (!memory || !::SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), memory.lparam()) ||
      !memory.Read(rect)) {
    return false;
  }
  const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  ::SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
  ::SendMessageW(tabs, WM_LBUTTONUP, 0, point);
  return ::SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index;
}

HWND ChildWithText(HWND dialog, const std::wstring& text) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ControlText(child) == text) return child;
  }
  return nullptr;
}

std::wstring ListLine(HWND list, LRESULT i) {
  const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
  if (length == LB_ERR) return L"<no line " + std::to_wstring(i) + L">";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) lines.push_back(ListLine(list, i));
  return lines;
}

AssertionResult WaitForFinish(const App& app, const std::wstring& prefix, DWORD timeout_ms) {
  namespace ids = ui::ids;
  const HWND bar = app.Control(ids::kCleanProgress), test = app.Control(ids::kTest), log = app.Control(ids::kLog);
  const auto finished = [&] {
    return ControlText(bar) == L"Finished!" && ControlText(test) == L"Test" && ListLine(log, 0).rfind(prefix, 0) == 0;
  };
  if (Eventually(finished, timeout_ms)) return AssertionSuccess();
  return AssertionFailure() << "no \"Finished!\" within " << timeout_ms / 1000 << " s; the bar says \""
                            << ControlText(bar) << "\", bTest \"" << ControlText(test) << "\", the log begins \""
                            << ListLine(log, 0) << "\"";
}

void ShotIfAsked(const App& app, HWND window, const std::wstring& name) {
  const std::wstring shot_dir = EnvOr(L"NORVIK_SHOT_DIR", L"");
  if (shot_dir.empty()) return;
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app.Settle();
  ::Sleep(300);  // the X server shows what was painted a moment later
  EXPECT_TRUE(SaveWindowShot(window, shot_dir + L"\\" + name));
}

App::~App() {
  if (process_.hProcess) (void)Close();
}

AssertionResult App::Start(const std::wstring& exe, const std::wstring& arguments) {
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  std::wstring command = L"\"" + exe + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  // Wine's server, busy writing a large registry to disk after a test planted one, now and
  // then refuses a new process with an internal error; the next try a moment later works.
  DWORD error = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                         &process_)) {
      error = 0;
      break;
    }
    error = ::GetLastError();
    if (error != ERROR_INTERNAL_ERROR) break;
    ::Sleep(1000);
  }
  if (error != 0) return AssertionFailure() << "cannot start " << exe << " (error " << error << ")";
  bool ended = false;
  Eventually(
      [&] {
        window_ = FindMainWindowOf(process_.dwProcessId);
        ended = ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
        return ended || (window_ && (!arguments.empty() || ::IsWindowVisible(window_)));
      },
      kStartTimeoutMs);
  if (ended) {
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    Release();
    return AssertionFailure() << exe << " ended before showing its window, exit code 0x" << std::hex << code;
  }
  if (!window_ || (arguments.empty() && !::IsWindowVisible(window_))) {
    Kill();
    return AssertionFailure() << "no visible window of class \"" << app::kWindowClassName << "\" within "
                              << kStartTimeoutMs / 1000 << " s";
  }
  Settle();
  return AssertionSuccess();
}

AssertionResult App::Close() {
  if (!process_.hProcess) return AssertionFailure() << "the program is not running";
  ::PostMessageW(window_, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process_.hProcess, kCloseTimeoutMs) != WAIT_OBJECT_0) {
    Kill();
    return AssertionFailure() << "the program did not end within " << kCloseTimeoutMs / 1000
                              << " s of WM_CLOSE and was killed";
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  Release();
  if (code != 0) return AssertionFailure() << "the program ended with exit code 0x" << std::hex << code;
  return AssertionSuccess();
}

void App::Kill() {
  ::TerminateProcess(process_.hProcess, 1);
  ::WaitForSingleObject(process_.hProcess, 5000);
  Release();
}

void App::Release() {
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
  process_ = {};
  window_ = nullptr;
}

HWND App::Control(int id) const {
  ControlSearch search{id, nullptr};
  ::EnumChildWindows(window_, MatchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void App::Settle() const {
  ::WaitForInputIdle(process_.hProcess, 2000);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

std::vector<HTREEITEM> RemoteTree::Children(HTREEITEM parent) const {
  std::vector<HTREEITEM> items;
  auto next = [&](UINT how, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
  };
  for (HTREEITEM i = parent ? next(TVGN_CHILD, parent) : next(TVGN_ROOT, nullptr); i; i = next(TVGN_NEXT, i)) {
    items.push_back(i);
  }
  return items;
}

std::vector<HTREEITEM> RemoteTree::All() const {
  std::vector<HTREEITEM> all;
  std::function<void(HTREEITEM)> walk = [&](HTREEITEM parent) {
    for (HTREEITEM child : Children(parent)) {
      all.push_back(child);
      walk(child);
    }
  };
  walk(nullptr);
  return all;
}

int RemoteTree::StateImage(HTREEITEM item) const {
  const auto state = ::SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
  return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

bool RemoteTree::Expanded(HTREEITEM item) const {
  return (::SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

std::wstring RemoteTree::Text(HTREEITEM item) const {
  constexpr int kChars = 260;
  RemoteMemory memory(process_, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  TVITEMW tv{};
  tv.mask = TVIF_HANDLE | TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = reinterpret_cast<wchar_t*>(memory.at(sizeof(TVITEMW)));
  tv.cchTextMax = kChars;
  wchar_t text[kChars]{};
  // The control may point pszText at its own copy instead of filling ours.
  if (!memory || !memory.Write(tv) || !::SendMessageW(tree_, TVM_GETITEMW, 0, memory.lparam()) || !memory.Read(tv) ||
      !memory.ReadFrom(tv.pszText, text, sizeof text)) {
    return L"<unreadable>";
  }
  text[kChars - 1] = L'\0';
  return text;
}

namespace {

// The item's label, scrolled into view, in the tree's client coordinates.
AssertionResult LabelRect(HWND tree, const RemoteMemory& memory, HTREEITEM item, RECT& label) {
  ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  // TVM_GETITEMRECT takes the item in the RECT it fills.
  memcpy(&label, &item, sizeof item);
  if (!memory.Write(label) || !::SendMessageW(tree, TVM_GETITEMRECT, TRUE, memory.lparam()) || !memory.Read(label)) {
    return AssertionFailure() << "the tree gives no rectangle for the item";
  }
  return AssertionSuccess();
}

// The cursor goes there too, for handlers that ask where the mouse is.
void PostClick(HWND window, POINT at) {
  POINT screen = at;
  ::ClientToScreen(window, &screen);
  ::SetCursorPos(screen.x, screen.y);
  ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

}  // namespace

AssertionResult RemoteTree::ClickLabel(HTREEITEM item) const {
  RemoteMemory memory(process_, sizeof(RECT));
  if (!memory) return AssertionFailure() << "no memory in the program for the tree's answers";
  RECT label{};
  if (AssertionResult found = LabelRect(tree_, memory, item, label); !found) return found;
  PostClick(tree_, POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2});
  return AssertionSuccess();
}

AssertionResult RemoteTree::ClickStateIcon(HTREEITEM item) const {
  RemoteMemory memory(process_, sizeof(RECT) + sizeof(TVHITTESTINFO));
  if (!memory) return AssertionFailure() << "no memory in the program for the tree's answers";
  RECT label{};
  if (AssertionResult found = LabelRect(tree_, memory, item, label); !found) return found;
  const int y = (label.top + label.bottom) / 2;
  auto on_state_icon = [&](int x) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    const SIZE_T at = sizeof(RECT);
    return memory.Write(hit, at) && ::SendMessageW(tree_, TVM_HITTEST, 0, memory.lparam(at)) && memory.Read(hit, at) &&
           (hit.flags & TVHT_ONITEMSTATEICON) && hit.hItem == item;
  };
  int right = label.left - 1;
  while (right >= 0 && !on_state_icon(right)) --right;
  if (right < 0) return AssertionFailure() << "no check box left of the item's label";
  int left = right;
  while (left > 0 && on_state_icon(left - 1)) --left;

  PostClick(tree_, POINT{(left + right) / 2, y});
  return AssertionSuccess();
}

void RemoteTree::Collapse(HTREEITEM item) const {
  ::SendMessageW(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
}

void ProgramFolderTest::SetUp() {
  const std::wstring root = L"C:\\NorvikGuiTests";
  folder_ = root + L"\\" + Widen(::testing::UnitTest::GetInstance()->current_test_info()->name());
  RemoveFolderTree(folder_);
  ::CreateDirectoryW(root.c_str(), nullptr);
  ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr)) << "cannot create " << folder_;
  const std::wstring source = EnvOr(L"NORVIK_EXE", FolderOfThisProgram() + L"\\norvik.exe");
  exe_ = folder_ + L"\\norvik.exe";
  ASSERT_TRUE(::CopyFileW(source.c_str(), exe_.c_str(), FALSE))
      << "cannot copy " << source << " (error " << ::GetLastError() << "; set NORVIK_EXE)";
}

void ProgramFolderTest::TearDown() {
  if (!HasFailure()) RemoveFolderTree(folder_);
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH]{};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

bool PlantShortcut(const std::wstring& lnk, const std::wstring& target) {
  if (FAILED(::CoInitialize(nullptr))) return false;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  bool ok = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->SetPath(target.c_str())) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Save(lnk.c_str(), TRUE));
  if (file) file->Release();
  if (link) link->Release();
  ::CoUninitialize();
  return ok;
}

bool RemoteListView::SetChecked(int item, bool checked) const {
  RemoteMemory memory(process_, sizeof(LVITEMW));
  LVITEMW lv{};
  lv.stateMask = LVIS_STATEIMAGEMASK;
  lv.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  return memory && memory.Write(lv) &&
         ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), memory.lparam()) != 0;
}

bool RemoteListView::Select(int item) const {
  RemoteMemory memory(process_, sizeof(LVITEMW));
  LVITEMW lv{};
  lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (!memory || !memory.Write(lv) || !::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), memory.lparam())) {
    return false;
  }
  lv.state = LVIS_SELECTED | LVIS_FOCUSED;
  return memory.Write(lv) && ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), memory.lparam()) != 0;
}

int RemoteListView::Count() const { return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring RemoteListView::Text(int item, int column) const {
  constexpr int kChars = 1024;
  RemoteMemory memory(process_, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  LVITEMW lv{};
  lv.iSubItem = column;
  lv.pszText = reinterpret_cast<wchar_t*>(memory.at(sizeof(LVITEMW)));
  lv.cchTextMax = kChars;
  wchar_t text[kChars]{};
  if (!memory || !memory.Write(lv) ||
      ::SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), memory.lparam()) < 0 ||
      !memory.ReadFrom(memory.at(sizeof(LVITEMW)), text, sizeof text)) {
    return L"<unreadable>";
  }
  text[kChars - 1] = L'\0';
  return text;
}

}  // namespace norvik::gui
