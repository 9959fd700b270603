#pragma once
// Drives a running norvik.exe from another process, the way a user (or an
// accessibility tool) reaches it: window handles, messages and the mouse.

#include "platform/win32/windows_api.h"  // first: before any other Windows header
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace norvik::gui {

// ASCII text (the program's names and captions) as UTF-16.
std::wstring Widen(std::string_view ascii);

// Polls `done` until it holds or `timeout_ms` runs out; true when it held.
bool Eventually(const std::function<bool()>& done, DWORD timeout_ms = 5000);

// The environment variable, or `fallback` when it is unset or empty.
std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback);
std::wstring FolderOfThisProgram();

// One value of an INI file, or "<missing>".
std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key);

// The window as it is on the screen, as a 24-bit BMP.
::testing::AssertionResult SaveWindowShot(HWND window, const std::wstring& file);

// Removes a folder and what is in it; links are removed, never followed.
void RemoveFolderTree(const std::wstring& folder);

// Runs `command` (a program found as CreateProcess finds it, and its arguments) in
// `folder` (empty: this one) and waits for it to end by itself: its exit code, or
// WAIT_TIMEOUT for a program still running after `timeout_ms`, which is then ended.
DWORD RunToItsEnd(std::wstring command, const std::wstring& folder, DWORD timeout_ms);

// A visible top-level window of `process` with exactly this caption, such as a dialog
// the program opened; nullptr if there is none.
HWND FindProcessWindow(HANDLE process, std::wstring_view caption);

// Traces a test plants and checks. Keys are paths under HKEY_CURRENT_USER.
bool WriteBytes(const std::wstring& file, const std::string& bytes);
// The whole file, or "<unreadable>".
std::string ReadBytes(const std::wstring& file);
// The same, creating the folders on the way first.
bool PlantFile(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);
bool UserKeyExists(const std::wstring& key);
bool UserValueExists(const std::wstring& key, const wchar_t* name);
// Creates the key and sets string values named `names`; false when any call fails.
bool PlantUserValues(const std::wstring& key, const std::vector<std::wstring>& names);
// Creates the key and sets each (name, text) as a string value; false when any call fails.
bool PlantStrings(const std::wstring& key, const std::vector<std::pair<std::wstring, std::wstring>>& values,
                  HKEY root = HKEY_CURRENT_USER);
// A string value as stored (REG_EXPAND_SZ unexpanded), or "<missing>".
std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* name);

// SHGetFolderPath of the CSIDL; empty when it fails.
std::wstring SpecialFolder(int csidl);
// A shortcut file (.lnk) to `target`, saved through the shell link object.
bool PlantShortcut(const std::wstring& lnk, const std::wstring& target);
// Controls of another process.
std::wstring ControlText(HWND control);
// A direct child of `dialog` with exactly this text; nullptr if there is none.
HWND ChildWithText(HWND dialog, const std::wstring& text);
// One line of a list box; LB_GETTEXT is carried across processes by the system.
std::wstring ListLine(HWND list, LRESULT i);
std::vector<std::wstring> ListLines(HWND list);

// Each test gets norvik.exe copied into an empty folder of its own under
// C:\NorvikGuiTests, so options.ini starts absent. A failed test keeps its folder to
// look at.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::wstring folder_;
  std::wstring exe_;
};

// norvik.exe started from `exe` in its own folder, until Close() or destruction.
class App {
 public:
  App() = default;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  ~App();

  // Starts the program and waits for its main window to be shown; with `arguments`
  // (which may keep it out of sight) only for the window to exist.
  ::testing::AssertionResult Start(const std::wstring& exe, const std::wstring& arguments = L"");
  // WM_CLOSE, then waits for the process to end; killing it is a failure.
  ::testing::AssertionResult Close();

  HWND window() const { return window_; }
  HANDLE process() const { return process_.hProcess; }
  // A control of the main window at any depth, by its id; nullptr if there is none.
  HWND Control(int id) const;
  // Lets the window finish what it was doing (sent and posted messages so far).
  void Settle() const;

 private:
  void Kill();
  void Release();

  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// Waits for the cleaner page's bar to say "Finished!" and bTest to be "Test" again, with
// a log begun by a run of this kind ("Test: " or "Clean: "): the previous run's end looks
// the same otherwise.
::testing::AssertionResult WaitForFinish(const App& app, const std::wstring& prefix, DWORD timeout_ms = 120000);

// Opens `control`'s pop-up menu as the keyboard's menu key would and picks the item
// whose mnemonic is `key` (lower case).
::testing::AssertionResult ChoosePopupItem(const App& app, HWND control, wchar_t key);

// Clicks tab `index` of a tab control of another process, as the mouse would.
bool ClickTab(HWND tabs, HANDLE process, int index);

// With NORVIK_SHOT_DIR set, repaints `window` and saves it there as `name` (a .bmp).
void ShotIfAsked(const App& app, HWND window, const std::wstring& name);

// A tree view control of another process. Item handles are the other process's, used
// only as opaque values.
class RemoteTree {
 public:
  RemoteTree(HWND tree, HANDLE process) : tree_(tree), process_(process) {}

  // Top-level items for nullptr.
  std::vector<HTREEITEM> Children(HTREEITEM parent) const;
  // Every item, each followed by its children.
  std::vector<HTREEITEM> All() const;
  // 1 = unticked, 2 = ticked.
  int StateImage(HTREEITEM item) const;
  bool Expanded(HTREEITEM item) const;
  std::wstring Text(HTREEITEM item) const;

  // A left click on the item's check box, found by hit-testing left of its label.
  ::testing::AssertionResult ClickStateIcon(HTREEITEM item) const;
  // A left click in the middle of the item's label.
  ::testing::AssertionResult ClickLabel(HTREEITEM item) const;
  void Collapse(HTREEITEM item) const;

 private:
  HWND tree_;
  HANDLE process_;
};

// A report list view of another process (owner data too: the texts are asked for).
class RemoteListView {
 public:
  RemoteListView(HWND list, HANDLE process) : list_(list), process_(process) {}
  int Count() const;
  std::wstring Text(int item, int column) const;
  // The check box of a list with LVS_EX_CHECKBOXES.
  bool SetChecked(int item, bool checked) const;
  // Makes `item` the only selected and focused row.
  bool Select(int item) const;

 private:
  HWND list_;
  HANDLE process_;
};

}  // namespace norvik::gui
