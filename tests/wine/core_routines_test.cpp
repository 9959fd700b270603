// The core routines against the real API: what the simulated Windows can only imitate
// (sharing violations, 8.3 names, hive files, device names, profile files).

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"
#include <memory>
#include <string>

#include "conformance/conformance_env.h"
#include "core/registry_access.h"
#include "core/settings_store.h"
#include "core/utility_routines.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"

namespace norvik::core {
namespace {

using platform::win32::Wide;

class CoreOnWindowsTest : public ::testing::Test {
 protected:
  std::unique_ptr<conformance::ConformanceEnv> env = conformance::MakeConformanceEnv();
  platform::Platform p = env->platform();
  std::string folder = env->ScratchFolder();
  std::string key = env->ScratchKey();
};

TEST_F(CoreOnWindowsTest, FactsAndNames) {
  EXPECT_EQ(GetOsCode(p.system), 12);  // Wine presents Windows 7
  EXPECT_TRUE(IsAdmin(p.system));
  EXPECT_FALSE(IsWow64(p.system));
  EXPECT_EQ(DevicePathToDosPath(p.files, "\\Device\\HarddiskVolume1\\windows"), "c:\\windows");
  EXPECT_EQ(DevicePathToDosPath(p.files, "\\Device\\HarddiskVolume99\\windows"), "");
  const std::string short_name = ShortPathOf(p.files, "C:\\Program Files");
  EXPECT_TRUE(!short_name.empty() && short_name.find(' ') == std::string::npos) << short_name;
}

TEST_F(CoreOnWindowsTest, FileInUseWhileHeldExclusively) {
  const std::string path = folder + "\\held.dat";
  {
    platform::win32::unique_handle file(::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), "abc", 3, &written, nullptr));
    EXPECT_TRUE(IsFileInUse(p.files, path));
    EXPECT_FALSE(DeleteFileSilently(p.files, path));
  }
  EXPECT_FALSE(IsFileInUse(p.files, path));
  EXPECT_EQ(FileSizeOrError(p.files, path), 3);
  EXPECT_TRUE(DeleteFileSilently(p.files, path));
  EXPECT_EQ(FileSizeOrError(p.files, path), 0);
}

TEST_F(CoreOnWindowsTest, HiveSaveAndSubtreeDeleteOnTheRealRegistry) {
  RegistryAccess reg(p.registry);
  ASSERT_TRUE(reg.OpenKey(key + "\\Tree\\a\\b", true));
  ASSERT_TRUE(reg.WriteInteger("n", 7));
  ASSERT_TRUE(reg.OpenKey("\\" + key + "\\TreeTwin", true));

  std::string sid;  // the user's hive is the one below HKEY_USERS that holds our scratch key
  const platform::RegKey users = p.registry.Root(platform::RegRoot::Users);
  for (const std::string& name : users.SubKeyNames().value_or({})) sid = users.Open(name + "\\" + key) ? name : sid;
  ASSERT_FALSE(sid.empty());
  EnableBackupPrivilege(p.system);
  const std::string hive = "\\REGISTRY\\USER\\" + sid + "\\" + key + "\\Tree";
  const std::string destination = folder + "\\user.hiv";
  ASSERT_TRUE(SaveHiveToFile(p.registry, p.files, hive, destination, false));
  EXPECT_TRUE(SaveHiveToFile(p.registry, p.files, hive, destination, false)) << "an old copy is replaced";
  EXPECT_GT(FileSizeOf(p.files, destination), 0u);
  EXPECT_FALSE(SaveHiveToFile(p.registry, p.files, hive + "\\Missing", destination, false));
  EXPECT_EQ(FileSizeOrError(p.files, destination), 0);

  ASSERT_TRUE(reg.OpenKey("\\" + key, false));
  EXPECT_TRUE(reg.DeleteKey("Tree"));
  EXPECT_FALSE(reg.KeyExists("Tree"));
  EXPECT_TRUE(reg.KeyExists("TreeTwin"));
}

// Points the store at the scratch folder instead of the test program's own.
class ScratchProgram final : public platform::System {
 public:
  ScratchProgram(platform::System& real, std::string program) : real_(real), program_(std::move(program)) {}
  platform::OsVersion GetVersion() override { return real_.GetVersion(); }
  platform::Result<bool> IsWow64Process() override { return real_.IsWow64Process(); }
  platform::Result<bool> IsAdministrator() override { return real_.IsAdministrator(); }
  platform::Status EnablePrivilege(std::string_view name) override { return real_.EnablePrivilege(name); }
  std::string ExpandEnvironment(std::string_view text) override { return real_.ExpandEnvironment(text); }
  std::optional<std::string> GetEnvironment(std::string_view name) override { return real_.GetEnvironment(name); }
  std::string ModuleFileName() override { return program_; }
  bool WindowClassExists(std::string_view class_name) override { return real_.WindowClassExists(class_name); }
  platform::Status EndBrowserSession() override { return real_.EndBrowserSession(); }
  platform::Status EmptyClipboard() override { return real_.EmptyClipboard(); }
  platform::CalendarTime LocalNow() override { return real_.LocalNow(); }
  platform::Result<platform::CalendarTime> FileTimeToLocal(platform::FileTime t) override {
    return real_.FileTimeToLocal(t);
  }
  std::string FormatDateTime(const platform::CalendarTime& t, bool with_time) override {
    return real_.FormatDateTime(t, with_time);
  }
  platform::Result<std::unique_ptr<platform::UrlCacheWalk>> WalkUrlCache() override { return real_.WalkUrlCache(); }
  platform::Status DeleteCacheEntry(std::string_view url) override { return real_.DeleteCacheEntry(url); }
  platform::Result<std::unique_ptr<platform::UrlHistory>> OpenUrlHistory() override { return real_.OpenUrlHistory(); }
  bool ProtectedStorageAvailable() override { return real_.ProtectedStorageAvailable(); }
  platform::Result<std::unique_ptr<platform::ProtectedStore>> ConnectProtectedStorage() override {
    return real_.ConnectProtectedStorage();
  }

 private:
  platform::System& real_;
  std::string program_;
};

TEST_F(CoreOnWindowsTest, SettingsThroughTheProfileFunctions) {
  ScratchProgram program(p.system, folder + "\\norvik.exe");
  SettingsStore store(p.ini, program);
  store.Load({12, 34, 700, 480});
  EXPECT_EQ(store.settings().OutputDirectory, folder + "\\Backup");
  store.settings().WipeNumber = 4;
  store.settings().IgnoreKeys = {"HKEY_CURRENT_USER\\Software\\Ünïcode"};
  store.settings().SelectedItems = {"Windows", "Windows - Clipboard"};
  ASSERT_TRUE(store.Save());

  SettingsStore reloaded(p.ini, program);
  reloaded.Load({});
  EXPECT_EQ(reloaded.settings(), store.settings());

  ScratchProgram moved(p.system, folder + "\\gone\\norvik.exe");
  SettingsStore homeless(p.ini, moved);
  EXPECT_FALSE(homeless.Save());
  EXPECT_EQ(homeless.SaveErrorText(), "Unable to write to " + folder + "\\gone\\options.ini");
}

}  // namespace
}  // namespace norvik::core
