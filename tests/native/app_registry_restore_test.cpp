// Undoing registry changes: the Restore dialog imports a backup through the registry
// editor under its progress dialog, the restore point dialog waits for System Restore,
// and the Tools page hands whole-registry and system backups to the system's programs.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/dialogs/backup_hint.h"
#include "app/dialogs/restore_backups.h"
#include "app/dialogs/system_point.h"
#include "fakes/main_window_view.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"

namespace norvik::app::dialogs {
namespace {

using platform::sim::SimMachine;
using Lines = std::vector<std::string>;

// The progress dialog, ticked by hand until it ends.
struct HintDialog : BackupHintView, BackupHintRunner {
  std::vector<int> bar;
  std::optional<bool> ended;
  int stop_after = -1;  // ticks before "Stop"; -1 never

  void SetHint(std::string_view) override {}
  void SetBarPosition(int position) override { bar.push_back(position); }
  void EndDialog(bool ok) override { ended = ok; }
  bool ShowBackupHint(platform::Process& process, std::string_view hint) override {
    BackupHint dialog(*this, process, std::string(hint));
    ended.reset();
    dialog.Show();
    for (int tick = 0; !ended; ++tick) {
      if (tick == stop_after) dialog.StopClick();
      if (!ended) dialog.Tick();
    }
    return *ended;
  }
};

struct RestoreWindow : RestoreView {
  std::string folder;
  Lines rows;  // "name|size"
  Lines dates;
  std::optional<std::size_t> selected;
  bool actions = true;
  std::optional<std::string> browse_to;

  void SetFolder(std::string_view f) override { folder = f; }
  void ShowRows(const std::vector<BackupFileRow>& list) override {
    rows.clear();
    dates.clear();
    for (const auto& r : list) {
      rows.push_back(r.name + "|" + r.size);
      dates.push_back(r.date);
    }
    selected.reset();
  }
  std::optional<std::size_t> SelectedRow() override { return selected; }
  void SelectRow(std::optional<std::size_t> row) override { selected = row; }
  void EnableActions(bool on) override { actions = on; }
  std::optional<std::string> BrowseForFolder(std::string_view) override { return browse_to; }
};

TEST(RegistryRestoreTest, TheRestoreDialogListsImportsAndDeletesBackups) {
  SimMachine machine;
  platform::Platform p = machine.platform();
  machine.WriteFile("C:\\B\\2026_11_30_235959.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Back]\r\n\"v\"=\"1\"\r\n");
  machine.WriteFile("C:\\B\\2026_12_05_073420.reg", std::string(1025, ';'));
  machine.WriteFile("C:\\B\\a.REG", "");
  machine.WriteFile("C:\\B\\c.txt", "");
  machine.MakeFolder("C:\\B\\x.reg");
  ASSERT_TRUE(machine.files().SetLastWriteTime("C:\\B\\a.REG", 134090000000000000ull));
  FakeMainWindowView prompts;
  HintDialog hint;
  RestoreWindow window;
  RestoreBackups restore(window, p, prompts, hint, "C:\\Missing", true);

  restore.Show();
  EXPECT_EQ(prompts.infos, Lines{"can not find the backup folder."});
  EXPECT_TRUE(window.rows.empty());
  window.browse_to = "C:\\B";
  restore.BrowseClick();
  EXPECT_EQ(window.folder, "C:\\B");
  const auto local = p.system.FileTimeToLocal(134090000000000000ull).value();
  EXPECT_EQ(window.rows, (Lines{"a.REG|0 KB", "2026_12_05_073420.reg|2 KB", "2026_11_30_235959.reg|1 KB"}));
  EXPECT_EQ(window.dates.front(), p.system.FormatDateTime(local, true));
  EXPECT_FALSE(window.actions);

  // Restore: the editor imports the file (its effect is the GUI suite's, through Wine's
  // regedit); the imported backup goes, as the settings say.
  window.selected = 2;
  restore.SelectionChanged();
  EXPECT_TRUE(window.actions);
  restore.RestoreClick();
  EXPECT_EQ(machine.shell().StartedCommands(), Lines{"Regedit /s \"C:\\B\\2026_11_30_235959.reg\""});
  EXPECT_FALSE(machine.ReadFile("C:\\B\\2026_11_30_235959.reg"));
  EXPECT_EQ(window.selected, 1u) << "the new last row";

  // Stopped, or no editor at all: the backup stays.
  hint.stop_after = 40;
  hint.bar.clear();
  machine.shell().SetProgramRunner([](std::string_view) { return platform::Result<int>(1000); });
  restore.RestoreClick();
  EXPECT_EQ(machine.shell().TerminatedPrograms(), 1);
  EXPECT_EQ(hint.bar.size(), 41u) << "the dialog ends at the Stop";
  machine.shell().SetProgramRunner(nullptr);
  restore.RestoreClick();
  EXPECT_EQ(prompts.infos.back(), "Please check if Regedit.exe exists.");
  EXPECT_TRUE(machine.ReadFile("C:\\B\\2026_12_05_073420.reg"));

  restore.DeleteClick();  // the last row again
  EXPECT_EQ(window.selected, 0u);
  restore.DeleteClick();  // the only row: nothing left to act on
  EXPECT_TRUE(window.rows.empty());
  EXPECT_FALSE(window.selected);
  EXPECT_FALSE(window.actions);
  EXPECT_FALSE(machine.ReadFile("C:\\B\\a.REG"));

  restore.OpenDirectoryClick();
  EXPECT_EQ(machine.shell().OpenedTargets(), Lines{"C:\\B"});
}

struct PointWindow : SystemPointView {
  std::atomic<int> results{-1};
  bool answer = false;
  Lines questions;
  int closes = 0;

