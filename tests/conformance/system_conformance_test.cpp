// Facts about the system, environment expansion and special folders: the same checks
// against the simulated Windows and the real API (a default Windows 7 prefix under Wine).

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "conformance/conformance_env.h"

namespace norvik::conformance {
namespace {

namespace attr = platform::file_attr;

class SystemConformance : public ::testing::Test {
 protected:
  platform::System& system() { return env_->platform().system; }
  platform::Shell& shell() { return env_->platform().shell; }
  platform::Files& files() { return env_->platform().files; }

  std::unique_ptr<ConformanceEnv> env_ = MakeConformanceEnv();
};

TEST_F(SystemConformance, EnvironmentExpansion) {
  const auto root = system().GetEnvironment("SystemRoot");
  const std::string temp = system().GetEnvironment("TEMP").value_or("");
  ASSERT_TRUE(root && !temp.empty());
  EXPECT_EQ(system().GetEnvironment("windir"), root);
  EXPECT_FALSE(system().GetEnvironment("NORVIK_NO_SUCH_VARIABLE"));
  const std::pair<std::string, std::string> cases[] = {
      {"%SystemRoot%\\x", *root + "\\x"}, {"%systemroot%", *root},
      {"%TEMP%%TMP%", temp + system().GetEnvironment("TMP").value_or("?")},
      {"%NORVIK_NO_SUCH_VARIABLE%\\x", "%NORVIK_NO_SUCH_VARIABLE%\\x"}, {"a%%b", "a%%b"}, {"100%", "100%"},
      {"%windir", "%windir"}, {"%windir%%", *root + "%"}, {"% windir%", "% windir%"}, {"", ""},
  };
  for (const auto& [text, expanded] : cases) EXPECT_EQ(system().ExpandEnvironment(text), expanded) << text;
}

TEST_F(SystemConformance, SpecialFoldersExist) {
  using namespace platform::csidl;
  for (const int id : {kDesktop, kPrograms, kPersonal, kFavorites, kStartup, kRecent, kSendTo, kStartMenu,
                       kDesktopDirectory, kFonts, kTemplates, kCommonStartMenu, kCommonPrograms, kCommonStartup,
                       kCommonDesktopDirectory, kAppData, kLocalAppData, kInternetCache, kCookies, kHistory,
                       kCommonAppData, kWindows, kSystem, kProgramFiles}) {
    auto folder = shell().SpecialFolder(id);
    ASSERT_TRUE(folder) << "CSIDL " << id;
    EXPECT_TRUE(!folder->ends_with("\\") && (files().GetAttributes(*folder).value_or(0) & attr::kDirectory)) << *folder;
  }
  EXPECT_EQ((std::vector{shell().SpecialFolder(kWindows).value_or(""), shell().SpecialFolder(kSystem).value_or(""),
                         shell().SpecialFolder(kAppData).value_or("")}),
            (std::vector{files().WindowsFolder(), files().SystemFolder(), system().GetEnvironment("APPDATA").value_or("?")}));
  EXPECT_FALSE(shell().SpecialFolder(0xFF));
}

TEST_F(SystemConformance, ShortcutsThatAreNotShortcuts) {
  const std::string lnk = env_->ScratchFolder() + "\\bad.lnk";
  EXPECT_FALSE(shell().ResolveShortcut(lnk));
  for (const std::string& contents : {std::string(), std::string(300, 'L')}) {  // 'L' opens a real link
    auto file = files().Open(lnk, platform::FileAccess::Write, 0, platform::FileDisposition::CreateAlways);
    ASSERT_TRUE(file && file->WriteAll(contents));
    file->Close();
    EXPECT_FALSE(shell().ResolveShortcut(lnk)) << contents.size() << " bytes";
  }
}

TEST_F(SystemConformance, VersionAndRights) {
  const platform::OsVersion v = system().GetVersion();
  EXPECT_EQ(std::tie(v.platform_id, v.major, v.minor), std::make_tuple(2u, 6u, 1u));  // Windows 7
  EXPECT_FALSE(system().IsWow64Process().value_or(true));  // a 64-bit program
  EXPECT_TRUE(system().IsAdministrator().value_or(false));
  EXPECT_TRUE(system().EnablePrivilege("SeBackupPrivilege") && system().EnablePrivilege("serestoreprivilege"));
  EXPECT_EQ(system().EnablePrivilege("SeNoSuchPrivilege").code(), platform::kErrNoSuchPrivilege);

  const std::string module = system().ModuleFileName();
  EXPECT_TRUE(module.size() > 3 && module.substr(1, 2) == ":\\" && module.ends_with(".exe")) << module;
}

}  // namespace
}  // namespace norvik::conformance
