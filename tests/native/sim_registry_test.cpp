// What only the simulated registry offers: test switches, the saved-hive writer, the
// recorded hive replacements and its hard caps. Shared behaviour is in the conformance suite.

#include "platform/sim/sim_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/reg_file.h"

namespace norvik::platform::sim {
namespace {

TEST(SimRegistryTest, AccessDeniedKeysCannotBeOpenedCreatedOrDeleted) {
  SimRegistry reg;
  RegKey user = reg.Root(RegRoot::CurrentUser);
  ASSERT_TRUE(user.Create("Software\\Locked\\Inner")->Set("v", RegValue::Dword(1)));
  ASSERT_TRUE(user.Open("Software\\Locked")->Set("hidden", RegValue::Dword(2)));
  ASSERT_TRUE(reg.SetAccessDenied(RegRoot::CurrentUser, "Software\\Locked", true));

  EXPECT_EQ(user.Open("Software\\Locked").code(), kErrAccessDenied);
  EXPECT_EQ(user.Create("Software\\LOCKED").code(), kErrAccessDenied);
  EXPECT_EQ(user.DeleteSubKey("Software\\Locked\\Inner"), Status::Ok());  // passing through is allowed
  EXPECT_EQ(user.DeleteSubKey("Software\\Locked").code(), kErrAccessDenied);
  // An export shows the key it cannot open by name only.
  const std::string text = SaveRegText(reg, RegRoot::CurrentUser, "Software", RegFormat::Regedit4).value();
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Locked]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("hidden"), std::string::npos);

  ASSERT_TRUE(reg.SetAccessDenied(RegRoot::CurrentUser, "Software\\Locked", false));
  EXPECT_TRUE(user.Open("Software\\Locked").ok());
  // Marking a missing key makes it.
  ASSERT_TRUE(reg.SetAccessDenied(RegRoot::LocalMachine, "Software\\New", true));
  EXPECT_EQ(reg.Root(RegRoot::LocalMachine).Open("Software\\New").code(), kErrAccessDenied);
}

TEST(SimRegistryTest, SaveToFileWritesTheSubtreeThroughTheMachinesWriter) {
  SimRegistry reg;
  RegKey key = reg.Root(RegRoot::LocalMachine).Create("Software\\Hive").value();
  ASSERT_TRUE(key.Create("Sub")->Set("v", RegValue::Dword(7)));
  EXPECT_EQ(key.SaveToFile("C:\\hive.fdc").code(), kErrNotSupported);

  std::vector<std::pair<std::string, std::string>> written;
  Status answer = Status::Ok();
  reg.SetFileWriter([&](const std::string& path, const std::string& bytes) {
    written.emplace_back(path, bytes);
    return answer;
  });
  ASSERT_TRUE(key.SaveToFile("C:\\hive.fdc"));
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].first, "C:\\hive.fdc");
  // 5.00 text (UTF-16LE) with the subtree below a fixed section name.
  EXPECT_NE(written[0].second.find(std::string("[\0S\0A\0V\0E\0D\0_\0H\0I\0V\0E\0\\\0S\0u\0b\0]", 31)),
            std::string::npos);

  answer = Status(kErrAlreadyExists);  // the machine refuses an existing file, as RegSaveKey does
  EXPECT_EQ(key.SaveToFile("C:\\hive.fdc").code(), kErrAlreadyExists);
  ASSERT_TRUE(reg.Root(RegRoot::LocalMachine).DeleteSubKey("Software\\Hive\\Sub"));
  ASSERT_TRUE(reg.Root(RegRoot::LocalMachine).DeleteSubKey("Software\\Hive"));
  EXPECT_EQ(key.SaveToFile("C:\\other.fdc").code(), kErrKeyDeleted);
}

TEST(SimRegistryTest, ReplaceHiveIsRecordedAndSucceeds) {
  SimRegistry reg;
  EXPECT_TRUE(reg.ReplaceHive(RegRoot::LocalMachine, "SOFTWARE", "C:\\s.fdc", "C:\\s.bak"));
  const auto recorded = reg.hive_replacements();
  ASSERT_EQ(recorded.size(), 1u);
  const auto& r = recorded[0];
  EXPECT_EQ(r.root, RegRoot::LocalMachine);
  EXPECT_EQ(r.subkey, "SOFTWARE");
  EXPECT_EQ(r.new_file, "C:\\s.fdc");
  EXPECT_EQ(r.old_file, "C:\\s.bak");
}

TEST(SimRegistryTest, PredefinedViewsAndCaps) {
  SimRegistry reg;
  struct View {
    RegRoot view;
    RegRoot base;
    const char* path;
  };
  for (const View& v : {View{RegRoot::ClassesRoot, RegRoot::LocalMachine, "Software\\Classes"},
                        View{RegRoot::CurrentUser, RegRoot::Users, "S-1-5-21-0-0-0-1000"},
                        View{RegRoot::CurrentConfig, RegRoot::LocalMachine,
                             "System\\CurrentControlSet\\Hardware Profiles\\Current"}}) {
    SCOPED_TRACE(v.path);
    ASSERT_TRUE(reg.Root(v.view).Create("Seen")->Set("v", RegValue::Dword(1)));
    EXPECT_EQ(reg.OpenKey(v.base, std::string(v.path) + "\\Seen")->Query("v").value(), RegValue::Dword(1));
  }

  std::string path;
  for (std::size_t depth = 1; depth <= kMaxKeyDepth; ++depth) path += "d\\";
  EXPECT_TRUE(reg.Root(RegRoot::LocalMachine).Create(path).ok());
  EXPECT_EQ(reg.Root(RegRoot::LocalMachine).Create(path + "one-too-many").code(), kErrInvalidParameter);

  // Names end at a NUL, as they do at the W functions.
  RegKey key = reg.Root(RegRoot::CurrentUser).Create(std::string("Nul\0tail", 8)).value();
  ASSERT_TRUE(key.Set(std::string("a\0b", 3), RegValue::Dword(1)));
  EXPECT_EQ(key.ValueNames().value(), std::vector<std::string>{"a"});
  EXPECT_TRUE(reg.OpenKey(RegRoot::CurrentUser, "Nul").ok());
}

}  // namespace
}  // namespace norvik::platform::sim