  void SetBarPosition(int) override {}
  void PostResult(bool failed) override { results = failed ? 1 : 0; }
  bool AskYesNo(std::string_view q) override { return questions.emplace_back(q), answer; }
  void PostClose() override { ++closes; }
  bool WaitForResult() {
    for (int i = 0; i < 5000 && results < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return results >= 0;
  }
};

TEST(RegistryRestoreTest, TheRestorePointDialog) {
  SimMachine machine;
  WorkerYard yard;
  {
    PointWindow window;
    SystemPoint point(window, machine.system(), yard);
    point.Show();
    for (int i = 0; i < 12; ++i) point.Tick();
    ASSERT_TRUE(window.WaitForResult());
    point.ResultMessage(window.results == 1);
    EXPECT_EQ(window.closes, 1);
    EXPECT_TRUE(point.Close());
    EXPECT_EQ(machine.system().RestorePointDescriptions(), Lines{"Made by Norvik Cleaner"});
  }
  // Failure: the user decides whether the fix goes on. (Yes, and the "/Clear" run that
  // asks nothing, are the GUI suite's: Wine's restore point always fails.)
  machine.system().SetRestorePointCall([](std::string_view) { return platform::Status(platform::kErrProcNotFound); });
  {
    PointWindow window;
    SystemPoint point(window, machine.system(), yard);
    point.Show();
    ASSERT_TRUE(window.WaitForResult());
    point.ResultMessage(window.results == 1);
    EXPECT_EQ(window.questions, Lines{"Restore Point creation Failed! Contiue to fix?"});
    EXPECT_FALSE(point.Close()) << "answered No";
  }
  // Closed before the answer: Cancel at once; the worker finishes in the yard and its
  // answer reaches no window.
  std::atomic<bool> release{false};
  machine.system().SetRestorePointCall([&](std::string_view) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return platform::Status();
  });
  {
    PointWindow window;
    SystemPoint point(window, machine.system(), yard);
    point.Show();
    EXPECT_FALSE(point.Close());
  }
  release = true;
  yard.WaitForAll();
}

TEST(RegistryRestoreTest, TheToolsPageBacksUpTheWholeRegistryAndStartsTheSystemBackup) {
  SimMachine machine;
  FakeSession s(machine.platform());
  s.Start();
  ToolsPage& tools = s.window.tools();
  machine.MakeFolder("C:\\out");
  machine.WriteFile("C:\\out\\old.reg", "old");
  // started: nullptr when nothing starts
  const struct { const char* chosen; bool yes; const char* started; } kCases[] = {
      {"C:\\out\\backup.txt", false, "Regedit /e \"C:\\out\\backup.txt.reg\""},
      {"C:\\out\\BACKUP.Reg", false, "Regedit /e \"C:\\out\\BACKUP.Reg\""},
      {"C:\\out\\old.reg", false, nullptr},
      {"C:\\out\\old", true, "Regedit /e \"C:\\out\\old.reg\""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.chosen);
    s.others.save_name = c.chosen;
    s.view.answer_yes = c.yes;
    const auto started = machine.shell().StartedCommands().size();
    tools.BackupFullRegistryClick();
    const auto commands = machine.shell().StartedCommands();
    EXPECT_EQ(Lines(commands.begin() + static_cast<std::ptrdiff_t>(started), commands.end()),
              c.started ? Lines{c.started} : Lines{});
  }
  EXPECT_EQ(s.view.questions, (Lines{"C:\\out\\old.reg has existed,overite it?", "C:\\out\\old.reg has existed,overite it?"}));
  EXPECT_EQ(s.others.hints, Lines(3, "Backup registry..."));
  EXPECT_NE(machine.ReadFile("C:\\out\\old.reg"), "old") << "the editor wrote the whole registry";

  tools.WindowsBackupClick();
  machine.system().SetEnvironment("SystemRoot", "C:\\NoSuchFolder");
  tools.WindowsBackupClick();
  EXPECT_EQ(machine.shell().OpenedTargets(),
            (Lines{"C:\\windows\\system32\\ntbackup.exe", "%SystemRoot%\\system32\\ntbackup.exe"}));
}

}  // namespace
}  // namespace norvik::app::dialogs
