#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaning/list_cleaner.h"
#include "fakes/run_reporter.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"

namespace norvik::cleaning {
namespace {

using platform::RegRoot;
using platform::RegValue;
using Paths = std::vector<std::string>;

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCustomItem[] = "Custom Lists - <New List>";
constexpr char kLocalAppData[] = "C:\\users\\user\\AppData\\Local";

class ListCleanerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.WriteFile("C:\\windows\\Temp\\a.tmp", std::string(10, 'x'));
    machine.WriteFile("C:\\windows\\Temp\\B.TMP", std::string(20, 'x'));
    machine.WriteFile("C:\\windows\\Temp\\keep.txt", "k");
    machine.WriteFile("C:\\windows\\Temp\\sub\\c.tmp", "c");
    machine.WriteFile("C:\\Old\\x.txt", std::string(2000, 'x'));
    machine.WriteFile("C:\\Old\\deep\\y.txt", std::string(50, 'y'));
    machine.WriteFile(std::string(kLocalAppData) + "\\App\\Cache\\f.bin", "f");
    // What an unresolved token would reach if it fell back to the drive root.
    machine.WriteFile("C:\\App\\Cache\\f.bin", "f");
    SetValue(RegRoot::CurrentUser, kShellFolders, "Local AppData", kLocalAppData);
    SetValue(RegRoot::CurrentUser, "Software\\X", "Last", "1");
    SetValue(RegRoot::CurrentUser, "Software\\X", "First", "2");
    SetValue(RegRoot::CurrentUser, "Software\\X\\Sub", "V", "3");
    SetValue(RegRoot::LocalMachine, "Software\\Vendor\\Drop", "D", "4");
    SetValue(RegRoot::LocalMachine, "Software\\Vendor\\Mru", "A", "5");
    SetValue(RegRoot::LocalMachine, "Software\\Vendor\\Mru", "B", "6");
  }

  void SetValue(RegRoot root, const std::string& key, const std::string& name, const std::string& data) {
    auto created = machine.registry().Root(root).Create(key);
    ASSERT_TRUE(created.ok()) << key;
    ASSERT_TRUE(created->Set(name, RegValue::String(data)).ok());
  }

  void WriteList(const std::string& file, const std::string& section, const std::string& body) {
    machine.WriteFile("C:\\Norvik\\" + file, "[" + section + "]\r\n" + body);
  }

  RunContext& Worker(RunKind kind, std::uint8_t os_code = 12) {
    worker = std::make_unique<RunContext>(
        machine.platform(), reporter, RunSetup{.run_kind = kind, .program_folder = "C:\\Norvik\\", .os_code = os_code});
    return *worker;
  }

  // "HKCU\key" or "HKCU\key|value" / "HKLM\..." for the registry, anything else a file.
  bool Exists(const std::string& what) {
    if (what.rfind("HK", 0) == 0) {
      const RegRoot root = what.rfind("HKCU", 0) == 0 ? RegRoot::CurrentUser : RegRoot::LocalMachine;
      const std::string rest = what.substr(5);
      const auto bar = rest.find('|');
      auto key = machine.registry().Root(root).Open(rest.substr(0, bar));
      return key.ok() && (bar == std::string::npos || key->HasValue(rest.substr(bar + 1)));
    }
    return machine.files().GetAttributes(what).ok();
  }

  platform::sim::SimMachine machine;
  FakeRunReporter reporter;
  std::unique_ptr<RunContext> worker;
};

TEST(ListCleanerNames, SectionIsTheTextAfterTheFirstDashLessOneCharacter) {
  const std::pair<const char*, const char*> cases[] = {
      {"Windows - Windows Log Files", "Windows Log Files"},
      {"Custom Lists - <New List>", "<New List>"},
      {"Applications - 7-Zip", "7-Zip"},
      {"Advanced - Yahoo! Toolbar History", "Yahoo! Toolbar History"},
      {"No dash at all", ""},
      {"Ends with -", ""},
      {"", ""},
  };
  for (const auto& [run_name, section] : cases) EXPECT_EQ(SectionForRunName(run_name), section) << run_name;
}

