#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"

namespace norvik::core {
namespace {

using platform::RegRoot;

TEST(TextRoutinesTest, Kilobytes) {
  const std::pair<std::int64_t, const char*> sizes[] = {
      {0, "0 KB"},          {3, "1 KB"},           {1024, "1 KB"},           {1536, "2 KB"},
      {999 * 1024, "999 KB"}, {1000 * 1024, "1,000 KB"}, {999999LL * 1024 + 1, "1,000,000 KB"},
      {INT64_MAX, "9,007,199,254,740,992 KB"},         {-1, "0 KB"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(FormatSizeKB(bytes), text) << bytes;
  EXPECT_EQ(FormatKB(1234567LL * 1024), "1,234,567");
}

class UtilityOnMachineTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
};

TEST_F(UtilityOnMachineTest, ReadRegStringAnswersEmptyForAnythingButAString) {
  RegistryAccess reg(p.registry);
  reg.SetRootKey(RegRoot::LocalMachine);
  ASSERT_TRUE(reg.OpenKey("SOFTWARE\\NorvikTest", true));
  ASSERT_TRUE(reg.WriteExpandString("Path", "%TEMP%") && reg.WriteInteger("Number", 3));
  EXPECT_EQ(ReadRegString(p.registry, RegRoot::LocalMachine, "SOFTWARE\\NorvikTest", "Path"), "%TEMP%");
  for (const auto& [root, key, value] : {std::tuple{RegRoot::LocalMachine, "SOFTWARE\\NorvikTest", "Number"},
                                         {RegRoot::LocalMachine, "SOFTWARE\\NorvikTest", "Missing"},
                                         {RegRoot::LocalMachine, "SOFTWARE\\NoSuchKey", "Path"},
                                         {RegRoot::CurrentUser, "SOFTWARE\\NorvikTest", "Path"}}) {
    EXPECT_EQ(ReadRegString(p.registry, root, key, value), "") << key << " " << value;
  }
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\NoSuchKey")) << "a read must not create the key";
}

TEST_F(UtilityOnMachineTest, FileChecks) {
  const std::string held = "C:\\data\\held.log", missing = "C:\\data\\missing.log";
  machine.WriteFile(held, "abc");
  EXPECT_EQ(std::tuple(FileSizeOf(p.files, held), FileSizeOf(p.files, missing), FileSizeOrError(p.files, missing)),
            std::tuple(3u, 0u, 0));
  for (const std::string& f : {held, missing, std::string("C:\\data")}) EXPECT_FALSE(IsFileInUse(p.files, f)) << f;
  machine.files().SetFileInUse(held, true);
  // In use, yet listed with its size, and not deleted.
  EXPECT_EQ(std::tuple(IsFileInUse(p.files, held), FileSizeOrError(p.files, held), DeleteFileSilently(p.files, held)),
            std::tuple(true, 3, false));
  machine.files().SetFileInUse(held, false);
  for (const char* refused : {"", "C:", "C:\\"}) EXPECT_FALSE(DeleteFileSilently(p.files, refused)) << refused;
  EXPECT_TRUE(DeleteFileSilently(p.files, held) && !machine.ReadFile(held).has_value());
}

TEST_F(UtilityOnMachineTest, DevicePathsToDriveLetters) {
  auto& files = machine.files();
  files.SetDosDevice('C', "\\Device\\HarddiskVolume1");
  files.MapDrive('E', platform::DriveType::Fixed);
  files.SetDosDevice('E', "\\Device\\Harddisk0\\Partition1");
  files.MapDrive('F', platform::DriveType::Fixed);
  files.SetDosDevice('F', "Device\\HarddiskVolume7");  // answered without the backslash
  files.MapDrive('G', platform::DriveType::CdRom);
  files.SetDosDevice('G', "\\Device\\CdRom0");
  const std::pair<const char*, const char*> cases[] = {
      {"\\Device\\HarddiskVolume1\\WINDOWS\\system32\\config\\SYSTEM", "c:\\WINDOWS\\system32\\config\\SYSTEM"},
      {"\\device\\harddiskvolume1\\x", "c:\\x"}, {"Device\\HarddiskVolume1\\x", "c:\\x"},
      {"\\Device\\HarddiskVolume1", "c:"}, {"\\Device\\Harddisk0\\Partition1\\WINDOWS\\x", "e:\\WINDOWS\\x"},
      {"\\Device\\HarddiskVolume7\\a\\b", "f:\\a\\b"}, {"\\Device\\CdRom0", "g:"},
      {"\\Device\\CdRom0\\x", ""},  // other devices match only as a whole
      {"\\Device\\HarddiskVolume10\\x", ""}, {"\\Device\\Harddisk0\\Partition2\\x", ""}, {"C:\\Windows", ""},
      {"", ""},
  };
  for (const auto& [device, dos] : cases) EXPECT_EQ(DevicePathToDosPath(p.files, device), dos) << device;
}

}  // namespace
}  // namespace norvik::core
