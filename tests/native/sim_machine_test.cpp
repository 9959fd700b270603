// What only the simulated machine offers: its set-up calls (files in use, links, drives
// without a medium, scenarios kept as data) and the rules it had to choose itself.

#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_paths.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"

namespace norvik::platform::sim {
namespace {

namespace fs = std::filesystem;
using namespace file_attr;

std::set<std::string> Names(Files& files, const std::string& pattern) {
  std::set<std::string> names;
  auto start = files.FindFirst(pattern);
  if (!start) return names;
  names.insert(start->first.name);
  for (auto next = start->rest.Next(); next; next = start->rest.Next()) names.insert(next->name);
  return names;
}

TEST(SimPathsTest, MaskMatchingFollowsTheRealImplementation) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"a.txt", "*.TXT", true}, {"noext", "*.*", true},     {"noext", "noext.*", true},
      {"a.b.c", "*.???", true}, {"abc", "a*c", true},       {"a.txt", "*.txt*", true},
      {"axbxc", "*x*c", true},  {"ab", "?", false},         {"a", "??", false},
      {"a.txt", "*.tx", false}, {"a.txt", "*?.txt", false},  // nothing after '*' may be '?'
      {"ÉTÉ", "été", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
}

TEST(SimPathsTest, ShortNamesAreNumberedInListingOrder) {
  const std::vector<std::string> names = {
      "Program Files (x86)", "longfilenamf.txt", "Long File Name.text",
      "SHORT.TXT",           ".hidden",          "a.b.c",
      "Program Files",       "longfilename.txt", "ABCDEF~1"};
  const std::map<std::string, std::string> expected = {{"Program Files", "PROGRA~1"},
                                                       {"Program Files (x86)", "PROGRA~2"},
                                                       {"Long File Name.text", "LONGFI~1.TEX"},
                                                       {"longfilename.txt", "LONGFI~1.TXT"},
                                                       {"longfilenamf.txt", "LONGFI~2.TXT"},
                                                       {".hidden", "HIDDEN~1"},
                                                       {"a.b.c", "AB~1.C"}};
  EXPECT_EQ(AssignShortNames(names), expected);
  EXPECT_EQ(AssignShortNames({"abcdefgh.txt", "ABCDEF~1.TXT", "abcdefghi.txt"}).at("abcdefghi.txt"),
            "ABCDEF~2.TXT");
}

class SimMachineTest : public ::testing::Test {
 protected:
  SimMachine machine;
  SimFiles& files = machine.files();
};

TEST_F(SimMachineTest, PathsThatAreNotDriveAbsoluteOrHoldBadCharacters) {
  machine.WriteFile("C:\\Dir\\File.txt", "x");
  EXPECT_TRUE(files.GetAttributes("c:/DIR\\file.TXT"));
  EXPECT_TRUE(files.GetAttributes("C:\\dir\\..\\DIR\\.\\file.txt"));
  for (const char* path : {"", "C:", "C:dir", "dir\\file.txt", "\\dir", "\\\\server\\share\\x"}) {
    EXPECT_EQ(files.GetAttributes(path).code(), kErrPathNotFound) << path;
  }
  for (const char* path : {"C:\\dir\\a|b", "C:\\dir\\*.txt", "C:\\d?r\\file.txt", "C:\\dir\\a:b"}) {
    EXPECT_EQ(files.GetAttributes(path).code(), kErrInvalidName) << path;
  }
  EXPECT_EQ(files.FindFirst("C:\\dir\\file.txt\\*").code(), kErrInvalidName);  // as Wine answers
  EXPECT_THROW(machine.HostPath("relative\\x"), std::invalid_argument);
  // Set-up merges with existing names regardless of letter case.
  machine.MakeFolder("C:\\USERS\\USER\\new");
  EXPECT_EQ(Names(files, "C:\\*"), (std::set<std::string>{"Dir", "Norvik", "Program Files",
                                                          "ProgramData", "users", "windows"}));
}

TEST_F(SimMachineTest, ShortNameAliasesReachTheLongNames) {
  machine.WriteFile("C:\\Program Files\\Some App\\app.exe", "x");
  EXPECT_EQ(files.GetShortPathName("C:\\Program Files\\Some App\\app.exe").value_or(""),
            "C:\\PROGRA~1\\SOMEAP~1\\app.exe");
  EXPECT_EQ(files.GetShortPathName("c:/program files/./..\\Program Files\\").value_or(""),
            "c:/PROGRA~1/./..\\PROGRA~1\\");  // separators and dots stay as written
  EXPECT_TRUE(files.GetAttributes("C:\\progra~1\\SOMEAP~1\\APP.EXE"));
  EXPECT_EQ(files.FindFirst("C:\\PROGRA~1")->first.name, "Program Files");
  EXPECT_EQ(files.GetShortPathName("C:\\Program Files\\app.exe\\x").code(), kErrFileNotFound);
}

TEST_F(SimMachineTest, FileInUseByAnotherProgram) {
  machine.WriteFile("C:\\logs\\held.log", "abc");
  machine.WriteFile("C:\\logs\\free.log", "abc");
  machine.SetFileInUse("C:\\LOGS\\held.log", true);
  EXPECT_EQ(
      files.Open("C:\\logs\\held.log", FileAccess::Read, 0, FileDisposition::OpenExisting).code(),
      kErrSharingViolation);
  EXPECT_TRUE(files.Open("C:\\logs\\held.log", FileAccess::Read, file_share::kAll,
                         FileDisposition::OpenExisting));
  EXPECT_EQ(files.DeleteFile("C:\\logs\\held.log").code(), kErrSharingViolation);
  EXPECT_EQ(files.FindFirst("C:\\logs\\held.log")->first.size, 3u);

  // A tree delete removes what it can and reports the held file.
  EXPECT_EQ(files.ShellDelete("C:\\logs").code(), kErrSharingViolation);
  EXPECT_EQ(Names(files, "C:\\logs\\*.log"), (std::set<std::string>{"held.log"}));
  machine.SetFileInUse("C:\\logs\\held.log", false);
  EXPECT_TRUE(files.ShellDelete("C:\\logs"));
}

TEST_F(SimMachineTest, LinksAreListedAsReparsePointsAndNeverFollowedWhenDeleting) {
  machine.WriteFile("C:\\target\\keep.txt", "x");
  machine.WriteFile("C:\\target\\file.txt", "x");
  machine.MakeFolder("C:\\walk");
  machine.CreateLink("C:\\walk\\junction", "C:\\target");
  machine.CreateLink("C:\\walk\\file-link.txt", "C:\\target\\file.txt");
  EXPECT_THROW(machine.CreateLink("C:\\walk\\junction", "C:\\target"), std::runtime_error);

  auto junction = files.FindFirst("C:\\walk\\junction");
  ASSERT_TRUE(junction);
  EXPECT_EQ(junction->first.attributes, kDirectory | kReparsePoint);
  EXPECT_EQ(files.GetAttributes("C:\\walk\\file-link.txt").value_or(0), kArchive | kReparsePoint);
  EXPECT_EQ(Names(files, "C:\\walk\\junction\\*.txt"),
            (std::set<std::string>{"file.txt", "keep.txt"}));

  EXPECT_EQ(files.DeleteFile("C:\\walk\\junction").code(), kErrAccessDenied);
  EXPECT_TRUE(files.DeleteFile("C:\\walk\\file-link.txt"));
  EXPECT_TRUE(
      files.RemoveDirectory("C:\\walk\\junction"));  // not empty behind it: only the link goes
  machine.CreateLink("C:\\walk\\junction", "C:\\target");
  EXPECT_TRUE(files.ShellDelete("C:\\walk"));
  EXPECT_EQ(Names(files, "C:\\target\\*.txt"), (std::set<std::string>{"file.txt", "keep.txt"}));
}

TEST_F(SimMachineTest, DrivesTheirDevicesAndMissingMedia) {
  EXPECT_EQ(files.LogicalDrives(), 1u << 2);
  machine.MapDrive('a', DriveType::Removable, false);
  machine.MapDrive('D', DriveType::CdRom);
  machine.MapDrive('E', DriveType::Fixed);
  EXPECT_EQ(files.LogicalDrives(), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 4));
  EXPECT_EQ(files.GetDriveType("A:\\"), DriveType::Removable);
  EXPECT_EQ(files.GetDriveType("d:"), DriveType::CdRom);
  EXPECT_EQ(files.GetDriveType("C:\\windows"), DriveType::Fixed);  // only the letter counts
  EXPECT_EQ(files.GetDriveType("Q:\\"), DriveType::NoRootDir);
  EXPECT_EQ(files.GetDriveType("\\\\server\\share\\"), DriveType::NoRootDir);
  EXPECT_FALSE(files.IsVolumeReady("A:\\"));
  EXPECT_TRUE(files.IsVolumeReady("D:\\"));
  EXPECT_EQ(files.GetAttributes("A:\\x").code(), kErrNotReady);
  EXPECT_EQ(files.FindFirst("A:\\*").code(), kErrNotReady);