TEST(ListCleanerNames, BaseFolderOnlyForKnownTokensThatResolveToAFullPath) {
  TokenFolders folders{.program_files = "C:\\Program Files",
                       .windows = "C:\\windows",
                       .local_app_data = "",
                       .current_app_data = "AppData\\Roaming",
                       .common_app_data = "\\\\server\\share\\data\\"};
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"%ProgramFiles%", "C:\\Program Files\\"},
      {"%windir%", "C:\\windows\\"},
      {"{C: Drive}", "C:\\"},
      {"d:", "d:\\"},
      {"{Common AppData}", "\\\\server\\share\\data\\"},
      {"%WINDIR%", std::nullopt},           // tokens are compared exactly
      {"{Local AppData}", std::nullopt},    // unset Shell Folders value
      {"{Current AppData}", std::nullopt},  // relative: would hang off the current folder
      {"Temp", std::nullopt},
      {"", std::nullopt},
      {"CD:", std::nullopt},
  };
  for (const auto& [token, base] : cases) EXPECT_EQ(folders.BaseFolder(token), base) << token;
  folders.windows.clear();
  EXPECT_FALSE(folders.BaseFolder("%windir%"));
}

// Each case runs as a Test (counts, changes nothing) and then as a Clean (same counts,
// exact effects, no folder question).
TEST_F(ListCleanerTest, EntryGrammarTestCountsWhatCleanRemoves) {
  struct Case {
    std::string body;
    std::uint32_t count;
    std::int64_t bytes;
    Paths gone, kept;
  };
  const Case cases[] = {
      {"DelFile1=%windir%\\Temp,*.tmp", 2, 30,
       {"C:\\windows\\Temp\\a.tmp", "C:\\windows\\Temp\\B.TMP"},
       {"C:\\windows\\Temp\\keep.txt", "C:\\windows\\Temp\\sub\\c.tmp"}},
      {"DelFile2={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {"C:\\windows\\Temp\\a.tmp"}},
      {"DelFile3={Local AppData}\\App\\Cache,*.*", 1, 1,
       {std::string(kLocalAppData) + "\\App\\Cache\\f.bin"}, {std::string(kLocalAppData) + "\\App\\Cache"}},
      {"MyDelFileList={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {}},
      {"DelFile1=%WINDIR%\\Temp,*.tmp", 0, 0, {}, {"C:\\windows\\Temp\\a.tmp"}},
      {"DelRegValue1=HKEY_CURRENT_USER\\Software\\X", 3, 0, {"HKCU\\Software\\X"}, {}},
      {"DelRegValue2=hkey_current_user\\Software\\X,Last", 1, 0, {"HKCU\\Software\\X|Last"},
       {"HKCU\\Software\\X|First", "HKCU\\Software\\X\\Sub"}},
      {"DelRegValue3=HKEY_CURRENT_USER\\Software\\X,", 3, 0,
       {"HKCU\\Software\\X|Last", "HKCU\\Software\\X|First", "HKCU\\Software\\X\\Sub"}, {"HKCU\\Software\\X"}},
      // Both words: each half runs, the half whose form does not fit finds nothing.
      {"DelRegValue_DelFile={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {}},
      {"DelFile_DelRegValue=HKEY_CURRENT_USER\\Software\\X\\Sub", 1, 0, {"HKCU\\Software\\X\\Sub"},
       {"HKCU\\Software\\X"}},
      // A key given twice is one entry.
      {"DelFile1={C: Drive}\\Old\r\nDelFile1={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {}},
      // Bad input is skipped whole.
      {"DelFile1=\r\nDelRegValue1=\r\nDelFile2=%windir%\r\nDelFile3=%windir%\\,*.*\r\nDelFile4={C: Drive}\\\r\n"
       "DelFile5={Local AppData}\\..\\..\\..\\..\\Old\r\nDelFile6={Local AppData}\\ . \\x\r\n"
       "DelFile7=App\\Cache\r\nDelFile8={C: Drive}\\Old,\r\nDelFile9={C: Drive}\\Old\\C:\\Old\r\n"
       "DelRegValue2=HKEY_CURRENT_USER\r\nDelRegValue3=HKEY_CURRENT_USER\\,\r\nDelRegValue4=HKEY_CURRENT_USER\\\\\r\n"
       "DelRegValue5=HKEY_NOWHERE\\Software\\X\r\nOther=HKEY_CURRENT_USER\\Software\\X\r\n"
       "delfile10={C: Drive}\\Old\r\nno equals sign\r\n"
       // Tokens whose folder is not set on this machine.
       "DelFile11={Common AppData}\\App\\Cache\r\nDelFile12=%ProgramFiles%\\App\\Cache",
       0, 0, {}, {"C:\\Old\\x.txt", "C:\\App\\Cache\\f.bin", "C:\\windows\\Temp\\a.tmp", "HKCU\\Software\\X|Last"}},
      {"DelFile1=" + std::string(40000, 'a') + "\\x", 0, 0, {}, {"C:\\Old"}},
      // Long entries arrive whole: the mask at the end still applies.
      {"DelFile1={C: Drive}\\Old" + std::string(3000, '\\') + ",*.txt", 1, 2000, {"C:\\Old\\x.txt"},
       {"C:\\Old\\deep\\y.txt"}},
  };
  for (const Case& c : cases) {
    SetUp();
    WriteList("Custom.dat", "<New List>", c.body);
    for (RunKind kind : {RunKind::Test, RunKind::PreparedClean}) {
      reporter.Clear();
      RunContext& w = Worker(kind);
      RunListItem(w, kCustomListFile, kCustomItem);
      EXPECT_EQ(w.ItemCount, c.count) << c.body << " kind " << static_cast<int>(kind);
      EXPECT_EQ(w.ItemSize(), c.bytes) << c.body;
      EXPECT_TRUE(reporter.questions().empty()) << c.body;
      for (const auto& p : c.gone) EXPECT_EQ(Exists(p), kind == RunKind::Test) << c.body << ": " << p;
      for (const auto& p : c.kept) EXPECT_TRUE(Exists(p)) << c.body << ": " << p;
    }
  }
}

TEST_F(ListCleanerTest, LocalMachineValuesNeedAnAdministratorOnNt) {
  struct Case {
    std::uint8_t os_code;
    bool admin;
    RunKind kind;
    std::size_t messages;
    bool values_deleted;
  };
  const Case cases[] = {
      {12, false, RunKind::Test, 1, false},
      {9, false, RunKind::PreparedClean, 1, false},
      {12, false, RunKind::AutomaticClean, 0, false},
      {12, true, RunKind::PreparedClean, 0, true},
      {1, false, RunKind::PreparedClean, 0, true},
      {8, false, RunKind::PreparedClean, 0, true},
  };
  const char* body =
      "DelRegValue1=HKEY_LOCAL_MACHINE\\Software\\Vendor\\Mru,A\r\n"
      "DelRegValue2=HKEY_LOCAL_MACHINE\\Software\\Vendor\\Mru,\r\n"
      "DelRegValue3=HKEY_LOCAL_MACHINE\\Software\\Vendor\\Drop\r\n"
      "DelRegValue4=HKEY_CURRENT_USER\\Software\\X,Last";
  for (const Case& c : cases) {
    SetUp();
    WriteList("qolt.dat", "Vendor", body);
    machine.system().SetAdministrator(c.admin);
    reporter.Clear();
    RunContext& w = Worker(c.kind, c.os_code);
    RunListItem(w, kQoltFile, "Applications - Vendor");
    const auto where = ::testing::Message() << "os " << int(c.os_code) << " kind " << static_cast<int>(c.kind);
    // A key removal and user values are never held back.
    EXPECT_EQ(w.ItemCount, c.values_deleted ? 2u + 1 + 1 : 1u + 1) << where;
    EXPECT_EQ(reporter.messages(), Paths(c.messages, std::string(kAdministratorsMessage))) << where;
    if (c.kind != RunKind::Test) {
      EXPECT_EQ(Exists("HKLM\\Software\\Vendor\\Mru|B"), !c.values_deleted) << where;
      EXPECT_FALSE(Exists("HKLM\\Software\\Vendor\\Drop")) << where;
    }
  }
  // Once per item: the next item may say it again.
  reporter.Clear();
  SetUp();
  WriteList("qolt.dat", "Vendor", body);
  machine.system().SetAdministrator(false);
  RunContext& w = Worker(RunKind::Test);
  RunListItem(w, kQoltFile, "Applications - Vendor");
  RunListItem(w, kQoltFile, "Applications - Vendor");
  EXPECT_EQ(reporter.messages().size(), 2u);
}

TEST_F(ListCleanerTest, MissingFileOrSectionReportsNothing) {
  WriteList("qolt.dat", "Vendor", "");
  for (const char* run_name : {"Applications - Other", "Applications - Vendor", "NoDash"}) {
    RunContext& w = Worker(RunKind::Test);
    RunListItem(w, kQoltFile, run_name);
    RunListItem(w, kCustomListFile, run_name);  // no such file
    EXPECT_EQ(w.ItemCount, 0u) << run_name;
  }
}

}  // namespace
}  // namespace norvik::cleaning
