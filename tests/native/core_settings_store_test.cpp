#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "fakes/settings_view.h"
#include "platform/sim/sim_machine.h"

namespace norvik::core {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kIni = "C:\\Norvik\\options.ini";

class SettingsStoreTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  FakeView view;
  SettingsStore store{p.ini, p.system};

  Settings Reload() {
    SettingsStore fresh(p.ini, p.system);
    fresh.LoadSettings(view);
    return fresh.settings();
  }
  void Put(std::string_view section, std::string_view key, std::string_view value) {
    ASSERT_TRUE(p.ini.WriteString(kIni, section, key, value));
  }
  std::string Stored(std::string_view section, std::string_view key) {
    return p.ini.GetString(kIni, section, key, "<missing>");
  }
};

TEST_F(SettingsStoreTest, FreshStartTakesEveryDefault) {
  view.Check({"Windows"});
  const Settings s = Reload();
  EXPECT_TRUE(view.CheckedItemNames().empty());
  EXPECT_EQ(std::vector<bool>({s.IsAskBeforeClear, s.IsWipeFile, s.EnableHotkey, s.IsCtrl, s.IsShift, s.IsAlt,
                               s.EnableIE, s.EnableNetscape, s.EnableFirefox, s.EnableOpera, s.AutoClean,
                               s.StartClean, s.ShutdownClean, s.FastScan, s.ShowLogTempInternetFiles,
                               s.ShowLogRecycleBin, s.DeleteBackupFile, s.IncludeRemoveMedia, s.IncludeCDdrive,
                               s.RestorePoint, s.IsMaximised()}),
            std::vector<bool>({1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0}));
  EXPECT_EQ(std::vector<int>({s.WipeNumber, s.CharAscII, s.CleanInterval, s.SelectedCount}),
            std::vector<int>({1, 116, 0, 0}));
  EXPECT_EQ(s.CharString, "F5");
  EXPECT_EQ(s.OutputDirectory, "C:\\Norvik\\Backup");
  EXPECT_TRUE(s.IgnoreValues.empty() && s.IgnoreKeys.empty());
  EXPECT_EQ(std::count(s.FirstNodeExpand.begin() + 1, s.FirstNodeExpand.end(), true), 11);
  EXPECT_EQ(std::count(s.TreeViewNodeCheck.begin() + 1, s.TreeViewNodeCheck.end(), true), 25);
  // Centred on the 1024 x 768 screen at the window's own size.
  EXPECT_EQ(std::vector<int>({s.WindowLeft, s.WindowTop, s.WindowWidth, s.WindowHeight}),
            std::vector<int>({159, 139, 705, 490}));
}

TEST_F(SettingsStoreTest, EveryFieldSurvivesSaveAndLoad) {
  Settings& s = store.settings();
  s.IsAskBeforeClear = s.IsCtrl = s.FastScan = s.DeleteBackupFile = s.IncludeRemoveMedia = false;
  s.IsWipeFile = s.EnableHotkey = s.IsShift = s.IsAlt = s.EnableIE = s.EnableNetscape = s.EnableFirefox =
      s.EnableOpera = s.AutoClean = s.StartClean = s.ShutdownClean = s.ShowLogTempInternetFiles =
          s.ShowLogRecycleBin = s.IncludeCDdrive = s.RestorePoint = true;
  s.WipeNumber = 7;
  s.CharString = "F9";
  s.CharAscII = 120;
  s.CleanInterval = 3;
  s.FirstNodeExpand[4] = false;
  s.OutputDirectory = "D:\\Backups\\Registry";
  s.IgnoreValues = {"HKEY_CURRENT_USER\\Software\\A\\v", "x"};
  s.IgnoreKeys = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"};
  view.sections = {{1, true}, {2, false}, {25, false}};
  view.Check({"Windows", "Windows - Clipboard", "Mozilla Firefox - Download Manager"});
  view.bounds = {30, 40, 800, 600};
  store.SaveSettings(view);

  Settings expected = s;
  expected.SelectedCount = 3;
  expected.TreeViewNodeCheck[2] = expected.TreeViewNodeCheck[25] = false;
  expected.WindowLeft = 30;
  expected.WindowTop = 40;
  expected.WindowWidth = 800;
  expected.WindowHeight = 600;
  view.Check({});
  EXPECT_EQ(Reload(), expected);
  EXPECT_EQ(view.CheckedItemNames(), Names({"Windows", "Windows - Clipboard", "Mozilla Firefox - Download Manager"}));
  EXPECT_EQ(Stored("Options", "IsWipeFile"), "1");
  EXPECT_EQ(Stored("Options", "IsAskBeforeClear"), "0");
  EXPECT_EQ(p.ini.GetSections(kIni), Names({"Options", "Hotkey", "SChedule", "NodeSelected", "FirstNodeExpand",
                                            "Settings", "TreeViewNodeCheck", "IgnoreValue", "IgnoreKey", "Window"}));
}