  const auto device = [&](const char* drive) {
    return files.QueryDosDevice(drive).value_or({"<none>"}).front();
  };
  EXPECT_EQ(device("C:"), "\\Device\\HarddiskVolume1");
  EXPECT_EQ(device("a:"), "\\Device\\Floppy0");
  EXPECT_EQ(device("D:"), "\\Device\\CdRom0");
  EXPECT_EQ(device("E:"), "\\Device\\HarddiskVolume2");
  EXPECT_EQ(device("Q:"), "<none>");
  EXPECT_EQ(device("C:\\"), "\\Device\\HarddiskVolume1");
  EXPECT_EQ(device("C:\\x"), "<none>");
  machine.SetDosDevice('e', "\\Device\\Harddisk1\\Partition1");
  machine.MapDrive('E', DriveType::Fixed, true);  // re-mapping keeps the device
  EXPECT_EQ(device("E:"), "\\Device\\Harddisk1\\Partition1");
}

TEST_F(SimMachineTest, RulesChosenWhereWineCannotShowWindows) {
  // Wine runs our tests as root, which may write read-only files; Windows refuses.
  machine.WriteFile("C:\\ro.ini", "[A]\r\nx=1\r\n");
  ASSERT_TRUE(files.SetAttributes("C:\\ro.ini", kReadOnly));
  EXPECT_EQ(files.Open("C:\\ro.ini", FileAccess::Write, 0, FileDisposition::OpenExisting).code(),
            kErrAccessDenied);
  EXPECT_EQ(machine.ini().WriteString("C:\\ro.ini", "A", "x", "2").code(), kErrAccessDenied);
  EXPECT_TRUE(
      machine.ini().WriteString("C:\\ro.ini", "a", "X", " 1 "));  // no change: nothing written
  // Folders keep no read-only bit; files always report the archive bit.
  machine.MakeFolder("C:\\folder");
  ASSERT_TRUE(files.SetAttributes("C:\\folder", kReadOnly | kHidden));
  EXPECT_EQ(files.GetAttributes("C:\\folder").value_or(0), kDirectory | kHidden);
  EXPECT_EQ(files.GetAttributes("C:\\ro.ini").value_or(0), kArchive | kReadOnly);
  // Creating a file anew forgets the bits of a deleted one by the same name.
  ASSERT_TRUE(files.SetAttributes("C:\\ro.ini", kNormal));
  ASSERT_TRUE(files.SetAttributes("C:\\ro.ini", kHidden));
  ASSERT_TRUE(files.DeleteFile("C:\\ro.ini"));
  ASSERT_TRUE(files.Open("C:\\ro.ini", FileAccess::Write, 0, FileDisposition::CreateNew));
  EXPECT_EQ(files.GetAttributes("C:\\ro.ini").value_or(0), kArchive);

  ASSERT_TRUE(files.SetLastWriteTime("C:\\ro.ini", 132000000000000000ull));
  EXPECT_EQ(files.FindFirst("C:\\ro.ini")->first.last_write_time, 132000000000000000ull);

  EXPECT_TRUE(files.DeleteOnReboot("C:\\a.tmp"));
  EXPECT_TRUE(files.DeleteOnReboot("relative.tmp"));
  EXPECT_EQ(machine.RebootDeletes(), (std::vector<std::string>{"C:\\a.tmp", "relative.tmp"}));
}

