// The program out of sight, through norvik.exe: "/Clear" cleans, scans, fixes and ends
// by itself; the notification area icon and the boss key.

#include "gui/gui_driver.h"

#include <shellapi.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/product.h"

namespace norvik::gui {
namespace {

constexpr DWORD kTimeoutMs = 300000;
constexpr wchar_t kMruKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr wchar_t kDump[] = L"C:\\windows\\MEMORY.DMP";

using BackgroundTest = ProgramFolderTest;

std::wstring FirstFileIn(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*.reg").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return {};
  ::FindClose(find);
  return found.cFileName;
}

TEST_F(BackgroundTest, ClearCleansScansFixesAndEnds) {
  ASSERT_TRUE(PlantFile(kDump, "dump"));
  ASSERT_TRUE(PlantStrings(kMruKey, {{L"NorvikGone", L"C:\\NorvikClear\\gone.exe"}}));
  std::string ini =
      "[Options]\r\nRestorePoint=1\r\n[NodeSelected]\r\nSelectedCount=2\r\n1=Windows\r\n"
      "2=Windows - Memory Dumps\r\n[TreeViewNodeCheck]\r\n";
  for (int code = 1; code <= 25; ++code) {
    const bool ticked = code == 1 || code == 9 || code == 14 || code == 18 || code == 19 || code == 24;
    ini += std::to_string(code) + (ticked ? "=1\r\n" : "=0\r\n");
  }
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini", ini));
  // Nobody answers here: Wine's restore point fails and the backup folder is missing,
  // and neither may hold the run.

  ASSERT_EQ(RunToItsEnd(L"\"" + exe_ + L"\" /CLEAR", folder_, kTimeoutMs), 0u) << "the run did not end by itself";

  EXPECT_FALSE(PathExists(kDump));
  EXPECT_FALSE(UserValueExists(kMruKey, L"NorvikGone"));
  const std::wstring backup = FirstFileIn(folder_ + L"\\Backup");
  ASSERT_FALSE(backup.empty()) << "no backup written";
  EXPECT_NE(ReadBytes(folder_ + L"\\Backup\\" + backup).find("NorvikClear"), std::string::npos);
}

// Whether the shell holds our icon: changing a missing icon fails.
bool TrayIconExists(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(window));
  data.uFlags = NIF_TIP;
  wcscpy_s(data.szTip, L"probe");
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

// A window of a browser's class on a thread that answers its messages, as a browser's does.
class PlantedBrowser {
 public:
  PlantedBrowser() {
    thread_ = std::thread([this] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = PlainProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"MozillaWindowClass";
      ::RegisterClassW(&wc);
      hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"Planted browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                200, 100, nullptr, nullptr, wc.hInstance, nullptr);
      thread_id_ = ::GetCurrentThreadId();
      ready_ = true;
      MSG message{};
      while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
      if (hwnd_) ::DestroyWindow(hwnd_);
    });
    Eventually([&] { return ready_.load(); });
  }
  ~PlantedBrowser() {
    ::PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND hwnd() const { return hwnd_; }

 private:
  std::thread thread_;
  std::atomic<bool> ready_{false};
  HWND hwnd_ = nullptr;
  DWORD thread_id_ = 0;
};

// The boss key hides a browser's window while the program runs and shows it again at
// close; minimised, the window leaves an icon in the notification area that brings it
// back, as the show-main message does; "/Auto" (the Run key's) starts in the tray.
TEST_F(BackgroundTest, TrayIconAndBossKey) {
  // Ctrl+F5, the default key.
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini", "[Hotkey]\r\nEnableHotkey=1\r\n"));
  PlantedBrowser planted;
  HWND browser = planted.hwnd();
  ASSERT_TRUE(browser);
  App app;
  ASSERT_TRUE(app.Start(exe_));
  HWND window = app.window();
  const ATOM atom = ::GlobalFindAtomW(L"MyVESKHotkey_Hide");
  ASSERT_NE(atom, 0) << "no boss key registered";
  // What Windows posts when the key is pressed.
  ::PostMessageW(window, WM_HOTKEY, atom, 0);
  EXPECT_TRUE(Eventually([&] { return !::IsWindowVisible(browser); })) << "the browser stayed";
  EXPECT_TRUE(::IsWindowVisible(window)) << "our own window is not the boss key's";

  EXPECT_FALSE(TrayIconExists(window));
  ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(Eventually([&] { return !::IsWindowVisible(window); }));
  EXPECT_TRUE(Eventually([&] { return TrayIconExists(window); })) << "no icon in the notification area";
  if (HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ShotIfAsked(app, tray, L"tray_icon.bmp");
  // What the shell sends on a left click on the icon.
  ::PostMessageW(window, app::kWmTrayIcon, 0, WM_LBUTTONDOWN);
  ASSERT_TRUE(Eventually([&] { return ::IsWindowVisible(window) && !::IsIconic(window); }));
  EXPECT_FALSE(TrayIconExists(window));
  ShotIfAsked(app, window, L"back_from_tray.bmp");

  ::ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(Eventually([&] { return ::IsIconic(window) != 0; })) << "the window would not minimise";
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, app::kWmShowMain, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  EXPECT_TRUE(Eventually([&] { return !::IsIconic(window) && ::IsWindowVisible(window); })) << "still minimised";
  EXPECT_TRUE(app.Close());
  EXPECT_TRUE(::IsWindowVisible(browser)) << "closing did not bring the browser back";
  EXPECT_EQ(::GlobalFindAtomW(L"MyVESKHotkey_Hide"), 0);

  App autostart;
  ASSERT_TRUE(autostart.Start(exe_, L"/Auto"));
  EXPECT_TRUE(Eventually([&] { return !::IsWindowVisible(autostart.window()) && TrayIconExists(autostart.window()); }));
  // A right click on the icon: its menu's "&Exit" ends the program.
  ::PostMessageW(autostart.window(), app::kWmTrayIcon, 0, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  ASSERT_TRUE(Eventually([&] { return (menu = ::FindWindowW(MAKEINTATOM(32768), nullptr)) && ::IsWindowVisible(menu); }));
  ShotIfAsked(autostart, menu, L"tray_menu.bmp");
  ::PostMessageW(menu, WM_CHAR, L'e', 0);
  EXPECT_EQ(::WaitForSingleObject(autostart.process(), 10000), WAIT_OBJECT_0) << "still running after Exit";
  EXPECT_TRUE(autostart.Close());
}

}  // namespace
}  // namespace norvik::gui
