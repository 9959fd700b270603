// The startup manager on the Tools page: what Windows starts at logon, listed from the run
// keys and the Startup folders, and the checked entries deleted (registry values after
// their backup).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/main_window_view.h"
#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"

namespace norvik::app {
namespace {

using platform::RegRoot;
using platform::sim::SimMachine;
using Lines = std::vector<std::string>;

constexpr char kRunKeys[] =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "@=\"C:\\\\default.exe\"\r\n"
    "\"Same\"=\"C:\\\\user.exe\"\r\n"
    "\"Number\"=dword:00000001\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Same\"=\"C:\\\\machine.exe\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n"
    "\"Locked\"=hex(2):25,00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices]\r\n"
    "\"Service\"=\"C:\\\\service.exe\"\r\n";

constexpr char kUserRun[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kMachineRun[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(StartupManagerTest, ListsTheLogonProgramsAndDeletesOnlyTheCheckedOnesThatCanGo) {
  SimMachine machine;
  ASSERT_TRUE(platform::LoadRegText(machine.registry(), kRunKeys).empty());
  const std::string user = *machine.shell().SpecialFolder(platform::csidl::kStartup) + "\\";
  const std::string common = *machine.shell().SpecialFolder(platform::csidl::kCommonStartup) + "\\";
  machine.WriteShortcut(user + "Mail.LNK", "C:\\mail.exe");
  machine.WriteFile(user + "Broken.lnk", "not a shortcut");
  machine.WriteShortcut(user + "notes.txt", "C:\\notes.exe");  // a target, but no shortcut's name
  machine.WriteShortcut(common + "Busy.lnk", "C:\\busy.exe");
  FakeSession s(machine.platform());
  s.Start();
  s.store.settings().OutputDirectory = "C:\\Norvik\\Backup";  // missing: made for the first backup
  ToolsPage& tools = s.window.tools();

  tools.StartupClick();
  EXPECT_EQ(s.others.startup_rows, (Lines{"|C:\\default.exe|" + std::string(kUserRun),
                                         "Same|C:\\user.exe|" + std::string(kUserRun),
                                         "Same|C:\\machine.exe|" + std::string(kMachineRun),
                                         "Locked|%|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                         "Mail.LNK|C:\\mail.exe|Startup", "Busy.lnk|C:\\busy.exe|Common Startup"}));

  // Everything but the machine's "Same" checked; the RunOnce key and the common
  // shortcut refuse to go.
  tools.SelectAllClick();
  s.others.startup_checks[2] = false;
  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::LocalMachine,
                                                 "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", true));
  machine.SetFileInUse(common + "Busy.lnk", true);
  tools.DeleteEntryClick();

  EXPECT_EQ(s.others.startup_rows, (Lines{"Same|C:\\machine.exe|" + std::string(kMachineRun),
                                         "Locked|%|HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                         "Busy.lnk|C:\\busy.exe|Common Startup"}));
  EXPECT_EQ(s.view.errors, Lines{"2 entries could not be removed."});
  EXPECT_FALSE(machine.ReadFile(user + "Mail.LNK"));
  EXPECT_TRUE(machine.ReadFile(user + "Broken.lnk"));
  EXPECT_TRUE(machine.ReadFile(common + "Busy.lnk"));
  auto user_run = machine.registry().Root(RegRoot::CurrentUser).Open("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  ASSERT_TRUE(user_run);
  EXPECT_EQ(*user_run->ValueNames(), Lines{"Number"});
  EXPECT_TRUE(machine.registry().Root(RegRoot::LocalMachine).Open("Software\\Microsoft\\Windows\\CurrentVersion\\Run")->HasValue("Same"));

  // The run's backup brings both deleted values back.
  auto backups = machine.files().FindFirst("C:\\Norvik\\Backup\\*.reg");
  ASSERT_TRUE(backups);
  const auto text = machine.ReadFile("C:\\Norvik\\Backup\\" + backups->first.name);
  ASSERT_TRUE(text);
  EXPECT_FALSE(backups->rest.Next());
  ASSERT_TRUE(platform::LoadRegText(machine.registry(), *text).empty());
  EXPECT_EQ(user_run->Query("")->AsString(), "C:\\default.exe");
  EXPECT_EQ(user_run->Query("Same")->AsString(), "C:\\user.exe");

  // No backup, no delete: a backup folder under a file cannot be made.
  machine.WriteFile("C:\\Plain", "");
  s.store.settings().OutputDirectory = "C:\\Plain\\Backup";
  s.view.errors.clear();
  tools.SelectAllClick();
  tools.DeleteEntryClick();
  EXPECT_EQ(s.others.startup_rows.size(), 3u);
  ASSERT_EQ(s.view.errors.size(), 1u);
  EXPECT_TRUE(s.view.errors[0].starts_with("Cannot write the backup file C:\\Plain\\Backup\\")) << s.view.errors[0];
  EXPECT_TRUE(machine.registry().Root(RegRoot::LocalMachine).Open("Software\\Microsoft\\Windows\\CurrentVersion\\Run")->HasValue("Same"));
}

}  // namespace
}  // namespace norvik::app
