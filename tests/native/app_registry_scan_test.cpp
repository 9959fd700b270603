#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/dialogs/ignore_entry_dialog.h"
#include "app/main_window.h"
#include "fakes/main_window_view.h"
#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"

namespace norvik::app {
namespace {

using platform::sim::SimMachine;
using Lines = std::vector<std::string>;

constexpr char kPlanted[] = R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Acme]
"Present"="C:\\Tools\\app.exe /min"
"Gone"="C:\\Tools\\gone.exe"
"Quoted"="\"C:\\Program Files\\Acme\\gone app.exe\" -x"
"Setting"="C:\\Tools\\old.exe"

[HKEY_CURRENT_USER\Software\Other]
"Path"="C:\\Tools\\other.dll"
)";

// One program start with HKEY_CURRENT_USER as the only section ticked, and a message
// loop the test turns by hand.
struct Session : FakeSession {
  explicit Session(SimMachine& m) : FakeSession(m.platform()), page(window.registry()) {
    Start();
    window.FlatButtonClick(kTagRegistry);
    page.TreeMouseDown(page.Sections().Root(), TreeHit::StateIcon);
    for (core::NodeId id = 0; id < page.Sections().tree().size(); ++id) {
      if (page.Sections().Code(id) == 4) page.TreeMouseDown(id, TreeHit::StateIcon);
    }
  }
  void PumpUntilIdle() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (page.Scanning()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the scan did not finish";
      if (registry.event_timer) page.DrainScanEvents();
      while (delivered < registry.posted.size()) {
        const unsigned message = registry.posted[delivered++];
        if (message == kWmScanSectionDone) page.ScanSectionDoneMessage();
        if (message == kWmScanDone) page.ScanDoneMessage();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  Lines Keys() const {
    Lines keys;
    for (const auto& row : page.Rows()) keys.push_back((row.ticked ? "x " : "  ") + row.registry_key);
    return keys;
  }

  RegistryPage& page;
  std::size_t delivered = 0;
};

class RegistryScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.WriteFile("C:\\Tools\\app.exe", "x");
    ASSERT_TRUE(platform::LoadRegText(machine_.registry(), kPlanted).empty());
  }
  SimMachine machine_;
};

// The rows listed, the counts line and the page's state after a scan are the GUI
// suite's (RegistryScanTest.PlantedReferencesAreListedAndARowGoesToTheEditorAndTheIgnoreLists), which rows the
// filter drops is the results table's; here the page filters with the user's list and
// its actions work on the rows.
TEST_F(RegistryScanTest, TheScanFiltersWithTheIgnoreListAndTheActionsWorkOnItsRows) {
  Session s(machine_);
  s.store.settings().IgnoreValues = {"HKEY_CURRENT_USER\\Software\\Other\\Path"};
  s.page.ScanClick();
  EXPECT_EQ(s.registry.button, "Cancel");
  EXPECT_TRUE(s.registry.timer1 && !s.registry.restore_shown);
  s.PumpUntilIdle();
  EXPECT_EQ(s.Keys(), (Lines{"x HKEY_CURRENT_USER\\Software\\Acme\\Gone", "x HKEY_CURRENT_USER\\Software\\Acme\\Quoted",
                             "x HKEY_CURRENT_USER\\Software\\Acme\\Setting"}));
  EXPECT_EQ(s.registry.row_count, 3u);
  EXPECT_TRUE(s.registry.restore_shown && !s.registry.timer1 && !s.registry.key_display);

  s.registry.selected = {1};
  s.page.RunAction(ResultAction::DeselectItem);
  EXPECT_EQ(s.registry.status, " 3 Errors Found,  3 Errors Selected.") << "ticking one row leaves the counts";
  s.page.RunAction(ResultAction::DeselectAllType);
  EXPECT_EQ(s.registry.status, " 3 Errors Found,  0 Errors Selected.");
  s.page.ToggleRow(0);
  EXPECT_EQ(s.registry.status, " 3 Errors Found,  1 Errors Selected.");
  s.page.RunAction(ResultAction::SelectAll);
  EXPECT_EQ(s.registry.status, " 3 Errors Found,  3 Errors Selected.");

  s.registry.selected = {2};
  s.page.RunAction(ResultAction::IgnoreListAdd);
  EXPECT_EQ(s.store.settings().IgnoreValues.back(), "HKEY_CURRENT_USER\\Software\\Acme\\Setting");

  s.registry.save_as = "C:\\out\\list.TXT";
  machine_.MakeFolder("C:\\out");
  s.page.RunAction(ResultAction::SaveText);
  EXPECT_EQ(machine_.ReadFile("C:\\out\\list.TXT.txt"),
            "Non-existent File or Folder  ^^^  C:\\Tools\\gone.exe  ^^^  HKEY_CURRENT_USER\\Software\\Acme\\Gone\r\n"
            "Non-existent File or Folder  ^^^  \"C:\\Program Files\\Acme\\gone app.exe\" -x  ^^^  "
            "HKEY_CURRENT_USER\\Software\\Acme\\Quoted\r\n");
}

// "Add to Ignore List" takes only a text that names a root, in any case.
TEST(IgnoreEntryDialogTest, OkNeedsARootName) {
  platform::sim::SimMachine machine;
  app::dialogs::IgnoreEntryDialog dialog(machine.platform().shell, "");
  for (const auto& [text, ok] : std::vector<std::pair<std::string, bool>>{
           {"", false}, {"HKCU\\Software\\A", false}, {"hkey_current_user\\Software", true}, {" HKEY_USERS", true}}) {
    dialog.SetText(text);
    EXPECT_EQ(dialog.CanAccept(), ok) << text;
  }
}

