// What the Win32 backend must get right against the real API and the shared
// conformance suite cannot express: the handle owners, the UTF-8/UTF-16 edge, buffers
// that have to grow, the clipboard and the folder picker.

#include "platform/win32/windows_api.h"  // first: before any other Windows header
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"
#include "platform/win32/browse_for_folder.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

TEST(UniqueHandleTest, BothFailureValuesCountAsNoHandle) {
  EXPECT_FALSE(unique_handle(nullptr) || unique_handle(INVALID_HANDLE_VALUE) || unique_find(INVALID_HANDLE_VALUE));
  unique_handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  const HANDLE raw = event.get();
  unique_handle moved = std::move(event);
  EXPECT_FALSE(event);  // NOLINT(bugprone-use-after-move): the point of the check
  moved.reset();
  DWORD flags = 0;
  EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "reset must close the handle";
}

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_) << "scratch key"; }
  Platform platform() { return env_->platform(); }

  std::unique_ptr<conformance::ConformanceEnv> env_ = conformance::MakeConformanceEnv();
  std::wstring key_ = Wide(env_->ScratchKey());
  std::string folder_ = env_->ScratchFolder();
  RegKey scratch_ = platform().registry.Root(RegRoot::CurrentUser).Open(env_->ScratchKey()).value_or({});
};

// Names made through the backend are the names the W functions see, and back.
TEST_F(Win32BackendTest, NonAsciiRegistryNamesCrossTheBoundaryIntact) {
  const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  const std::wstring wide_name = L"Gr\u00FC\u00DFe \u65E5\u672C \U0001F600";
  ASSERT_TRUE(scratch_.Create(name));
  unique_hkey raw;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ | KEY_SET_VALUE, raw.put()), ERROR_SUCCESS);
  unique_hkey sub;
  EXPECT_EQ(::RegOpenKeyExW(raw.get(), wide_name.c_str(), 0, KEY_READ, sub.put()), ERROR_SUCCESS);
  const wchar_t data[] = L"x";
  ASSERT_EQ(::RegSetValueExW(raw.get(), wide_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                             sizeof(data)),
            ERROR_SUCCESS);
  EXPECT_EQ(scratch_.ValueNames().value_or({}), std::vector<std::string>{name});
  EXPECT_EQ(scratch_.Query(name).value_or({}).AsString(), "x");
}

TEST_F(Win32BackendTest, AnswersLongerThanTheFirstBuffer) {
  // Longer than MAX_PATH once made absolute: the answer must not be cut.
  const std::string long_relative = std::string(300, 'a') + "\\b.txt";
  auto full = platform().files.GetFullPathName(long_relative);
  ASSERT_TRUE(full) << full.code();
  EXPECT_TRUE(full->size() > long_relative.size() && full->ends_with(long_relative)) << *full;

  // Both INI lists come to well over the 4096 characters asked for first.
  const std::string file = folder_ + "\\many.ini";
  std::vector<std::string> keys;
  std::string text = "[Section]\r\n";
  for (int i = 0; i < 120; ++i) text += (keys.emplace_back(std::string(60, 'k') + std::to_string(i))) + "=1\r\n";
  for (int i = 0; i < 120; ++i) text += "[" + std::string(60, 's') + std::to_string(i) + "]\r\n";
  auto out = platform().files.Open(file, FileAccess::Write, file_share::kNone, FileDisposition::CreateNew);
  ASSERT_TRUE(out && out->WriteAll(text));
  out->Close();
  EXPECT_EQ(platform().ini.GetKeys(file, "Section"), keys);
  EXPECT_EQ(platform().ini.GetSections(file).size(), 121u);
}

