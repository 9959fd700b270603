// What only the simulated Windows offers: its set-up calls (files in use, links, drives
// without a medium, locked keys, scenarios kept as data; the scenario loader goes through
// the same set-up calls as a test would) and the rules it had to choose itself. Shared
// behaviour is in the conformance suite.

#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "platform/reg_text.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_paths.h"
#include "platform/sim/sim_registry.h"

namespace norvik::platform::sim {
namespace {

namespace fs = std::filesystem;
using namespace file_attr;
using Listing = std::set<std::string>;

Listing Names(Files& files, const std::string& pattern) {
  auto start = files.FindFirst(pattern);
  if (!start) return {};
  Listing names{start->first.name};
  for (auto next = start->rest.Next(); next; next = start->rest.Next()) names.insert(next->name);
  return names;
}

// Listing order decides the numbers; an alias already on the drive is never handed out twice.
TEST(SimPathsTest, ShortNamesAreNumberedInListingOrder) {
  const std::map<std::string, std::string> expected = {
      {"Program Files", "PROGRA~1"}, {"Program Files (x86)", "PROGRA~2"}, {"Long File Name.text", "LONGFI~1.TEX"}};
  EXPECT_EQ(AssignShortNames({"Program Files (x86)", "SHORT.TXT", "Program Files", "Long File Name.text"}), expected);
  EXPECT_EQ(AssignShortNames({"abcdefgh.txt", "ABCDEF~1.TXT", "abcdefghi.txt"}).at("abcdefghi.txt"), "ABCDEF~2.TXT");
}

class SimMachineTest : public ::testing::Test {
 protected:
  SimMachine machine;
  SimFiles& files = machine.files();
};

TEST_F(SimMachineTest, PathsThatAreNotDriveAbsoluteOrHoldBadCharacters) {
  machine.WriteFile("C:\\Dir\\File.txt", "x");
  EXPECT_TRUE(files.GetAttributes("c:/DIR\\..\\dir\\.\\file.TXT"));
  for (const char* path : {"", "C:", "C:dir", "dir\\file.txt", "\\dir", "\\\\server\\share\\x"}) {
    EXPECT_EQ(files.GetAttributes(path).code(), kErrPathNotFound) << path;
  }
  for (const char* path : {"C:\\dir\\a|b", "C:\\dir\\*.txt", "C:\\d?r\\file.txt", "C:\\dir\\a:b"}) {
    EXPECT_EQ(files.GetAttributes(path).code(), kErrInvalidName) << path;
  }
  EXPECT_EQ(files.FindFirst("C:\\dir\\file.txt\\*").code(), kErrInvalidName);  // as Wine answers
  EXPECT_THROW(machine.HostPath("relative\\x"), std::invalid_argument);
}

TEST_F(SimMachineTest, FileInUseByAnotherProgram) {
  machine.WriteFile("C:\\logs\\held.log", "abc");
  machine.WriteFile("C:\\logs\\free.log", "abc");
  machine.SetFileInUse("C:\\LOGS\\held.log", true);
  EXPECT_EQ(files.Open("C:\\logs\\held.log", FileAccess::Read, 0, FileDisposition::OpenExisting).code(),
            kErrSharingViolation);
  EXPECT_TRUE(files.Open("C:\\logs\\held.log", FileAccess::Read, file_share::kAll, FileDisposition::OpenExisting));
  // A tree delete removes what it can and reports the held file.
  EXPECT_EQ(files.ShellDelete("C:\\logs").code(), kErrSharingViolation);
  EXPECT_EQ(Names(files, "C:\\logs\\*.log"), (Listing{"held.log"}));
  machine.SetFileInUse("C:\\logs\\held.log", false);
  EXPECT_TRUE(files.ShellDelete("C:\\logs"));
}

TEST_F(SimMachineTest, LinksAreToldApartAndNeverDeleted) {
  machine.WriteFile("C:\\target\\keep.txt", "x");
  machine.WriteFile("C:\\target\\file.txt", "x");
  machine.MakeFolder("C:\\walk");
  machine.CreateLink("C:\\walk\\junction", "C:\\target");
  machine.CreateLink("C:\\walk\\file-link.txt", "C:\\target\\file.txt");

  EXPECT_EQ(files.FindFirst("C:\\walk\\junction")->first.attributes, kDirectory | kReparsePoint);
  // As under Wine, a link to a file lists as that file; only IsLink tells.
  EXPECT_EQ(files.GetAttributes("C:\\walk\\file-link.txt").value_or(0), kArchive);
  EXPECT_TRUE(files.IsLink("C:\\walk\\file-link.txt") && files.IsLink("C:\\walk\\junction"));
  EXPECT_FALSE(files.IsLink("C:\\target\\file.txt") || files.IsLink("C:\\walk\\missing"));
  EXPECT_EQ(Names(files, "C:\\walk\\junction\\*.txt"), (Listing{"file.txt", "keep.txt"}));

  // Wine deletes what a link points to, so every delete refuses the link, or a tree holding one.
  machine.MakeFolder("C:\\walk\\deeper");
  machine.CreateLink("C:\\walk\\deeper\\again", "C:\\target");
  for (const char* link : {"C:\\walk\\junction", "C:\\walk\\file-link.txt"}) {
    EXPECT_EQ(files.DeleteFile(link).code(), kErrAccessDenied) << link;
    EXPECT_EQ(files.RemoveDirectory(link).code(), kErrAccessDenied) << link;
  }
  for (const char* path : {"C:\\walk\\junction", "C:\\walk\\file-link.txt", "C:\\walk\\deeper", "C:\\walk"}) {
    EXPECT_EQ(files.ShellDelete(path).code(), kErrAccessDenied) << path;
  }
  EXPECT_EQ(Names(files, "C:\\walk\\deeper\\*"), (Listing{".", "..", "again"}));
  EXPECT_EQ(Names(files, "C:\\target\\*.txt"), (Listing{"file.txt", "keep.txt"}));
}

TEST_F(SimMachineTest, DrivesTheirDevicesAndMissingMedia) {
  machine.MapDrive('a', DriveType::Removable, false);
  machine.MapDrive('D', DriveType::CdRom);
  machine.MapDrive('E', DriveType::Fixed);
  EXPECT_EQ(files.LogicalDrives(), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 4));
  EXPECT_EQ(files.GetDriveType("d:"), DriveType::CdRom);
  EXPECT_EQ(files.GetDriveType("C:\\windows"), DriveType::Fixed);  // only the letter counts
  EXPECT_EQ(files.GetDriveType("\\\\server\\share\\"), DriveType::NoRootDir);
  EXPECT_FALSE(files.IsVolumeReady("A:\\"));
  EXPECT_EQ(files.FindFirst("A:\\*").code(), kErrNotReady);
  for (const auto& [drive, device] :
       {std::pair{"C:\\", "\\Device\\HarddiskVolume1"}, {"a:", "\\Device\\Floppy0"}, {"D:", "\\Device\\CdRom0"},
        {"E:", "\\Device\\HarddiskVolume2"}, {"C:\\x", "-"}}) {
    EXPECT_EQ(files.QueryDosDevice(drive).value_or({"-"}).front(), device) << drive;
  }
}

TEST_F(SimMachineTest, RulesChosenWhereWineCannotShowWindows) {
  // Wine runs our tests as root, which may write read-only files; Windows refuses.
  machine.WriteFile("C:\\ro.ini", "[A]\r\nx=1\r\n");
  ASSERT_TRUE(files.SetAttributes("C:\\ro.ini", kReadOnly));
  EXPECT_EQ(files.Open("C:\\ro.ini", FileAccess::Write, 0, FileDisposition::OpenExisting).code(), kErrAccessDenied);
  EXPECT_EQ(machine.ini().WriteString("C:\\ro.ini", "A", "x", "2").code(), kErrAccessDenied);
  EXPECT_TRUE(machine.ini().WriteString("C:\\ro.ini", "a", "X", " 1 "));  // no change: nothing written

  ASSERT_TRUE(files.SetLastWriteTime("C:\\ro.ini", 132000000000000000ull));
  EXPECT_EQ(files.FindFirst("C:\\ro.ini")->first.last_write_time, 132000000000000000ull);
  EXPECT_TRUE(files.DeleteOnReboot("C:\\a.tmp"));
  EXPECT_EQ(machine.RebootDeletes(), (std::vector<std::string>{"C:\\a.tmp"}));
}

TEST_F(SimMachineTest, IniFilesSurviveHostileBytes) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  machine.WriteFile("C:\\junk.ini", junk + "\n[S]\nk=v");
  EXPECT_EQ(machine.ini().GetString("C:\\junk.ini", "S", "k", "d"), "v");
  machine.WriteFile("C:\\bom.ini", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n");  // UTF-8 with its mark
  ASSERT_TRUE(machine.ini().WriteString("C:\\bom.ini", "S", "j", "☃"));
  EXPECT_EQ(machine.ini().GetString("C:\\bom.ini", "S", "k", "d"), "é");
  EXPECT_EQ(machine.ReadFile("C:\\bom.ini"), "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nj=\xE2\x98\x83\r\n");
}

TEST(SimMachineLoadTest, ScenarioFromFolder) {
  const auto machine =
      SimMachine::LoadFromFolder(fs::path(NORVIK_TEST_DATA) / "sim_machine");
  Platform p = machine->platform();
  const OsVersion v = p.system.GetVersion();
  EXPECT_EQ(std::tie(v.major, v.minor, v.build, v.platform_id, v.service_pack),
            std::make_tuple(5u, 1u, 2600u, 2u, std::string("Service Pack 3")));
  EXPECT_EQ(p.system.IsWow64Process().code(), kErrCallNotImplemented);
  EXPECT_FALSE(p.system.IsAdministrator().value_or(true));
  EXPECT_EQ(p.system.ModuleFileName(), "C:\\Tools\\norvik.exe");
  EXPECT_TRUE(p.system.EnablePrivilege("SeBackupPrivilege"));  // held: the only one listed
  EXPECT_EQ(p.system.EnablePrivilege("SeRestorePrivilege").code(), kErrNotAllAssigned);
  EXPECT_EQ(p.system.GetEnvironment("USERPROFILE"), "C:\\users\\alice");
  EXPECT_EQ(p.system.GetEnvironment("norvik_flag"), "on");
  EXPECT_FALSE(p.system.GetEnvironment("PUBLIC"));
  EXPECT_EQ(p.files.TempFolder(), "C:\\Scratch\\");
  EXPECT_EQ(p.shell.SpecialFolder(csidl::kAppData).value_or(""), "C:\\Data\\Roaming");
  EXPECT_FALSE(p.files.IsVolumeReady("A:\\"));
  EXPECT_EQ(p.files.QueryDosDevice("D:").value_or({}), (std::vector<std::string>{"\\Device\\CdRom7"}));
  EXPECT_EQ(machine->ReadFile("F:\\only.txt"), "on F\r\n");  // F: mapped for its files
  EXPECT_EQ(Names(p.files, "C:\\users\\*"), (Listing{".", "..", "alice", "Public"}));
  EXPECT_EQ(p.files.DeleteFile("C:\\users\\alice\\ntuser.dat").code(), kErrSharingViolation);
  EXPECT_EQ(p.files.GetAttributes("C:\\Junction").value_or(0), kDirectory | kReparsePoint);
  EXPECT_EQ(p.shell.ResolveShortcut("C:\\Data\\app.lnk").value_or(""), "C:\\Tools\\app.exe");
  const RegKey key = p.registry.Root(RegRoot::CurrentUser).Open("Software\\Norvik Test").value_or({});
  EXPECT_EQ(key.Query("Name").value_or({}).AsString(), "from the scenario");
}

TEST(SimMachineLoadTest, BrokenScenariosSayWhatIsWrong) {
  SimMachine scratch;  // only for a temporary folder of our own
  const fs::path folder = scratch.HostPath("C:\\scenario");
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
  fs::create_directories(folder);
  for (const char* ini : {"[Drives]\nQ=floppy\n", "[Version]\nMajor=six\n"}) {
    std::ofstream(folder / "machine.ini") << ini;
    EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error) << ini;
  }
  std::ofstream(folder / "machine.ini") << "";
  std::ofstream(folder / "registry.reg") << "not a registry file\n";
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
}

