// The startup manager on the Tools page: run keys and Startup folders listed, and the
// checked entries deleted, registry values only after their backup.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/main_window_view.h"
#include "platform/reg_text.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"

namespace norvik::app {
namespace {

using platform::RegRoot;
using Lines = std::vector<std::string>;

constexpr char kVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kCu = std::string("HKEY_CURRENT_USER\\") + kVersion;
const std::string kLm = std::string("HKEY_LOCAL_MACHINE\\") + kVersion;

TEST(StartupManagerTest, ListsTheLogonProgramsAndDeletesOnlyTheCheckedOnesThatCanGo) {
  platform::sim::SimMachine machine;
  ASSERT_TRUE(platform::LoadRegText(machine.registry(), "REGEDIT4\r\n\r\n[" + kCu + "Run]\r\n@=\"C:\\\\default.exe\"\r\n"
                                    "\"Same\"=\"C:\\\\user.exe\"\r\n\"Number\"=dword:00000001\r\n\r\n[" + kLm +
                                    "Run]\r\n\"Same\"=\"C:\\\\machine.exe\"\r\n\r\n[" + kLm + "RunOnce]\r\n"
                                    "\"Locked\"=hex(2):25,00\r\n\r\n[" + kCu + "RunServices]\r\n\"Service\"=\"x\"\r\n")
                  .empty());
  const std::string user = *machine.shell().SpecialFolder(platform::csidl::kStartup) + "\\",
                    common = *machine.shell().SpecialFolder(platform::csidl::kCommonStartup) + "\\";
  machine.WriteShortcut(user + "Mail.LNK", "C:\\mail.exe");
  machine.WriteFile(user + "Broken.lnk", "not a shortcut");
  machine.WriteShortcut(user + "notes.txt", "C:\\notes.exe");  // a target, but no shortcut's name
  machine.WriteShortcut(common + "Busy.lnk", "C:\\busy.exe");
  FakeSession s(machine.platform());
  s.Start();  // Windows 7: no RunServices
  s.store.settings().OutputDirectory = "C:\\Norvik\\Backup";  // made for the first backup
  ToolsPage& tools = s.window.tools();

  tools.StartupClick();
  const std::string locked = "Locked|%|" + kLm + "RunOnce", same = "Same|C:\\machine.exe|" + kLm + "Run",
                    busy = "Busy.lnk|C:\\busy.exe|Common Startup";
  EXPECT_EQ(s.others.startup_rows, (Lines{"|C:\\default.exe|" + kCu + "Run", "Same|C:\\user.exe|" + kCu + "Run", same,
                                         locked, "Mail.LNK|C:\\mail.exe|Startup", busy}));

  // All but the machine's "Same" checked; the RunOnce key and the busy shortcut refuse.
  tools.SelectAllClick();
  s.others.startup_checks[2] = false;
  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::LocalMachine, std::string(kVersion) + "RunOnce", true));
  machine.SetFileInUse(common + "Busy.lnk", true);
  tools.DeleteEntryClick();
  EXPECT_EQ(s.others.startup_rows, (Lines{same, locked, busy}));
  EXPECT_EQ(s.view.errors, Lines{"2 entries could not be removed."});
  EXPECT_TRUE(!machine.ReadFile(user + "Mail.LNK") && machine.ReadFile(user + "Broken.lnk"));
  auto run = machine.registry().Root(RegRoot::CurrentUser).Open(std::string(kVersion) + "Run");
  EXPECT_EQ(*run->ValueNames(), Lines{"Number"});

  // The run's one backup brings both deleted values back.
  auto backups = machine.files().FindFirst("C:\\Norvik\\Backup\\*.reg");
  ASSERT_TRUE(backups && !backups->rest.Next());
  ASSERT_TRUE(platform::LoadRegText(machine.registry(), *machine.ReadFile("C:\\Norvik\\Backup\\" + backups->first.name)).empty());
  EXPECT_EQ(run->Query("")->AsString() + run->Query("Same")->AsString(), "C:\\default.exeC:\\user.exe");

  // No backup, no delete: a backup folder under a file cannot be made.
  machine.WriteFile("C:\\Plain", "");
  s.store.settings().OutputDirectory = "C:\\Plain\\Backup";
  s.view.errors.clear();
  tools.SelectAllClick();
  tools.DeleteEntryClick();
  EXPECT_EQ(s.others.startup_rows, (Lines{same, locked, busy}));
  EXPECT_TRUE(s.view.errors.size() == 1 && s.view.errors[0].starts_with("Cannot write the backup file C:\\Plain\\Backup\\"))
      << ::testing::PrintToString(s.view.errors);
}

}  // namespace
}  // namespace norvik::app
