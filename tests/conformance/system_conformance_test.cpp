// Facts about the system, environment expansion and special folders: the same checks
// against the simulated Windows and the real API (a default Windows 7 prefix under Wine).

#include <gtest/gtest.h>

#include <string>

#include "conformance/conformance_env.h"

namespace norvik::conformance {
namespace {

namespace attr = platform::file_attr;
namespace csidl = platform::csidl;

class SystemConformance : public ::testing::Test {
 protected:
  void SetUp() override { env_ = MakeConformanceEnv(); }

  platform::System& system() { return env_->platform().system; }
  platform::Shell& shell() { return env_->platform().shell; }
  platform::Files& files() { return env_->platform().files; }

  void check_expand(int line, std::string_view text, std::string_view expected) {
    SCOPED_TRACE(testing::Message() << "called from line " << line << ", text " << text);
    EXPECT_EQ(system().ExpandEnvironment(text), expected);
  }

  std::unique_ptr<ConformanceEnv> env_;
};

#define CHECK_EXPAND(text, expected) check_expand(__LINE__, text, expected)

TEST_F(SystemConformance, EnvironmentExpansion) {
  const auto root = system().GetEnvironment("SystemRoot");
  ASSERT_TRUE(root);
  EXPECT_EQ(system().GetEnvironment("SYSTEMROOT"), root);
  EXPECT_EQ(system().GetEnvironment("windir"), root);
  EXPECT_FALSE(system().GetEnvironment("NORVIK_NO_SUCH_VARIABLE"));
  const std::string temp = system().GetEnvironment("TEMP").value_or("");
  EXPECT_FALSE(temp.empty());

  CHECK_EXPAND("%SystemRoot%\\x", *root + "\\x");
  CHECK_EXPAND("%systemroot%", *root);
  CHECK_EXPAND("%TEMP%%TMP%", temp + system().GetEnvironment("TMP").value_or("?"));
  CHECK_EXPAND("%NORVIK_NO_SUCH_VARIABLE%\\x", "%NORVIK_NO_SUCH_VARIABLE%\\x");
  CHECK_EXPAND("%%", "%%");
  CHECK_EXPAND("a%%b", "a%%b");
  CHECK_EXPAND("100%", "100%");
  CHECK_EXPAND("%", "%");
  CHECK_EXPAND("%windir", "%windir");
  CHECK_EXPAND("%windir%%", *root + "%");
  CHECK_EXPAND("% windir%", "% windir%");
  CHECK_EXPAND("", "");
  CHECK_EXPAND("no variables", "no variables");
}

TEST_F(SystemConformance, SpecialFoldersExist) {
  for (const int id :
       {csidl::kDesktop,        csidl::kPrograms,      csidl::kPersonal,
        csidl::kFavorites,      csidl::kStartup,       csidl::kRecent,
        csidl::kSendTo,         csidl::kStartMenu,     csidl::kDesktopDirectory,
        csidl::kFonts,          csidl::kTemplates,     csidl::kCommonStartMenu,
        csidl::kCommonPrograms, csidl::kCommonStartup, csidl::kCommonDesktopDirectory,
        csidl::kAppData,        csidl::kLocalAppData,  csidl::kInternetCache,
        csidl::kCookies,        csidl::kHistory,       csidl::kCommonAppData,
        csidl::kWindows,        csidl::kSystem,        csidl::kProgramFiles}) {
    auto folder = shell().SpecialFolder(id);
    ASSERT_TRUE(folder) << "CSIDL " << id;
    EXPECT_FALSE(folder->ends_with("\\")) << *folder;
    EXPECT_NE(files().GetAttributes(*folder).value_or(0) & attr::kDirectory, 0u) << *folder;
  }
  EXPECT_EQ(shell().SpecialFolder(csidl::kWindows).value_or(""), files().WindowsFolder());
  EXPECT_EQ(shell().SpecialFolder(csidl::kSystem).value_or(""), files().SystemFolder());
  EXPECT_EQ(shell().SpecialFolder(csidl::kAppData).value_or(""),
            system().GetEnvironment("APPDATA"));
  EXPECT_FALSE(shell().SpecialFolder(0xFF));
}

TEST_F(SystemConformance, ShortcutsThatAreNotShortcuts) {
  const std::string folder = env_->ScratchFolder();
  EXPECT_FALSE(shell().ResolveShortcut(folder + "\\missing.lnk"));
  auto file = files().Open(folder + "\\plain.lnk", platform::FileAccess::Write, 0,
                           platform::FileDisposition::CreateNew);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAll("just text"));
  file->Close();
  EXPECT_FALSE(shell().ResolveShortcut(folder + "\\plain.lnk"));
}

TEST_F(SystemConformance, VersionAndRights) {
  const platform::OsVersion version = system().GetVersion();
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 1u);
  EXPECT_EQ(system().IsWow64Process().value_or(true), false);  // a 64-bit program
  EXPECT_EQ(system().IsAdministrator().value_or(false), true);

  EXPECT_TRUE(system().EnablePrivilege("SeBackupPrivilege"));
  EXPECT_TRUE(system().EnablePrivilege("serestoreprivilege"));
  EXPECT_EQ(system().EnablePrivilege("SeNoSuchPrivilege").code(), platform::kErrNoSuchPrivilege);

  const std::string module = system().ModuleFileName();
  EXPECT_TRUE(module.size() > 3 && module[1] == ':' && module[2] == '\\') << module;
  EXPECT_TRUE(module.ends_with(".exe")) << module;
}

}  // namespace
}  // namespace norvik::conformance