TEST_F(SettingsStoreTest, NumbersThatAreOutOfRangeOrNotNumbersAndDamagedCounts) {
  for (auto [text, wipe] : {std::pair{"0", 1}, {"11", 1}, {"-3", 1}, {"10", 10}, {"abc", 1}, {"$A", 10}}) {
    Put("Options", "WipeNumber", text);
    EXPECT_EQ(Reload().WipeNumber, wipe) << text;
  }
  Put("Settings", "FastScan", "no");  // not a number: default
  Put("Options", "IsWipeFile", "5");  // any non-zero number is true
  Put("SChedule", "CleanInterval", "1.5");
  Put("Hotkey", "CharAscII", "65601");  // kept in 16 bits
  Put("NodeSelected", "SelectedCount", "1");
  Put("NodeSelected", "1", "windows");  // names match exactly
  Put("IgnoreKey", "Count", "2000000000");  // damaged counts are bounded
  Put("IgnoreKey", "Key1", "HKEY_USERS\\x");
  Put("IgnoreValue", "Count", "-5");
  const Settings s = Reload();
  EXPECT_TRUE(s.FastScan && s.IsWipeFile);
  EXPECT_EQ(s.CleanInterval, 0);
  EXPECT_EQ(s.CharAscII, 65);
  EXPECT_TRUE(view.CheckedItemNames().empty() && s.IgnoreValues.empty());
  ASSERT_EQ(s.IgnoreKeys.size(), static_cast<std::size_t>(SettingsStore::kMaxListEntries));
  EXPECT_EQ(s.IgnoreKeys[0], "HKEY_USERS\\x");

  for (auto [text, n] : {std::pair{"+42", 42}, {"  -42", -42}, {"x1f", 31}, {"0X10", 16}, {"-$10", -16},
                         {"$FFFFFFFF", -1}, {"-2147483648", INT32_MIN}, {"007", 7}}) {
    EXPECT_EQ(ParseIniInteger(text, -99), n) << text;
  }
  for (const char* bad : {"", "-", "$", "0x", "7 ", "1e3", "\t7", "--1", "2147483648", "$100000000",
                          "99999999999999999999"}) {
    EXPECT_EQ(ParseIniInteger(bad, -99), -99) << "'" << bad << "'";
  }
}

TEST_F(SettingsStoreTest, WindowStateAndPlacement) {
  for (auto [key, value] : {std::pair{"Left", "10"}, {"Top", "20"}, {"Width", "700"}, {"Height", "500"}}) {
    Put("Window", key, value);
  }
  Put("Window", "State", "3");
  Settings s = Reload();
  EXPECT_TRUE(s.IsMaximised());
  EXPECT_EQ(s.WindowLeft + s.WindowWidth, 0) << "bounds are not read for a maximised window";
  Put("Window", "State", "2");  // minimised comes back as a normal window
  s = Reload();
  EXPECT_EQ(s.WindowState, Settings::kWindowNormal);
  EXPECT_EQ(std::vector<int>({s.WindowLeft, s.WindowTop, s.WindowWidth, s.WindowHeight}),
            std::vector<int>({10, 20, 700, 500}));

  view.show_command = 3;
  view.bounds = {-4, -4, 1032, 744};
  store.SaveSettings(view);
  EXPECT_EQ(Stored("Window", "State"), "3");
  view.show_command.reset();  // placement unreadable: the state stays, the bounds are written
  view.bounds = {5, 6, 700, 500};
  store.SaveSettings(view);
  EXPECT_EQ(Stored("Window", "State"), "3");
  EXPECT_EQ(Stored("Window", "Left"), "5");
}

