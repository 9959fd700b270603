#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fakes/main_window_view.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"

namespace norvik::app {
namespace {

using Names = std::vector<std::string>;
using core::NodeId;
constexpr const char* kIni = "C:\\Norvik\\options.ini";

enum class Tree { CleanItems, RegistrySections };

// One program start: the window created, shown and activated.
struct Session : FakeSession {
  explicit Session(platform::sim::SimMachine& m, Names args = {}) : FakeSession(m.platform(), std::move(args)) {
    Start();
  }
  const core::CheckTree& TreeOf(Tree tree) {
    return tree == Tree::CleanItems ? window.cleaner().CleanItems().tree() : window.registry().Sections().tree();
  }
  NodeId Node(Tree tree, const std::string& name) {
    const auto& t = TreeOf(tree);
    for (NodeId id = 0; id < t.size(); ++id) {
      const bool match =
          tree == Tree::CleanItems ? window.cleaner().CleanItems().Name(id) == name : t.node(id).text == name;
      if (match) return id;
    }
    ADD_FAILURE() << "no node " << name;
    return 0;
  }
  void ClickState(Tree tree, const std::string& name) {
    if (tree == Tree::CleanItems) {
      window.cleaner().TreeMouseDown(Node(tree, name), TreeHit::StateIcon);
    } else {
      window.registry().TreeMouseDown(Node(tree, name), TreeHit::StateIcon);
    }
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  std::string Stored(std::string_view section, std::string_view key) {
    return machine.ini().GetString(kIni, section, key, "<missing>");
  }
};

// Which page shows is the GUI suite's (ProgramFolderTest.MainWindowStartsFreshAndComesBackAsItWasLeft);
// here that its button alone stays selected.
TEST_F(MainWindowTest, ASideButtonStaysSelectedAlone) {
  Session s(machine);
  EXPECT_EQ(s.view.selected_buttons, std::set<int>{kTagCleaner});
  for (int tag : {kTagRegistry, kTagTools, kTagDefrag, kTagCleaner}) {
    s.window.FlatButtonClick(tag);
    EXPECT_EQ(s.view.selected_buttons, std::set<int>{tag});
  }
}

// The clean-item ticks, expansion and window place coming back are the GUI suite's
// (ProgramFolderTest.MainWindowStartsFreshAndComesBackAsItWasLeft); here the section ticks and
// fast mode, which only the controller copies.
TEST_F(MainWindowTest, SecondStartRestoresSectionTicksAndFastMode) {
  {
    Session first(machine);
    first.ClickState(Tree::RegistrySections, "HKEY_USERS");
    first.ClickState(Tree::RegistrySections, "Empty Keys");
    first.window.cleaner().FastModeClick(false);
    first.window.FormClose();
  }
  Session second(machine);
  const auto& sections = second.TreeOf(Tree::RegistrySections);
  EXPECT_EQ(sections.node(second.Node(Tree::RegistrySections, "HKEY_USERS")).state, core::kUnticked);
  EXPECT_EQ(sections.node(second.Node(Tree::RegistrySections, "Empty Keys")).state, core::kUnticked);
  EXPECT_EQ(sections.node(second.Node(Tree::RegistrySections, "Fonts Section")).state, core::kTicked);
  EXPECT_EQ(second.cleaner.fast_mode, false);
}

// Where a copy keeps its files: options.ini of an installed and of a portable copy is
// the GUI suite's (PackageTest); here that only a marker file counts, that Custom.dat
// follows options.ini, and that qolt.dat is still read from beside the program.
TEST_F(MainWindowTest, TheInstallersMarkerAloneSendsTheUsersFilesToTheAppDataFolder) {
  const std::string beside = "C:\\Norvik\\";
  const std::string app_data = "C:\\users\\user\\AppData\\Roaming\\Norvik Cleaner\\";
  for (const bool marker_is_file : {true, false}) {
    SCOPED_TRACE(marker_is_file);
    platform::sim::SimMachine m;
    marker_is_file ? m.WriteFile(beside + "installed.txt", "installed copy") : m.MakeFolder(beside + "installed.txt");
    m.WriteFile(beside + "qolt.dat", "[Vendor Tool]\r\n");
    auto uninstall = m.registry().Root(platform::RegRoot::LocalMachine).Create(
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VendorTool");
    ASSERT_TRUE(uninstall.ok() && uninstall->Set("DisplayName", platform::RegValue::String("Vendor Tool 2")).ok());

    Session s(m);
    s.Node(Tree::CleanItems, "Applications - Vendor Tool");  // fails unless qolt.dat was read beside the program
    s.window.cleaner().TreeMouseDown(s.Node(Tree::CleanItems, "Custom Lists - <New List>"), TreeHit::Label);
    EXPECT_EQ(s.cleaner.dialogs, Names{(marker_is_file ? app_data : beside) + "Custom.dat"});
  }
}

TEST_F(MainWindowTest, TreeClicksOnlyActOnStateIconsAndTheNewListLabel) {
  Session s(machine);
  const NodeId new_list = s.Node(Tree::CleanItems, "Custom Lists - <New List>");
  auto& cleaner = s.window.cleaner();
  cleaner.TreeMouseDown(new_list, TreeHit::Label);
  const Names editor_opened{"C:\\Norvik\\Custom.dat"};  // with the program's own Custom.dat
  EXPECT_EQ(s.cleaner.dialogs, editor_opened);
  cleaner.TreeMouseDown(new_list, TreeHit::StateIcon);
  cleaner.TreeMouseDown(s.Node(Tree::CleanItems, "Windows - Clipboard"), TreeHit::Label);
  cleaner.TreeMouseDown(s.Node(Tree::CleanItems, "Opera"), TreeHit::Other);
  cleaner.TreeMouseDown(std::nullopt, TreeHit::Nowhere);
  s.window.registry().TreeMouseDown(s.Node(Tree::RegistrySections, "Shortcuts"), TreeHit::Label);
  EXPECT_EQ(s.cleaner.dialogs, editor_opened);
  EXPECT_EQ(cleaner.CleanItems().CheckedNames(), (Names{"Custom Lists", "Custom Lists - <New List>"}));
  EXPECT_EQ(s.TreeOf(Tree::RegistrySections).node(s.Node(Tree::RegistrySections, "Shortcuts")).state, core::kTicked);
}

TEST_F(MainWindowTest, LogIsSavedAsTextWithHeaderAndOverwriteQuestion) {
  struct Case { const char* chosen; const char* written; };
  for (const Case& c : {Case{"C:\\log.TXT", "C:\\log.TXT.txt"}, Case{"C:\\my.logs\\run", "C:\\my.logs\\run.txt"},
                        Case{"C:\\run.txt", "C:\\run.txt"}}) {
    EXPECT_EQ(LogFileNameFor(c.chosen), c.written);
  }

  Session s(machine);
  auto& cleaner = s.window.cleaner();
  EXPECT_FALSE(cleaner.CanSaveLog());
  cleaner.SaveLogClick();
  EXPECT_TRUE(s.cleaner.dialogs.empty()) << "nothing to save, no dialog";

  s.cleaner.log = {"Windows - Start Run", "Total: 0 items"};
  s.cleaner.save_name = "C:\\Data\\run";
  ASSERT_TRUE(cleaner.CanSaveLog());
  cleaner.SaveLogClick();
  EXPECT_EQ(machine.ReadFile("C:\\Data\\run.txt"), std::nullopt) << "missing folder: nothing written";
  EXPECT_EQ(s.view.errors, Names{"Unable to write to C:\\Data\\run.txt"});

  machine.MakeFolder("C:\\Data");
  cleaner.SaveLogClick();
  EXPECT_EQ(machine.ReadFile("C:\\Data\\run.txt"),
            "This file was generated by Norvik Cleaner\r\nVisit " + std::string(kHomePageUrl) +
                " for the latest version\r\n\r\nWindows - Start Run\r\nTotal: 0 items\r\n");
  EXPECT_TRUE(s.view.questions.empty());

  s.cleaner.log = {"second"};
  cleaner.SaveLogClick();
  EXPECT_EQ(s.view.questions, Names{"C:\\Data\\run.txt has existed,overite it?"});
  EXPECT_NE(machine.ReadFile("C:\\Data\\run.txt")->find("Start Run"), std::string::npos) << "No keeps the file";
  s.view.answer_yes = true;
  cleaner.SaveLogClick();
  EXPECT_EQ(machine.ReadFile("C:\\Data\\run.txt")->find("Start Run"), std::string::npos);
}

TEST_F(MainWindowTest, WindowsVersionDecidesBackupButtonAndDefragPage) {
  struct Case { platform::OsVersion version; bool backup_hidden, analyze; };
  const Case cases[] = {
      {{4, 10, 2222, 1, ""}, true, false},  // 98
      {{5, 1, 2600, 2, ""}, false, true},   // XP
  };
  for (const auto& c : cases) {
    machine.system().SetVersion(c.version);
    Session s(machine);
    EXPECT_EQ(s.others.backup_hidden, c.backup_hidden) << c.version.minor;
    EXPECT_EQ(s.window.defrag().AnalyzeRegistryEnabled(), c.analyze) << c.version.minor;
    EXPECT_EQ(s.others.analyze_disabled, !c.analyze);
    EXPECT_EQ(s.others.defrag_rows, c.analyze ? Names{} : Names{std::string(kUnsupportedSystemLine)});
  }
}

// "/Auto" is compared exactly, the others in any letter case; "/Auto" starts in the tray
// and "/Clear" arms no schedule.
TEST_F(MainWindowTest, CommandLineSwitchesPostTheirMessagesOnce) {
  struct Case { const char* arg; std::vector<unsigned> posted; bool clear, auto_mode, icon, scheduled; };
  ASSERT_TRUE(machine.ini().WriteString(kIni, "SChedule", "AutoClean", "1"));
  const Case cases[] = {
      {"/clear", {kWmAutoClean}, true, false, false, false},
      {"/Auto", {kWmSysCommand}, false, false, true, true},  // StartClean is off by default
      {"/auto", {}, false, false, false, true},
      {"/REGSCAN", {kWmUnattendedRegistryReport}, false, true, false, true},
      {"/regdefrag", {kWmUnattendedDefrag}, false, true, false, true},
  };
  for (const auto& c : cases) {
    Session s(machine, {c.arg});
    s.window.FormActivate();  // after a dialog: nothing runs twice
    EXPECT_EQ(s.view.posted, c.posted) << c.arg;
    EXPECT_EQ(s.window.ClearSwitch(), c.clear) << c.arg;
    EXPECT_EQ(s.window.AutoMode(), c.auto_mode) << c.arg;
    EXPECT_EQ(s.view.tray.icon, c.icon) << c.arg;
    EXPECT_EQ(s.view.tray.timer.has_value(), c.scheduled) << c.arg;
  }
  ASSERT_TRUE(machine.ini().WriteString(kIni, "SChedule", "StartClean", "1"));
  Session s(machine, {"/Auto"});
  EXPECT_EQ(s.view.posted, (std::vector<unsigned>{kWmSysCommand, kWmAutoClean}));
}

// "/Clear" with no registry section ticked: the clean runs to its end and the program
// still closes, instead of waiting hidden for a scan that never comes.
TEST_F(MainWindowTest, ClearWithNoSectionTickedCleansAndCloses) {
  machine.WriteFile("C:\\Windows\\MEMORY.DMP", "dump");
  Session s(machine, {"/Clear"});
  s.ClickState(Tree::CleanItems, "Windows - Memory Dumps");
  for (NodeId top : s.TreeOf(Tree::RegistrySections).TopLevel()) {
    if (s.TreeOf(Tree::RegistrySections).node(top).state != core::kUnticked) {
      s.window.registry().TreeMouseDown(top, TreeHit::StateIcon);
    }
  }
  s.window.AutoCleanMessage();
  EXPECT_FALSE(machine.ReadFile("C:\\Windows\\MEMORY.DMP")) << "closed before the clean ended";
  EXPECT_EQ(s.view.closes, 1);
  EXPECT_TRUE(s.view.infos.empty());
}

// Windows may end the process the moment it has its answer: the shut-down clean has
// run to its end and every close step is done before.
TEST_F(MainWindowTest, LogOffCleansAndClosesBeforeAnsweringAndWriteFailuresAreShown) {
  ASSERT_TRUE(machine.ini().WriteString(kIni, "SChedule", "ShutdownClean", "1"));
  ASSERT_TRUE(machine.ini().WriteString(kIni, "Options", "IsAskBeforeClear", "1"));
  machine.WriteFile("C:\\Windows\\MEMORY.DMP", "dump");
  Session s(machine);
  s.ClickState(Tree::CleanItems, "Windows - Memory Dumps");
  s.cleaner.expanded.erase(s.Node(Tree::CleanItems, "Opera"));
  EXPECT_TRUE(s.window.QueryEndSession());
  EXPECT_FALSE(machine.ReadFile("C:\\Windows\\MEMORY.DMP")) << "the clean did not run to its end";
  EXPECT_EQ(s.cleaner.ask_delete_shown, 0);
  EXPECT_EQ(Stored("NodeSelected", "2"), "Windows - Memory Dumps");
  EXPECT_EQ(Stored("FirstNodeExpand", "4"), "0");
  EXPECT_EQ(s.view.closes, 1);

  Session again(machine);
  ASSERT_TRUE(machine.files().SetAttributes(kIni, platform::file_attr::kReadOnly));
  again.window.cleaner().FastModeClick(false);
  again.window.FormClose();
  EXPECT_EQ(again.view.errors, Names{"Unable to write to C:\\Norvik\\options.ini"});
  again.window.FormClose();  // the window's own close after a log-off's: nothing twice
  EXPECT_EQ(again.view.errors.size(), 1u);
}

}  // namespace
}  // namespace norvik::app
