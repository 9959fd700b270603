// norvik.exe: the program's entry point. Builds the platform, the settings store, the
// main window and its controller, then runs the message loop.

#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include <commctrl.h>

#include <exception>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/product.h"
#include "core/file_folders.h"
#include "core/settings_store.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "ui/main/main_frame.h"

namespace {

using norvik::platform::win32::Narrow;
using norvik::platform::win32::Wide;

// The arguments after the program name, as UTF-8: the C runtime's own split of the
// command line, which it made before wWinMain (the shell's would load the shell).
std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> args;
  for (int i = 1; i < __argc && __wargv != nullptr; ++i) args.push_back(Narrow(__wargv[i]));
  return args;
}

void ShowFatalError(const std::string& what) {
  const std::wstring text = L"Norvik Cleaner could not start:\n" + Wide(what);
  const std::wstring caption = Wide(norvik::app::kProductName);
  ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

int Run(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                   ICC_PROGRESS_CLASS | ICC_LINK_CLASS;
  ::InitCommonControlsEx(&controls);

  norvik::platform::win32::Win32Platform backend;
  norvik::platform::Platform platform = backend.platform();
  // Decided once: every part that reads or writes the user's files is handed these folders.
  norvik::core::SettingsStore store(platform.ini, norvik::core::ChooseFileFolders(platform));

  if (!norvik::ui::MainFrame::RegisterWindowClass(instance)) {
    ShowFatalError("the window class could not be registered.");
    return 1;
  }
  norvik::ui::MainFrame frame(instance);
  if (!frame.Create()) {
    ShowFatalError("the main window could not be created.");
    return 1;
  }
  norvik::app::MainWindow controller(platform, store, frame, frame.Views(), CommandLineArguments());
  frame.Attach(controller);
  controller.FormCreate();
  controller.FormShow();
  ::ShowWindow(frame.hwnd(), show);
  ::UpdateWindow(frame.hwnd());

  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and arrow keys move between the controls as in a dialog.
    HWND main = frame.hwnd();
    if (main != nullptr && ::IsDialogMessageW(main, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  try {
    return Run(instance, show);
  } catch (const std::exception& error) {
    ShowFatalError(error.what());
  } catch (...) {
    ShowFatalError("unknown error");
  }
  return 1;
}