TEST_F(SimMachineTest, IniFilesSurviveHostileBytes) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
  machine.WriteFile("C:\\junk.ini", junk + "\n[S]\nk=v");
  EXPECT_EQ(machine.ini().GetString("C:\\junk.ini", "S", "k", "d"), "v");
  machine.WriteFile("C:\\bom.ini", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n");  // UTF-8 with its mark
  EXPECT_EQ(machine.ini().GetString("C:\\bom.ini", "S", "k", "d"), "é");
  ASSERT_TRUE(machine.ini().WriteString("C:\\bom.ini", "S", "j", "☃"));
  EXPECT_EQ(machine.ReadFile("C:\\bom.ini"), "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nj=\xE2\x98\x83\r\n");
}

TEST_F(SimMachineTest, ShellAndSystemFacts) {
  SimShell& shell = machine.shell();
  SimSystem& system = machine.system();
  EXPECT_EQ(shell.SpecialFolder(csidl::kAppData).value_or(""), "C:\\users\\user\\AppData\\Roaming");
  machine.SetSpecialFolder(csidl::kCookies, "C:\\Cookies\\");
  EXPECT_EQ(shell.SpecialFolder(csidl::kCookies).value_or(""), "C:\\Cookies");
  EXPECT_TRUE(files.GetAttributes("C:\\Cookies"));
  shell.RemoveSpecialFolder(csidl::kCookies);
  EXPECT_FALSE(shell.SpecialFolder(csidl::kCookies));

  machine.WriteShortcut("C:\\Desk\\App.lnk", "C:\\Program Files\\App\\app.exe");
  EXPECT_EQ(shell.ResolveShortcut("c:\\desk\\app.LNK").value_or(""),
            "C:\\Program Files\\App\\app.exe");
  machine.WriteFile("C:\\Desk\\empty.lnk", "SIMLNK:");
  EXPECT_FALSE(shell.ResolveShortcut("C:\\Desk\\empty.lnk"));

  EXPECT_EQ(system.EnablePrivilege("SeDebugPrivilege").code(), kErrNotAllAssigned);
  system.SetPrivilegeHeld("SeDebugPrivilege", true);
  EXPECT_TRUE(system.EnablePrivilege("SeDebugPrivilege"));
  EXPECT_EQ(system.EnablePrivilege("SeMadeUpPrivilege").code(), kErrNoSuchPrivilege);
  EXPECT_EQ(system.EnabledPrivileges(), (std::vector<std::string>{"SeDebugPrivilege"}));

  system.SetWow64(std::nullopt);
  EXPECT_EQ(system.IsWow64Process().code(), kErrCallNotImplemented);
  system.SetEnvironment("Extra", "x");
  system.SetEnvironment("windir", std::nullopt);
  // An unknown name keeps both of its '%', so "%windir%" below is never looked at.
  EXPECT_EQ(system.ExpandEnvironment("%EXTRA%|50% of %extra%|%windir%"),
            "x|50% of %extra%|%windir%");
}

