#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dialogs/options_dialog.h"
#include "core/settings_store.h"
#include "platform/sim/sim_machine.h"

namespace norvik::app::dialogs {
namespace {

using Rows = std::vector<std::string>;

struct FakeHost final : OptionsHost {
  std::vector<std::string> calls;
  void RestartBossKey(bool enabled) override { calls.push_back(enabled ? "boss on" : "boss off"); }
  void ArmSchedule() override { calls.push_back("schedule"); }
};

struct FakeProbe final : HotkeyProbe {
  bool taken = false;
  std::vector<std::string> calls;
  bool AddAtom() override { return calls.push_back("add"), true; }
  bool TryRegister(unsigned modifiers, std::uint16_t key) override {
    calls.push_back("register " + std::to_string(modifiers) + " " + std::to_string(key));
    return !taken;
  }
  void DeleteAtom() override { calls.push_back("delete"); }
};

class OptionsDialogTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  core::SettingsStore store{p.ini, {"C:\\Norvik\\", "C:\\Norvik\\"}};
  FakeHost host;
  FakeProbe probe;

  void SetUp() override {
    store.Load({});
    machine.MakeFolder(store.settings().OutputDirectory);
    machine.SetSpecialFolder(platform::csidl::kCookies, "C:\\Cookies");
  }
  OptionsDialog Opened() {
    OptionsDialog dialog(p, store, host);
    dialog.Create();
    return dialog;
  }
  bool Saved() { return machine.ReadFile(store.FileName()).has_value(); }
};

// Every control reaches its setting through "&OK" and comes back from it on the next
// opening; the boss key, on and unchanged, is neither tested nor registered again. (A
// clean at start writing the Run value with autostart unticked is the GUI suite's.)
TEST_F(OptionsDialogTest, EveryControlReachesItsSettingAndComesBack) {
  store.settings().EnableHotkey = true;
  OptionsDialog dialog = Opened();
  OptionsControls c = dialog.controls();
  c.ask_clear = !c.ask_clear, c.wipe_file = !c.wipe_file, c.wipe_index = 6;
  c.delete_backup_file = !c.delete_backup_file, c.ignore_remove_media = !c.ignore_remove_media;
  c.include_cd_drive = !c.include_cd_drive, c.create_restore = !c.create_restore, c.fast_scan = !c.fast_scan;
  c.log_temp_internet_files = !c.log_temp_internet_files, c.log_recycle_bin = !c.log_recycle_bin;
  c.output_folder = "C:\\Elsewhere";
  c.auto_wash = !c.auto_wash, c.interval_index = 3, c.shutdown_wash = !c.shutdown_wash;
  c.ie = !c.ie, c.netscape = !c.netscape, c.firefox = !c.firefox, c.opera = !c.opera;
  c.auto_start = true;
  machine.MakeFolder("C:\\Elsewhere");
  dialog.controls() = c;
  dialog.AddIgnoreRow(IgnorePage::Keys, "HKEY_CURRENT_USER\\Software\\Kept");
  EXPECT_TRUE(dialog.Ok(probe).close);

  const core::Settings& s = store.settings();
  EXPECT_EQ(s.WipeNumber, 7);
  EXPECT_EQ(s.CleanInterval, 3);
  EXPECT_EQ(s.OutputDirectory, "C:\\Elsewhere");
  EXPECT_EQ(s.IgnoreKeys.back(), "HKEY_CURRENT_USER\\Software\\Kept");
  EXPECT_EQ(core::ReadAutostart(p), "C:\\Norvik\\norvik.exe /Auto");
  EXPECT_EQ(host.calls, Rows({"schedule"}));
  EXPECT_TRUE(probe.calls.empty());

  core::SettingsStore reread(p.ini, store.Folders());
  reread.Load({});
  EXPECT_EQ(reread.settings(), s);
  EXPECT_EQ(Opened().controls(), c);
}

TEST_F(OptionsDialogTest, HotkeyCaptureNamesKeysAsTheTableSays) {
  struct Case { std::uint16_t key; bool ctrl, shift, alt; std::string text, name; std::uint16_t code; };
  const Case cases[] = {
      {116, true, false, true, "Ctrl  Alt  F5", "F5", 116},    {16, false, true, false, "Shift  ", "", 0},
      {103, false, false, false, "Num 7", "Num 7", 103},     {65, true, true, true, "Ctrl  Shift  Alt  A", "A", 65},
      {186, true, false, false, "", "", 186},                {46, false, false, false, "Del", "Del", 46},
      {46, true, false, false, "Ctrl  Del", "Del", 46},      {108, false, false, false, "Separator", "Separator", 108},
  };
  for (const Case& c : cases) {
    const KeyCapture got = CaptureHotkey(c.key, c.ctrl, c.shift, c.alt);
    EXPECT_EQ(got.text, c.text) << c.key;
    EXPECT_EQ(got.char_string, c.name) << c.key;
    EXPECT_EQ(got.code, c.code) << c.key;
  }
}

// Kept cookies never show among those to delete; moves pick the next rows; "&OK" writes
// the keep list with its Count and leaves keys of a longer old list unread.
TEST_F(OptionsDialogTest, CookieListsMoveRowsAndRoundTripThroughCookiesIni) {
  machine.WriteFile("C:\\Norvik\\Cookies.ini", "[Cookies to Keep]\nCount=1\n0=user@kept.txt\n1=\n2=old.txt\n");
  for (const char* name : {"user@kept.txt", "user@a.txt", "user@b.txt", "user@c.txt", "index.dat"}) {
    machine.WriteFile(std::string("C:\\Cookies\\") + name, "name\r\nvalue\r\n");
  }
  machine.MakeFolder("C:\\Cookies\\dir.txt");
  OptionsDialog dialog = Opened();
  EXPECT_EQ(dialog.cookies_to_keep(), Rows({"user@kept.txt"}));
  ASSERT_EQ(dialog.cookies_to_delete(), Rows({"user@a.txt", "user@b.txt", "user@c.txt"}));

  dialog.SelectToDelete(2);
  EXPECT_EQ(dialog.ViewSelectedCookie(), "\r\nname\r\nvalue");
  dialog.KeepSelected();  // the last row: the selection goes to the first
  EXPECT_EQ(dialog.delete_selection(), 0u);
  dialog.KeepSelected();
  EXPECT_EQ(dialog.cookies_to_delete(), Rows({"user@b.txt"}));
  EXPECT_EQ(dialog.cookies_to_keep(), Rows({"user@kept.txt", "user@c.txt", "user@a.txt"}));
  EXPECT_EQ(dialog.keep_selection(), 0u);
  dialog.DeleteSelected();
  EXPECT_EQ(dialog.cookies_to_delete(), Rows({"user@b.txt", "user@kept.txt"}));
  dialog.DeleteAll();
  EXPECT_TRUE(dialog.cookies_to_keep().empty());
  dialog.SelectToDelete(3);
  dialog.KeepSelected();
  ASSERT_TRUE(dialog.Ok(probe).close);

  EXPECT_EQ(Opened().cookies_to_keep(), Rows({"user@a.txt"}));
  EXPECT_EQ(p.ini.GetString("C:\\Norvik\\Cookies.ini", "Cookies to Keep", "Count", ""), "1");
}

// A missing backup folder or a hotkey Windows refuses keeps the dialog open with nothing
// saved; the refused hotkey's text goes back to what it was.
TEST_F(OptionsDialogTest, OkIsBlockedByAMissingFolderAndByARefusedHotkey) {
  OptionsDialog dialog = Opened();
  const std::string before = dialog.controls().hotkey_text;
  dialog.controls().output_folder = "C:\\Missing";
  OkOutcome outcome = dialog.Ok(probe);
  EXPECT_FALSE(outcome.close);
  EXPECT_EQ(outcome.error, "C:\\Missing,can not find the backup folder.");
  EXPECT_TRUE(outcome.focus_output_folder);

  dialog.controls().output_folder = store.settings().OutputDirectory;
  dialog.controls().use_boss_key = true;
  dialog.HotkeyKeyDown(16, false, true, false);  // Shift alone names no key
  EXPECT_EQ(dialog.Ok(probe).error, kHotkeyBlankMessage);
  EXPECT_TRUE(probe.calls.empty());

  dialog.HotkeyKeyDown(116, true, false, true);
  probe.taken = true;
  EXPECT_EQ(dialog.Ok(probe).error, kHotkeyTakenMessage);
  EXPECT_EQ(probe.calls, Rows({"add", "register 3 116", "delete"}));
  EXPECT_EQ(dialog.controls().hotkey_text, before);
  EXPECT_FALSE(Saved());
  EXPECT_TRUE(host.calls.empty());

  probe.taken = false;
  dialog.HotkeyKeyDown(116, true, false, true);
  EXPECT_TRUE(dialog.Ok(probe).close);
  EXPECT_EQ(host.calls, Rows({"boss on", "schedule"}));
  EXPECT_TRUE(store.settings().IsCtrl && store.settings().IsAlt && !store.settings().IsShift);
  EXPECT_EQ(store.settings().CharString, "F5");
}

}  // namespace
}  // namespace norvik::app::dialogs
