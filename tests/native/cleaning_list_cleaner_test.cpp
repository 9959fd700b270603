#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cleaning/deletion_primitives.h"
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
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kCustomItem[] = "Custom Lists - <New List>";
constexpr char kLocalAppData[] = "C:\\users\\user\\AppData\\Local";
const core::FileFolders kFolders{"C:\\Norvik\\", "C:\\NorvikData\\"};

class ListCleanerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // C:\App\Cache is what an unresolved token would reach if it fell back to the drive
    // root; a 64-bit system's token stands for both program folders.
    for (const auto& [file, size] : std::vector<std::pair<std::string, std::size_t>>{
             {"C:\\windows\\Temp\\a.tmp", 10}, {"C:\\windows\\Temp\\B.TMP", 20}, {"C:\\windows\\Temp\\keep.txt", 1},
             {"C:\\windows\\Temp\\sub\\c.tmp", 1}, {"C:\\Old\\x.txt", 2000}, {"C:\\Old\\deep\\y.txt", 50},
             {std::string(kLocalAppData) + "\\App\\Cache\\f.bin", 1}, {"C:\\App\\Cache\\f.bin", 1},
             {"C:\\Program Files\\App\\Cache\\a.tmp", 10}, {"C:\\Program Files (x86)\\App\\Cache\\b.tmp", 20}}) {
      machine.WriteFile(file, std::string(size, 'x'));
    }
    SetValue(RegRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
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

  // The user's list lives with the settings, the supplied one beside the program.
  void WriteList(const std::string& file, const std::string& section, const std::string& body) {
    machine.WriteFile((file == kCustomListFile ? kFolders.data : kFolders.program) + file,
                      "[" + section + "]\r\n" + body);
  }

  RunContext& Worker(RunKind kind, std::uint8_t os_code = 12) {
    worker = std::make_unique<RunContext>(
        machine.platform(), reporter, RunSetup{.run_kind = kind, .folders = kFolders, .os_code = os_code});
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
      {"Windows - Windows Log Files", "Windows Log Files"}, {"Custom Lists - <New List>", "<New List>"},
      {"Applications - 7-Zip", "7-Zip"}, {"Advanced - Yahoo! Toolbar History", "Yahoo! Toolbar History"},
      {"No dash at all", ""}, {"Ends with -", ""}, {"", ""},
  };
  for (const auto& [run_name, section] : cases) EXPECT_EQ(SectionForRunName(run_name), section) << run_name;
}

TEST(ListCleanerNames, BaseFolderOnlyForKnownTokensThatResolveToAFullPath) {
  TokenFolders folders{.program_files = {"C:\\Program Files"},
                       .windows = "C:\\windows",
                       .local_app_data = "",
                       .current_app_data = "AppData\\Roaming",
                       .common_app_data = "\\\\server\\share\\data\\"};
  const std::pair<const char*, Paths> cases[] = {
      {"%ProgramFiles%", {"C:\\Program Files\\"}}, {"%windir%", {"C:\\windows\\"}}, {"{C: Drive}", {"C:\\"}},
      {"d:", {"d:\\"}}, {"{Common AppData}", {"\\\\server\\share\\data\\"}},
      {"\\\\server\\share", {"\\\\server\\share\\"}}, {"\\\\server", {}},
      {"%WINDIR%", {}},           // tokens are compared exactly
      {"{Local AppData}", {}},    // unset Shell Folders value
      {"{Current AppData}", {}},  // relative: would hang off the current folder
      {"Temp", {}}, {"", {}}, {"CD:", {}},
  };
  for (const auto& [token, bases] : cases) EXPECT_EQ(folders.BaseFolders(token), bases) << token;
  folders.windows.clear();
  EXPECT_TRUE(folders.BaseFolders("%windir%").empty());
  // A UNC entry takes the share as its token.
  const FileEntry entry = ParseFileEntry("\\\\server\\share\\Logs\\Old,*.tmp");
  EXPECT_TRUE(entry.token == "\\\\server\\share" && entry.path == "Logs\\Old" && entry.mask == "*.tmp");
  EXPECT_EQ(ParseFileEntry("\\\\server\\share").token, "\\\\server\\share");
}

