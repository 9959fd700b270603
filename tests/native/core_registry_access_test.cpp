#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/registry_access.h"
#include "platform/sim/sim_machine.h"

namespace norvik::core {
namespace {

using platform::RegRoot;
using platform::RegValue;

class RegistryAccessTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  RegistryAccess reg{p.registry};

  // Asked of a second object, so that `reg` keeps its open key.
  bool Exists(std::string_view path) { return RegistryAccess(p.registry).KeyExists(path); }
};

TEST_F(RegistryAccessTest, RelativePathsGoBelowTheOpenKeyAndBackslashPathsFromTheRoot) {
  ASSERT_TRUE(reg.OpenKey("Software\\NorvikTest", true));
  ASSERT_TRUE(reg.OpenKey("Inner\\Deeper\\", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\NorvikTest\\Inner\\Deeper");
  EXPECT_TRUE(Exists("Software\\NorvikTest\\Inner\\Deeper") && !Exists("Inner"));

  ASSERT_TRUE(reg.OpenKey("\\Software\\NorvikOther", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\NorvikOther");
  EXPECT_TRUE(reg.KeyExists("\\Software\\NorvikTest\\Inner") && !reg.KeyExists("Software"));

  ASSERT_TRUE(reg.WriteString("marker", "here"));
  EXPECT_FALSE(reg.OpenKey("Missing", false));  // keeps the open key
  EXPECT_EQ(reg.ReadString("marker").value_or(""), "here");

  reg.CloseKey();
  EXPECT_TRUE(reg.KeyExists("Software\\NorvikTest"));
  EXPECT_FALSE(reg.WriteString("marker", "nowhere"));
  ASSERT_TRUE(reg.OpenKey("Software\\NorvikOther", false));
  reg.SetRootKey(RegRoot::LocalMachine);  // closes it
  EXPECT_FALSE(reg.HasCurrentKey() || reg.KeyExists("Software\\NorvikOther"));
}

TEST_F(RegistryAccessTest, TypedReadsAndSizes) {
  ASSERT_TRUE(reg.OpenKey("Software\\NorvikTest", true));
  ASSERT_TRUE(reg.WriteString("sz", "abc") && reg.WriteExpandString("expand", "%SystemRoot%\\x") &&
              reg.WriteInteger("dword", -2) && reg.WriteBinaryData("bin", {1, 2, 3}) &&
              reg.WriteValue("qword", RegValue::Qword(5)) && reg.WriteValue("empty", RegValue::Binary({})));
  // Each typed read: what it gives, or the error it fails with.
  const auto text = [&](const char* name) { return reg.ReadString(name); };
  const auto number = [&](const char* name) { return reg.ReadInteger(name); };
  const auto bytes = [&](const char* name) { return reg.ReadBinaryData(name); };
  EXPECT_EQ(text("expand").value_or("") + "|" + text("empty").value_or("?"), "%SystemRoot%\\x|");
  EXPECT_EQ(number("dword").value_or(0), -2);
  EXPECT_EQ(bytes("bin").value_or({}), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(bytes("qword").value_or({}).size(), 8u);
  EXPECT_EQ(reg.ReadValue("qword").value_or({}).type, platform::RegType::Qword);
  constexpr std::uint32_t kMissing = platform::kErrFileNotFound, kWrong = platform::kErrDatatypeMismatch;
  const std::vector<std::uint32_t> errors = {
      text("missing").code(),   text("bin").code(),  text("dword").code(), number("missing").code(),
      number("sz").code(),      bytes("missing").code(), bytes("sz").code(), reg.ReadValue("missing").code()};
  EXPECT_EQ(errors, (std::vector<std::uint32_t>{kMissing, kWrong, kWrong, kMissing, kWrong, kMissing, kWrong, kMissing}));
  EXPECT_EQ(std::vector<std::int64_t>({reg.GetDataSize("missing"), reg.GetDataSize("sz"), reg.GetDataSize("dword"),
                                       reg.GetDataSize("bin"), reg.GetDataSize("empty")}),
            std::vector<std::int64_t>({-1, 4, 4, 3, 0}));
  EXPECT_EQ(reg.GetDataType("missing"), std::nullopt);
  std::vector<std::string> names{"stale"};
  EXPECT_TRUE(reg.GetValueNames(names) && names.size() == 6u);  // the list is replaced, not added to
  EXPECT_TRUE(reg.DeleteValue("sz") && !reg.DeleteValue("sz"));
  reg.CloseKey();
  EXPECT_TRUE(!reg.GetKeyNames(names) && names.empty());
}

TEST_F(RegistryAccessTest, DeleteKeyTakesTheWholeSubtreeAndNothingElse) {
  for (const char* path : {"Software\\T\\Victim\\a\\a1\\a11", "Software\\T\\Victim\\a\\a2", "Software\\T\\Victim\\b",
                           "Software\\T\\VictimTwin\\keep", "Software\\T\\Sibling\\Victim"}) {
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + path, true)) << path;
    ASSERT_TRUE(reg.WriteString("value", path));
  }
  ASSERT_TRUE(reg.OpenKey("\\Software\\T", false));
  EXPECT_TRUE(reg.DeleteKey("Victim"));  // relative to the open key
  EXPECT_EQ((std::vector<bool>{Exists("Software\\T\\Victim"), Exists("Software\\T\\VictimTwin\\keep"),
                                Exists("Software\\T\\Sibling\\Victim"), reg.DeleteKey("Victim")}),
            (std::vector<bool>{false, true, true, false}));
  EXPECT_TRUE(reg.DeleteKey("\\Software\\T\\Sibling\\Victim") && Exists("Software\\T\\Sibling"));
  EXPECT_FALSE(reg.DeleteKey("") || reg.DeleteKey("\\"));
  EXPECT_TRUE(Exists("Software\\T"));

  // A chain as deep as the registry allows goes as a whole.
  ASSERT_TRUE(reg.OpenKey("\\Software\\Deep", true));
  int depth = 2;
  while (depth < 600 && reg.OpenKey("k", true)) ++depth;
  EXPECT_TRUE(depth >= 500 && depth < 600) << depth << ": the registry should refuse keys this deep";
  EXPECT_TRUE(reg.DeleteKey("\\Software\\Deep") && !Exists("Software\\Deep"));
}

TEST(RegistryPathTest, RootNamesAndSplitting) {
  for (const RegRoot root : {RegRoot::ClassesRoot, RegRoot::CurrentUser, RegRoot::LocalMachine, RegRoot::Users,
                             RegRoot::CurrentConfig}) {
    EXPECT_EQ(RootFromName(platform::RootName(root)), root) << platform::RootName(root);
  }
  for (const char* other : {"hkey_users", "HKLM", "HKEY_DYN_DATA", "HKEY_USERS ", ""}) {
    EXPECT_EQ(RootFromName(other), std::nullopt) << other;
  }
  EXPECT_EQ((std::vector{SplitRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\A"), SplitRegistryPath("HKEY_USERS"),
                         SplitRegistryPath("\\x")}),
            (std::vector<RegistryPath>{{"HKEY_LOCAL_MACHINE", "SOFTWARE\\A"}, {"HKEY_USERS", ""}, {"", "x"}}));
}

}  // namespace
}  // namespace norvik::core