TEST_F(SimMachineTest, SavedHivesGoOntoTheDrives) {
  RegKey software =
      machine.registry().Root(RegRoot::LocalMachine).Create("Software\\Norvik").value();
  EXPECT_TRUE(software.SaveToFile("C:\\hive.dat"));
  EXPECT_TRUE(machine.ReadFile("C:\\hive.dat").has_value());
  EXPECT_EQ(software.SaveToFile("C:\\hive.dat").code(), kErrAlreadyExists);
  EXPECT_EQ(software.SaveToFile("C:\\missing\\hive.dat").code(), kErrPathNotFound);
}

TEST(SimMachineLoadTest, ScenarioFromFolder) {
  const fs::path folder = fs::path(__FILE__).parent_path().parent_path() / "data" / "sim_machine";
  const auto machine = SimMachine::LoadFromFolder(folder);
  Platform p = machine->platform();

  const OsVersion v = p.system.GetVersion();
  EXPECT_EQ(std::tie(v.major, v.minor, v.build, v.platform_id, v.service_pack),
            std::make_tuple(5u, 1u, 2600u, 2u, std::string("Service Pack 3")));
  EXPECT_EQ(p.system.IsWow64Process().code(), kErrCallNotImplemented);
  EXPECT_FALSE(p.system.IsAdministrator().value_or(true));
  EXPECT_EQ(p.system.ModuleFileName(), "C:\\Tools\\norvik.exe");
  EXPECT_TRUE(p.system.EnablePrivilege("SeBackupPrivilege"));
  EXPECT_EQ(p.system.EnablePrivilege("SeRestorePrivilege").code(), kErrNotAllAssigned);
  EXPECT_EQ(p.system.GetEnvironment("norvik_flag"), "on");
  EXPECT_FALSE(p.system.GetEnvironment("PUBLIC"));
  EXPECT_EQ(p.system.GetEnvironment("USERPROFILE"), "C:\\users\\alice");
  EXPECT_EQ(p.files.TempFolder(), "C:\\Scratch\\");
  EXPECT_TRUE(p.files.GetAttributes("C:\\Scratch"));
  EXPECT_EQ(p.shell.SpecialFolder(csidl::kAppData).value_or(""), "C:\\Data\\Roaming");
  EXPECT_EQ(p.shell.SpecialFolder(csidl::kLocalAppData).value_or(""),
            "C:\\users\\alice\\AppData\\Local");

  EXPECT_FALSE(p.files.IsVolumeReady("A:\\"));
  EXPECT_EQ(p.files.QueryDosDevice("D:").value_or({}),
            (std::vector<std::string>{"\\Device\\CdRom7"}));
  EXPECT_EQ(p.files.GetDriveType("F:\\"), DriveType::Fixed);  // mapped for its files
  EXPECT_EQ(machine->ReadFile("F:\\only.txt"), "on F\r\n");
  EXPECT_EQ(Names(p.files, "C:\\users\\*"), (std::set<std::string>{".", "..", "alice", "Public"}));
  EXPECT_EQ(p.files.DeleteFile("C:\\users\\alice\\ntuser.dat").code(), kErrSharingViolation);
  EXPECT_EQ(p.files.GetAttributes("C:\\Junction").value_or(0), kDirectory | kReparsePoint);
  EXPECT_TRUE(p.files.GetAttributes("C:\\Junction\\readme.txt"));
  EXPECT_EQ(p.shell.ResolveShortcut("C:\\Data\\app.lnk").value_or(""), "C:\\Tools\\app.exe");

  auto key = p.registry.Root(RegRoot::CurrentUser).Open("Software\\Norvik Test");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->Query("Name").value_or({}).AsString(), "from the scenario");
}

TEST(SimMachineLoadTest, BrokenScenariosSayWhatIsWrong) {
  SimMachine scratch;  // only for a temporary folder of our own
  const fs::path folder = scratch.HostPath("C:\\scenario");
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
  fs::create_directories(folder);
  std::ofstream(folder / "machine.ini") << "[Drives]\nQ=floppy\n";
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
  std::ofstream(folder / "machine.ini") << "[Version]\nMajor=six\n";
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
  std::ofstream(folder / "machine.ini") << "";
  std::ofstream(folder / "registry.reg") << "not a registry file\n";
  EXPECT_THROW(SimMachine::LoadFromFolder(folder), std::runtime_error);
}

}  // namespace
}  // namespace norvik::platform::sim