// The simulated registry's own switches, its saved-hive writer and its depth cap.
TEST(SimRegistryTest, AccessDeniedKeysCannotBeOpenedCreatedOrDeleted) {
  SimRegistry reg;
  RegKey user = reg.Root(RegRoot::CurrentUser);
  ASSERT_TRUE(user.Create("Software\\Locked\\Inner")->Set("v", RegValue::Dword(1)));
  ASSERT_TRUE(user.Open("Software\\Locked")->Set("hidden", RegValue::Dword(2)));
  ASSERT_TRUE(reg.SetAccessDenied(RegRoot::CurrentUser, "Software\\Locked", true));

  EXPECT_EQ(user.Open("Software\\Locked").code(), kErrAccessDenied);
  EXPECT_EQ(user.DeleteSubKey("Software\\Locked\\Inner"), Status::Ok());  // passing through is allowed
  EXPECT_EQ(user.DeleteSubKey("Software\\Locked").code(), kErrAccessDenied);
  // An export shows the key it cannot open by name only.
  const std::string text = ExportRegKey(reg, RegRoot::CurrentUser, "Software", RegFormat::Regedit4).value();
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Locked]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("hidden"), std::string::npos);
}

// Views that the conformance suite cannot reach on both backends, and the hard caps.
TEST(SimRegistryTest, CurrentConfigViewAndDepthCap) {
  SimRegistry reg;
  ASSERT_TRUE(reg.Root(RegRoot::CurrentConfig).Create("Seen")->Set("v", RegValue::Dword(1)));
  EXPECT_TRUE(reg.OpenKey(RegRoot::LocalMachine, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Seen"));

  std::string path;
  for (std::size_t depth = 1; depth <= kMaxKeyDepth; ++depth) path += "d\\";
  EXPECT_TRUE(reg.Root(RegRoot::LocalMachine).Create(path).ok());
  EXPECT_EQ(reg.Root(RegRoot::LocalMachine).Create(path + "one-too-many").code(), kErrInvalidParameter);
}

}  // namespace
}  // namespace norvik::platform::sim
