#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/main_window.h"
#include "fakes/main_window_view.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_machine.h"

namespace norvik::app {
namespace {

constexpr const char* kIni = "C:\\Norvik\\options.ini";

class BackgroundTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  void Set(const char* section, const char* key, const std::string& value) {
    ASSERT_TRUE(machine.ini().WriteString(kIni, section, key, value));
  }
};

TEST_F(BackgroundTest, ScheduleFollowsAutoCleanAndInterval) {
  constexpr unsigned kMinute = 60000;
  struct Case { bool auto_clean; int interval; std::optional<unsigned> timer; };
  const Case cases[] = {
      {true, 0, 15 * kMinute}, {true, 4, 480 * kMinute}, {true, 7, 15 * kMinute},
      {true, -1, 15 * kMinute}, {false, 2, std::nullopt},
  };
  for (const auto& c : cases) {
    Set("SChedule", "AutoClean", c.auto_clean ? "1" : "0");
    Set("SChedule", "CleanInterval", std::to_string(c.interval));
    FakeSession s(machine.platform());
    s.Start();
    EXPECT_EQ(s.view.tray.timer, c.timer) << c.auto_clean << " " << c.interval;
  }
}

// Hiding and showing the browsers' windows, and the close bringing them back and
// dropping the key, are the GUI suite's (BackgroundTest.TrayIconAndBossKey).
TEST_F(BackgroundTest, BossKeyTakesItsModifiersAndEveryPressFlips) {
  Set("Hotkey", "EnableHotkey", "1");
  Set("Hotkey", "IsCtrl", "0");
  Set("Hotkey", "IsShift", "1");
  Set("Hotkey", "IsAlt", "1");
  FakeSession s(machine.platform());
  s.Start();
  auto& tray = s.view.tray;
  const std::uint16_t atom = tray.FindAtom(kBossKeyAtomName);
  ASSERT_NE(atom, 0);
  EXPECT_EQ(tray.hotkeys[atom], kModShift | kModAlt);
  // With no browser open as with one.
  s.window.HotkeyMessage(atom);
  s.window.HotkeyMessage(atom);
  EXPECT_FALSE(s.window.BossHidden());
}

}  // namespace
}  // namespace norvik::app