// Values longer than the first buffer, and set-but-empty apart from missing.
TEST(Win32SystemTest, EnvironmentEdgeCases) {
  Win32System system;
  const std::wstring long_value(5000, L'z');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"NORVIK_EMPTY", L"") &&
              ::SetEnvironmentVariableW(L"NORVIK_LONG", long_value.c_str()));
  EXPECT_EQ(system.GetEnvironment("NORVIK_EMPTY"), std::optional<std::string>(""));
  EXPECT_EQ(system.GetEnvironment("NORVIK_NOT_SET"), std::nullopt);
  // Built with append, not operator+: GCC 12 gives a -Wrestrict false alarm there.
  EXPECT_EQ(system.ExpandEnvironment("[%NORVIK_LONG%]"), std::string("[").append(Narrow(long_value)).append("]"));
  ::SetEnvironmentVariableW(L"NORVIK_EMPTY", nullptr);
  ::SetEnvironmentVariableW(L"NORVIK_LONG", nullptr);
}

// Programs started hidden are polled and ended; a missing one fails at once. (Wine's
// restore point stub: the GUI stories of Fix Errors and "/Clear".)
TEST(Win32SystemTest, HiddenProgramsArePolledAndEnded) {
  Win32Shell shell;
  EXPECT_EQ(shell.StartHidden("norvik-no-such-program.exe").code(), kErrFileNotFound);
  auto editor = shell.StartHidden("regedit");  // without a file it waits for its user
  ASSERT_TRUE(editor) << editor.code();
  ::Sleep(200);
  EXPECT_FALSE((*editor)->HasEnded());
  EXPECT_TRUE((*editor)->Terminate());
  EXPECT_TRUE((*editor)->HasEnded());
}

// The clipboard is emptied through the one door, and the shell's emptying of the
// recycle bins is found and returns without asking anything.
TEST(Win32SystemTest, ClipboardAndRecycleBinsAreEmptied) {
  const wchar_t text[] = L"secret";
  ASSERT_TRUE(::OpenClipboard(nullptr) && ::EmptyClipboard());
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  std::memcpy(::GlobalLock(memory), text, sizeof text);
  ::GlobalUnlock(memory);
  const bool placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  ::CloseClipboard();
  if (!placed) GTEST_SKIP() << "no clipboard without a display";
  ASSERT_TRUE(::IsClipboardFormatAvailable(CF_UNICODETEXT));
  Win32System system;
  EXPECT_TRUE(system.EmptyClipboard().ok());
  EXPECT_FALSE(::IsClipboardFormatAvailable(CF_UNICODETEXT));

  // Wine keeps its bin in the host's trash folder, which a sealed prefix has no drive
  // for: there it answers E_FAIL.
  const Status emptied = Win32Shell().EmptyRecycleBins();
  EXPECT_TRUE(emptied.ok() || emptied.code() == (E_FAIL & 0xFFFF)) << emptied.code();
}

// The picker is modal: a second thread finds it on this thread, checks that it was
// centred and cancels it.
TEST(BrowseForFolderTest, OpensCentredAndCancelGivesNothing) {
  HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (!probe) GTEST_SKIP() << "no display: windows cannot be created";
  ::DestroyWindow(probe);

  const DWORD ui_thread = ::GetCurrentThreadId();
  std::atomic<bool> found{false};
  RECT seen{};
  std::thread closer([&] {
    for (int i = 0; i < 400 && !found; ++i) {
      ::Sleep(25);
      HWND dialog = nullptr;
      ::EnumThreadWindows(
          ui_thread,
          [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[16] = {};
            ::GetClassNameW(window, cls, 16);
            if (std::wstring_view(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&dialog));
      if (dialog) {
        ::GetWindowRect(dialog, &seen);
        found = true;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    }
  });
  const auto chosen = BrowseForFolder(nullptr, "Choose the backup folder");
  closer.join();
  ASSERT_TRUE(found);
  EXPECT_EQ(chosen, std::nullopt);
  EXPECT_NEAR((seen.left + seen.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR((seen.top + seen.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 2);
}

}  // namespace
}  // namespace norvik::platform::win32
