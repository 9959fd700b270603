// Saving a hive to a file needs the real RegSaveKey, the backup privilege and a real
// file: only the real API shows it. The other core routines are portable code over the
// platform layer, proven natively and through the conformance suite.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "conformance/conformance_env.h"
#include "core/registry_access.h"
#include "core/utility_routines.h"

namespace norvik::core {
namespace {

TEST(CoreOnWindowsTest, HiveSaveReplacesAnOldCopyAndLeavesNoneOnFailure) {
  const auto env = conformance::MakeConformanceEnv();
  platform::Platform p = env->platform();
  const std::string key = env->ScratchKey();
  RegistryAccess reg(p.registry);
  ASSERT_TRUE(reg.OpenKey(key + "\\Tree\\a\\b", true));
  ASSERT_TRUE(reg.WriteInteger("n", 7));

  std::string sid;  // the user's hive is the one below HKEY_USERS that holds our scratch key
  const platform::RegKey users = p.registry.Root(platform::RegRoot::Users);
  for (const std::string& name : users.SubKeyNames().value_or({})) sid = users.Open(name + "\\" + key) ? name : sid;
  ASSERT_FALSE(sid.empty());
  EnableBackupPrivilege(p.system);
  const std::string hive = "\\REGISTRY\\USER\\" + sid + "\\" + key + "\\Tree";
  const std::string destination = env->ScratchFolder() + "\\user.hiv";
  ASSERT_TRUE(SaveHiveToFile(p.registry, p.files, hive, destination, false));
  EXPECT_TRUE(SaveHiveToFile(p.registry, p.files, hive, destination, false)) << "an old copy is replaced";
  EXPECT_GT(FileSizeOf(p.files, destination), 0u);
  EXPECT_FALSE(SaveHiveToFile(p.registry, p.files, hive + "\\Missing", destination, false));
  EXPECT_EQ(FileSizeOrError(p.files, destination), 0);
}

}  // namespace
}  // namespace norvik::core