TEST_F(SettingsStoreTest, ShorterSelectionLeavesStaleKeysThatAreNeverRead) {
  view.Check({"Windows", "Windows - Recent Documents", "Windows - Clipboard", "Mozilla Firefox",
              "Mozilla Firefox - Download Manager"});
  store.SaveSettings(view);
  view.Check({"Windows", "Windows - Recent Documents", "Windows - Clipboard"});
  store.SaveSettings(view);
  EXPECT_EQ(Stored("NodeSelected", "SelectedCount"), "3");
  EXPECT_EQ(Stored("NodeSelected", "5"), "Mozilla Firefox - Download Manager");

  view.Check({"Mozilla Firefox"});
  EXPECT_EQ(Reload().SelectedCount, 3);
  EXPECT_EQ(view.check_requests, 3);
  EXPECT_EQ(view.CheckedItemNames(), Names({"Windows", "Windows - Recent Documents", "Windows - Clipboard"}));
}

TEST_F(SettingsStoreTest, TreeStatesByImageIndex) {
  // Index 1 is both the registry root and the first clean-item group; the group wins.
  view.registry_top = {{1, true}};
  view.clean_top = {{1, false}, {2, true}, {40, true}};
  store.SaveExpandedState(view);
  auto& expand = store.settings().FirstNodeExpand;
  EXPECT_EQ(std::vector<bool>(expand.begin() + 1, expand.begin() + 4), std::vector<bool>({false, true, true}));
  expand[2] = false;
  view.registry_top = {{1, false}};
  view.clean_top = {{1, false}, {2, true}, {3, false}};
  expand[1] = true;
  store.RestoreExpandedState(view);  // only ever expands
  EXPECT_TRUE(view.registry_top[0].second && view.clean_top[0].second && view.clean_top[1].second);
  EXPECT_TRUE(view.clean_top[2].second);

  view.sections = {{1, true}, {7, false}, {0, true}, {26, false}};
  store.StoreSectionChecks(view);
  view.sections = {{7, true}, {1, false}, {0, true}, {26, false}};
  store.ApplySectionChecks(view);
  EXPECT_EQ(view.sections, (std::vector<std::pair<int, bool>>{{7, false}, {1, true}, {0, true}, {26, false}}));
}

TEST_F(SettingsStoreTest, AFailedWriteEndsTheSaveWithTheFileName) {
  machine.WriteFile(kIni, "");
  ASSERT_TRUE(p.files.SetAttributes(kIni, platform::file_attr::kReadOnly));
  try {
    store.SaveSettings(view);
    ADD_FAILURE() << "the save went through";
  } catch (const EIniFileException& e) {
    EXPECT_STREQ(e.what(), "Unable to write to C:\\Norvik\\options.ini");
  }
}

TEST_F(SettingsStoreTest, AutostartValueIsProgramPathAndSwitch) {
  EXPECT_EQ(ReadAutostart(p), std::nullopt);
  ASSERT_TRUE(SetAutostart(p, true));
  RegistryAccess reg(p.registry);
  ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run", false));
  EXPECT_EQ(reg.GetDataType("Norvik Cleaner"), platform::RegType::Sz);
  EXPECT_EQ(reg.ReadString("Norvik Cleaner").value_or(""), "C:\\Norvik\\norvik.exe /Auto");
  ASSERT_TRUE(reg.WriteString("Other", "x.exe"));
  EXPECT_TRUE(SetAutostart(p, false));
  EXPECT_FALSE(reg.ValueExists("Norvik Cleaner"));
  EXPECT_TRUE(reg.ValueExists("Other"));
  EXPECT_TRUE(SetAutostart(p, false));  // already gone
}

}  // namespace
}  // namespace norvik::core