// Each case runs as a Test (counts, changes nothing) and then as a Clean (same counts,
// exact effects, no folder question).
TEST_F(ListCleanerTest, EntryGrammarTestCountsWhatCleanRemoves) {
  struct Case { std::string body; std::uint32_t count; std::int64_t bytes; Paths gone, kept; };
  const Case cases[] = {
      {"DelFile1=%windir%\\Temp,*.tmp", 2, 30, {"C:\\windows\\Temp\\a.tmp", "C:\\windows\\Temp\\B.TMP"},
       {"C:\\windows\\Temp\\keep.txt", "C:\\windows\\Temp\\sub\\c.tmp"}},
      {"DelFile2={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {"C:\\windows\\Temp\\a.tmp"}},
      {"DelFile3={Local AppData}\\App\\Cache,*.*", 1, 1, {std::string(kLocalAppData) + "\\App\\Cache\\f.bin"},
       {std::string(kLocalAppData) + "\\App\\Cache"}},
      {"MyDelFileList={C: Drive}\\Old", 2, 2050, {"C:\\Old"}, {}},
      {"DelFile1=%WINDIR%\\Temp,*.tmp", 0, 0, {}, {"C:\\windows\\Temp\\a.tmp"}},
      {"DelFile1=%ProgramFiles%\\App\\Cache", 2, 30,
       {"C:\\Program Files\\App\\Cache", "C:\\Program Files (x86)\\App\\Cache"}, {"C:\\Program Files (x86)\\App"}},
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
      {"DelFile1=\r\nDelRegValue1=\r\nDelFile2=%windir%\r\nDelFile3=%windir%\\,*.*\r\n"
       "DelFile5={Local AppData}\\..\\..\\..\\..\\Old\r\nDelFile6={Local AppData}\\ . \\x\r\n"
       "DelFile7=App\\Cache\r\nDelFile8={C: Drive}\\Old,\r\nDelFile9={C: Drive}\\Old\\C:\\Old\r\n"
       "DelRegValue2=HKEY_CURRENT_USER\r\nDelRegValue3=HKEY_CURRENT_USER\\,\r\nDelRegValue4=HKEY_CURRENT_USER\\\\\r\n"
       "DelRegValue5=HKEY_NOWHERE\\Software\\X\r\nOther=HKEY_CURRENT_USER\\Software\\X\r\n"
       "delfile10={C: Drive}\\Old\r\nno equals sign\r\n"
       // Tokens whose folder is not set on this machine.
       "DelFile11={Common AppData}\\App\\Cache",
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
  struct Case { std::uint8_t os_code; bool admin; RunKind kind; std::size_t messages; bool values_deleted; };
  const Case cases[] = {
      {12, false, RunKind::Test, 1, false},          {9, false, RunKind::PreparedClean, 1, false},
      {12, false, RunKind::AutomaticClean, 0, false}, {12, true, RunKind::PreparedClean, 0, true},
      {1, false, RunKind::PreparedClean, 0, true},    {8, false, RunKind::PreparedClean, 0, true},
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
  RunContext& w = Worker(RunKind::Test);  // on NT, not an administrator, as the last row left it
  RunListItem(w, kQoltFile, "Applications - Vendor");
  RunListItem(w, kQoltFile, "Applications - Vendor");
  EXPECT_EQ(reporter.messages().size(), 2u);
}

// A list of hostile and mistaken entries beside precious files and keys: a Clean takes
// exactly the targets the entries name and may take, and a line says what it refused.
TEST_F(ListCleanerTest, HostileListDeletesOnlyTheAllowedNamedTargets) {
  const std::string user_key = "\\Registry\\User\\S-1-5-21-0-0-0-1000\\Software\\Precious";
  const Paths gone = {"C:\\Junk\\old.tmp", "C:\\windows\\setup.log", "C:\\Junk\\linked\\plain.txt", "C:\\Logs\\2010",
                      "HKCU\\Software\\Junk"};
  const Paths kept = {
      "C:\\Junk\\keep.txt", "C:\\Junk\\x\\victim.tmp", "C:\\Junk\\x\\other.txt", "C:\\Precious\\keep.txt",
      "C:\\Junk\\linked\\file-link.txt", "C:\\Junk\\linked\\folder-link", "C:\\windows\\win.ini",
      "C:\\Program Files\\App\\app.exe", "C:\\users\\user\\AppData\\Roaming\\r.txt",
      "C:\\users\\user\\Documents\\doc.txt", "C:\\users\\other\\o.txt", "C:\\Logs,2010\\keep.txt",
      "C:\\Old\\x.txt", "HKCU\\Software\\Precious|p", "HKCU\\Software\\Precious\\Sub", "HKCU\\Software\\X|Last",
      "HKCU\\Software\\Microsoft|m", "HKLM\\Software\\Vendor\\Mru|A", "HKLM\\System\\CurrentControlSet\\Services\\S|s"};
  for (const std::string& file : gone) {
    if (file.rfind("HK", 0) != 0) machine.WriteFile(file, "junk");
  }
  for (const std::string& file : kept) {
    if (file.rfind("HK", 0) != 0 && file.find("link") == std::string::npos) machine.WriteFile(file, "precious");
  }
  machine.CreateLink("C:\\Junk\\linked\\file-link.txt", "C:\\Precious\\keep.txt");
  machine.CreateLink("C:\\Junk\\linked\\folder-link", "C:\\Precious");
  SetValue(RegRoot::CurrentUser, "Software\\Precious", "p", "1");
  SetValue(RegRoot::CurrentUser, "Software\\Precious\\Sub", "q", "2");
  SetValue(RegRoot::CurrentUser, "Software\\Junk\\Old", "o", "3");
  SetValue(RegRoot::CurrentUser, "Software\\Microsoft", "m", "4");
  SetValue(RegRoot::LocalMachine, "System\\CurrentControlSet\\Services\\S", "s", "5");
  ASSERT_TRUE(machine.registry().CreateLink(RegRoot::CurrentUser, "Software\\Junk\\Link", user_key));

  const char* entries[] = {
      // Allowed: masks that name some files, a folder holding links, keys holding a link.
      "C:\\Junk,*.tmp", "%windir%\\,*.log", "C:\\Junk\\linked", "C:\\Logs,2010",
      "HKEY_CURRENT_USER\\Software\\Junk\\Link,", "HKEY_CURRENT_USER\\Software\\Junk",
      // Protected places in many spellings, refused.
      "C:\\windows,*.*", "%windir%\\,*", "c:\\WINDOWS.\\,*.*", "\\\\?\\C:\\windows,*.*", "C:\\PROGRA~1,*.*",
      "C:\\users\\user\\AppData\\Roaming", "C:\\users\\other", "HKEY_LOCAL_MACHINE\\Software",
      "HKEY_CURRENT_USER\\Software\\Microsoft", "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software,",
      "hkey_local_machine\\SYSTEM\\ControlSet001",
      // Asked about, and the answer is No.
      "{C: Drive}\\,*.*", "C:\\users\\user\\Documents,*.*",
  };
  std::string body;
  int number = 0;
  for (const char* entry : entries) {
    const bool registry = std::string_view(entry).starts_with("HKEY") || std::string_view(entry).starts_with("hkey");
    body += (registry ? "DelRegValue" : "DelFile") + std::to_string(++number) + "=" + entry + "\r\n";
  }
  // Too long to read whole: cut, it would empty C:\Junk\x rather than name victim.tmp.
  body += "DelFile99=C:\\Junk\\x" + std::string(40000, '\\') + ",victim.tmp\r\n";
  WriteList("Custom.dat", "<New List>", body);

  reporter.SetAnswer(false);
  for (const RunKind kind : {RunKind::Test, RunKind::PreparedClean}) {
    reporter.Clear();
    RunContext& w = Worker(kind);
    RunListItem(w, kCustomListFile, kCustomItem);
    for (const auto& p : gone) EXPECT_EQ(Exists(p), kind == RunKind::Test) << p;
    for (const auto& p : kept) EXPECT_TRUE(Exists(p)) << p;
    const Paths lines = reporter.lines();
    const auto said = [&](std::string_view words) {
      return std::count_if(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(words) != std::string::npos; });
    };
    EXPECT_EQ(said(kProtectedPlaceWords), 10) << w.LogPrefix();
    EXPECT_EQ(said(kTooLongWords), 1);
    if (kind == RunKind::PreparedClean) {
      EXPECT_EQ(w.ItemCount, 4u + 2u) << "four files; the key's value and its link";
      EXPECT_EQ(reporter.questions(), (Paths{DeleteAllQuestion("C:\\"),
                                             DeleteAllQuestion("C:\\users\\user\\Documents\\")}));
    }
  }
  EXPECT_TRUE(Exists("HKCU\\Software\\Precious|p")) << "never reached through the link";
}

// The program folders the registry names, each once: both on a 64-bit system (seen from
// either registry view), one on a 32-bit system.
TEST_F(ListCleanerTest, ProgramFilesTokenStandsForEveryProgramFolder) {
  const std::string first = "C:\\Program Files", second = "C:\\Program Files (x86)";
  const char* names[] = {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir"};
  const std::pair<std::vector<std::string>, Paths> cases[] = {
      {{first, second, ""}, {first, second}},
      {{second, second, first}, {second, first}},
      {{first, "", ""}, {first}},
      {{first + "\\", "", "c:\\program files"}, {first}},
  };
  auto key = machine.registry().Root(RegRoot::LocalMachine).Open(kCurrentVersion);
  for (const auto& [values, folders] : cases) {
    for (int i = 0; i < 3; ++i) {
      (void)(values[i].empty() ? key->DeleteValue(names[i]) : key->Set(names[i], RegValue::String(values[i])));
    }
    EXPECT_EQ(TokenFolders::Read(machine.platform()).program_files, folders) << values[0];
  }
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