TEST_F(RegistryScanTest, CancelKeepsWholeRowsAndNothingTickedIsRefused) {
  // Enough keys that the scan is still running when Cancel comes.
  auto bench = machine_.registry().Root(platform::RegRoot::CurrentUser).Create("Software\\Many");
  for (int i = 0; i < 3000; ++i) {
    auto key = bench->Create("k" + std::to_string(i));
    ASSERT_TRUE(key->Set("Path", platform::RegValue::String("C:\\Gone\\f" + std::to_string(i) + ".exe")));
  }
  Session s(machine_);
  s.page.ScanClick();
  while (s.registry.row_count < 10) {
    s.page.DrainScanEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  s.page.ScanClick();
  EXPECT_FALSE(s.page.Scanning());
  EXPECT_EQ(s.registry.button, "Scan");
  EXPECT_EQ(s.registry.title, "Select the sections to scan");
  const std::size_t kept = s.page.Rows().size();
  EXPECT_GE(kept, 10u);
  for (const auto& row : s.page.Rows()) {
    EXPECT_TRUE(row.ticked && !row.problem.empty() && !row.data.empty() && !row.registry_key.empty());
  }
  EXPECT_EQ(s.registry.status, " " + std::to_string(kept) + " Errors Found,  " + std::to_string(kept) +
                                   " Errors Selected.");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  s.page.DrainScanEvents();
  EXPECT_EQ(s.page.Rows().size(), kept) << "nothing arrives after Cancel";

  s.page.TreeMouseDown(s.page.Sections().Root(), TreeHit::StateIcon);  // every section off
  s.page.ScanClick();
  EXPECT_EQ(s.view.infos, Lines{"Please select the sections which you want to scan from the left list."});
  EXPECT_FALSE(s.page.Scanning());
}

// Removing exactly the listed entries after their backup is the GUI suite's
// (RegistryRepairTest), and so is a "/Clear" fix that asks nothing (BackgroundTest).
TEST_F(RegistryScanTest, FixErrorsAsksForTheFolderBacksUpRemovesAndCountsWhatCouldNotBeFixed) {
  ASSERT_TRUE(platform::LoadRegText(machine_.registry(),
                                    "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Locked]\r\n"
                                    "\"Path\"=\"C:\\\\Gone\\\\x.exe\"\r\n")
                  .empty());
  machine_.system().internet().SetLocalNow(platform::CalendarTime{2026, 12, 0, 5, 7, 34, 20, 0});
  const std::string backup = "C:\\Norvik\\Backup\\2026_12_05_073420.reg";
  Session s(machine_);
  s.store.settings().OutputDirectory = "C:\\Norvik\\Backup";
  s.store.settings().RestorePoint = true;

  // The folder comes first, even with nothing to fix.
  s.page.FixErrorsClick();
  EXPECT_EQ(s.view.questions, Lines{"C:\\Norvik\\Backup,can not find the backup folder.\ncreates a new directory?"});
  EXPECT_FALSE(machine_.ReadFile(backup));

  s.page.ScanClick();
  s.PumpUntilIdle();
  ASSERT_EQ(s.page.Rows().size(), 5u);
  const auto before = platform::sim::SaveRegText(machine_.registry(), platform::RegFormat::Version5);
  s.view.answer_yes = true;
  s.registry.restore_point_ok = false;  // Cancel in the restore point dialog
  s.page.FixErrorsClick();
  EXPECT_EQ(s.registry.restore_point_dialogs, 1);
  EXPECT_EQ(s.page.Rows().size(), 5u);

  s.registry.restore_point_ok = true;
  ASSERT_TRUE(machine_.registry().SetAccessDenied(platform::RegRoot::CurrentUser, "Software\\Locked", true));
  s.page.FixErrorsClick();
  EXPECT_EQ(s.Keys(), Lines{"  HKEY_CURRENT_USER\\Software\\Locked\\Path"});
  EXPECT_EQ(s.registry.row_count, 1u);
  EXPECT_EQ(s.registry.status, "Fix errors finished! 1 could not be fixed.");
  EXPECT_FALSE(machine_.registry().OpenKey(platform::RegRoot::CurrentUser, "Software\\Acme")->HasValue("Gone"));

  // A backup that cannot be written removes nothing, and the user hears which file.
  ASSERT_TRUE(platform::LoadRegText(machine_.registry(), machine_.ReadFile(backup).value()).empty());
  ASSERT_TRUE(machine_.registry().SetAccessDenied(platform::RegRoot::CurrentUser, "Software\\Locked", false));
  ASSERT_TRUE(machine_.platform().files.SetAttributes(backup, platform::file_attr::kReadOnly));
  s.store.settings().RestorePoint = false;
  s.page.ScanClick();
  s.PumpUntilIdle();
  s.page.FixErrorsClick();
  EXPECT_EQ(s.view.errors, Lines{"Cannot write the backup file " + backup +
                                 ". The errors not yet fixed are left as they are."});
  EXPECT_EQ(s.page.Rows().size(), 5u);
  EXPECT_EQ(platform::sim::SaveRegText(machine_.registry(), platform::RegFormat::Version5), before);
}

}  // namespace
}  // namespace norvik::app
