// Shell links, the folder picker and the facts the system reports, as Wine gives them.

#include "platform/win32/windows_api.h"  // first: before any other Windows header
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"
#include "platform/win32/browse_for_folder.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// Writes a shortcut to `target` with the shell's own link object.
bool MakeShortcut(const std::wstring& lnk, const std::wstring& target) {
  scoped_com_init com;
  unique_com<IShellLinkW> link;
  unique_com<IPersistFile> file;
  return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link.put_void())) &&
         SUCCEEDED(link->SetPath(target.c_str())) &&
         SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) &&
         SUCCEEDED(file->Save(lnk.c_str(), TRUE));
}

class Win32ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { env_ = conformance::MakeConformanceEnv(); }
  Platform platform() { return env_->platform(); }
  std::string Scratch(std::string_view name) { return env_->ScratchFolder() + "\\" + std::string(name); }

  std::unique_ptr<conformance::ConformanceEnv> env_;
};

TEST_F(Win32ShellTest, ShortcutRoundTrip) {
  // Wine keeps a link's path in the ANSI code page, so only Latin-1 survives there.
  const std::string target = Scratch("Zi\xC3\xABl d\xC3\xA9j\xC3\xA0.txt");
  std::ofstream(Wide(target).c_str()) << "x";
  const std::string lnk = Scratch("to target.lnk");
  ASSERT_TRUE(MakeShortcut(Wide(lnk), Wide(target)));

  auto resolved = platform().shell.ResolveShortcut(lnk);
  ASSERT_TRUE(resolved) << resolved.code();
  EXPECT_TRUE(EqualsIgnoreCase(*resolved, target)) << *resolved;
}

TEST_F(Win32ShellTest, BrokenShortcutsFailQuietly) {
  const std::string garbage = Scratch("garbage.lnk");
  std::ofstream(Wide(garbage).c_str(), std::ios::binary) << std::string(300, '\x4C');
  const std::string empty = Scratch("empty.lnk");
  std::ofstream(Wide(empty).c_str(), std::ios::binary);

  for (const std::string& lnk : {garbage, empty, Scratch("missing.lnk")}) {
    EXPECT_FALSE(platform().shell.ResolveShortcut(lnk)) << lnk;
  }
}

TEST_F(Win32ShellTest, SpecialFoldersHaveNoTrailingBackslash) {
  for (const int csidl : {csidl::kAppData, csidl::kLocalAppData, csidl::kPersonal, csidl::kFonts,
                          csidl::kRecent, csidl::kCommonAppData}) {
    auto folder = platform().shell.SpecialFolder(csidl);
    ASSERT_TRUE(folder) << csidl;
    EXPECT_EQ(folder->rfind("C:\\", 0), 0u) << *folder;
    EXPECT_NE(folder->back(), '\\') << *folder;
  }
}

TEST(Win32SystemTest, WhatWineReports) {
  Win32System system;
  const OsVersion version = system.GetVersion();
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_GE(version.major, 5u);
  EXPECT_NE(version.build, 0u);

  EXPECT_EQ(system.IsWow64Process().value_or(true), false) << "a 64-bit process";
  EXPECT_EQ(system.IsAdministrator().value_or(false), true);

  EXPECT_TRUE(system.EnablePrivilege("SeBackupPrivilege"));
  EXPECT_TRUE(system.EnablePrivilege("SeRestorePrivilege"));
  EXPECT_EQ(system.EnablePrivilege("SeNoSuchPrivilege").code(), kErrNoSuchPrivilege);
  EXPECT_EQ(system.EnablePrivilege("").code(), kErrNoSuchPrivilege);

  const std::string module = system.ModuleFileName();
  ASSERT_GT(module.size(), 4u);
  EXPECT_TRUE(EqualsIgnoreCase(module.substr(module.size() - 4), ".exe")) << module;
  EXPECT_NE(::GetFileAttributesW(Wide(module).c_str()), INVALID_FILE_ATTRIBUTES) << module;
}

TEST(Win32SystemTest, EnvironmentEdgeCases) {
  Win32System system;
  ASSERT_TRUE(::SetEnvironmentVariableW(L"NORVIK_EMPTY", L""));
  const std::wstring long_value(5000, L'z');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"NORVIK_LONG", long_value.c_str()));

  EXPECT_EQ(system.GetEnvironment("NORVIK_EMPTY"), std::optional<std::string>(""))
      << "set but empty is not missing";
  EXPECT_EQ(system.GetEnvironment("NORVIK_NOT_SET"), std::nullopt);
  EXPECT_EQ(system.GetEnvironment("NORVIK_LONG"), Narrow(long_value));
  const std::string expanded = system.ExpandEnvironment("[%NORVIK_LONG%]");
  EXPECT_EQ(expanded, std::string("[").append(Narrow(long_value)).append("]"));
  EXPECT_EQ(system.ExpandEnvironment("%NORVIK_NOT_SET%\\x"), "%NORVIK_NOT_SET%\\x");

  ::SetEnvironmentVariableW(L"NORVIK_EMPTY", nullptr);
  ::SetEnvironmentVariableW(L"NORVIK_LONG", nullptr);
}

// The picker is modal: a second thread finds it on this thread, checks that it was
// centred and cancels it.
TEST(BrowseForFolderTest, OpensCentredAndCancelGivesNothing) {
  HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
  if (!probe) GTEST_SKIP() << "no display: windows cannot be created";
  ::DestroyWindow(probe);

  const DWORD ui_thread = ::GetCurrentThreadId();
  std::atomic<bool> found{false};
  RECT seen{};
  std::thread closer([&] {
    for (int i = 0; i < 400 && !found; ++i) {
      ::Sleep(25);
      struct Search {
        HWND dialog = nullptr;
      } search;
      ::EnumThreadWindows(
          ui_thread,
          [](HWND window, LPARAM param) -> BOOL {
            wchar_t cls[16] = {};
            ::GetClassNameW(window, cls, 16);
            if (std::wstring_view(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
            reinterpret_cast<Search*>(param)->dialog = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (search.dialog) {
        ::GetWindowRect(search.dialog, &seen);
        found = true;
        ::PostMessageW(search.dialog, WM_COMMAND, IDCANCEL, 0);
      }
    }
  });
  const auto chosen = BrowseForFolder(nullptr, "Choose the backup folder");
  closer.join();

  ASSERT_TRUE(found);
  EXPECT_EQ(chosen, std::nullopt);
  const int centre_x = (seen.left + seen.right) / 2;
  const int centre_y = (seen.top + seen.bottom) / 2;
  EXPECT_NEAR(centre_x, ::GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR(centre_y, ::GetSystemMetrics(SM_CYSCREEN) / 2, 2);
}

}  // namespace
}  // namespace norvik::platform::win32
