#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "core/registry_access.h"
#include "core/settings_store.h"
#include "platform/sim/sim_machine.h"

namespace norvik::core {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kIni = "C:\\Norvik\\options.ini";
constexpr WindowBounds kCentred{159, 139, 705, 490};

class SettingsStoreTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  SettingsStore store{p.ini, ChooseFileFolders(p)};

  Settings Reload() {
    SettingsStore fresh(p.ini, ChooseFileFolders(p));
    fresh.Load(kCentred);
    return fresh.settings();
  }
  void Put(std::string_view section, std::string_view key, std::string_view value) {
    ASSERT_TRUE(p.ini.WriteString(kIni, section, key, value));
  }
  std::string Stored(std::string_view section, std::string_view key) {
    return p.ini.GetString(kIni, section, key, "<missing>");
  }
};

// Every key with its default, in the order a save writes them: the file a first close
// leaves behind.
TEST_F(SettingsStoreTest, AFreshStartWritesEveryDefaultInTableOrder) {
  store.Load(kCentred);
  Settings& s = store.settings();
  EXPECT_EQ(s, Settings::Defaults("C:\\Norvik\\", kCentred));
  EXPECT_TRUE(s.SelectedItems.empty() && s.IgnoreValues.empty() && s.IgnoreKeys.empty());
  ASSERT_TRUE(store.Save());

  // Keys of a section that is already there go to its end.
  std::string expected = "[Options]\r\nIsAskBeforeClear=1\r\nIsWipeFile=0\r\nWipeNumber=1\r\nOutputDirectory=C:\\Norvik"
      "\\Backup\r\nDeleteBackupFile=1\r\nIncludeRemoveMedia=1\r\nIncludeCDdrive=0\r\nRestorePoint=0\r\n[Hotkey]\r\n"
      "EnableHotkey=0\r\nIsCtrl=1\r\nIsShift=0\r\nIsAlt=0\r\nCharString=F5\r\nCharAscII=116\r\nEnableIE=0\r\n"
      "EnableNetscape=0\r\nEnableFirefox=0\r\nEnableOpera=0\r\n[SChedule]\r\nAutoClean=0\r\nCleanInterval=0\r\n"
      "StartClean=0\r\nShutdownClean=0\r\n[NodeSelected]\r\nSelectedCount=0\r\n[FirstNodeExpand]\r\n";
  for (int i = 1; i <= 11; ++i) expected += std::to_string(i) + "=1\r\n";
  expected += "[Settings]\r\nShowLogTempInternetFiles=0\r\nShowLogRecycleBin=0\r\nFastScan=1\r\n[TreeViewNodeCheck]\r\n";
  for (int i = 1; i <= 25; ++i) expected += std::to_string(i) + "=1\r\n";
  expected += "[IgnoreValue]\r\nCount=0\r\n[IgnoreKey]\r\nCount=0\r\n[Window]\r\nState=1\r\nLeft=159\r\nTop=139\r\n"
      "Width=705\r\nHeight=490\r\n";
  EXPECT_EQ(machine.ReadFile(kIni), expected);

  // A node's image index outside the slots has none.
  EXPECT_EQ(Slot(s.FirstNodeExpand, 0), nullptr);
  EXPECT_EQ(Slot(s.FirstNodeExpand, 12), nullptr);
  EXPECT_EQ(Slot(s.TreeViewNodeCheck, 25), &s.TreeViewNodeCheck[25]);
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
  s.SelectedItems = {"Windows", "Windows - Clipboard", "Mozilla Firefox - Download Manager"};
  s.FirstNodeExpand[4] = false;
  s.TreeViewNodeCheck[2] = s.TreeViewNodeCheck[25] = false;
  s.OutputDirectory = "D:\\Backups\\Registry";
  s.IgnoreValues = {"HKEY_CURRENT_USER\\Software\\A\\v", "x"};
  s.IgnoreKeys = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Old"};
  s.Window = {30, 40, 800, 600};
  ASSERT_TRUE(store.Save());
  EXPECT_EQ(Reload(), s);
}

TEST_F(SettingsStoreTest, NumbersThatAreOutOfRangeOrNotNumbersAndDamagedCounts) {
  for (auto [text, wipe] : {std::pair{"0", 1}, {"11", 1}, {"-3", 1}, {"10", 10}, {"abc", 1}, {"$A", 10}}) {
    Put("Options", "WipeNumber", text);
    EXPECT_EQ(Reload().WipeNumber, wipe) << text;
  }
  // FastScan is not a number (default), IsWipeFile any non-zero number (true), CharAscII kept in 16 bits, and
  // a damaged count reads up to the first gap.
  for (auto [section, key, value] : {std::tuple{"Settings", "FastScan", "no"}, {"Options", "IsWipeFile", "5"},
                                     {"SChedule", "CleanInterval", "1.5"}, {"Hotkey", "CharAscII", "65601"},
                                     {"IgnoreKey", "Count", "2000000000"}, {"IgnoreKey", "Key1", "HKEY_USERS\\x"},
                                     {"IgnoreKey", "Key3", "HKEY_USERS\\y"}, {"IgnoreValue", "Count", "-5"}}) {
    Put(section, key, value);
  }
  const Settings s = Reload();
  EXPECT_TRUE(s.FastScan && s.IsWipeFile && s.CleanInterval == 0 && s.CharAscII == 65 && s.IgnoreValues.empty());
  EXPECT_EQ(s.IgnoreKeys, Names{"HKEY_USERS\\x"});

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
  for (auto [key, value] : {std::pair{"Left", "10"}, {"Top", "20"}, {"Width", "700"}, {"Height", "500"}, {"State", "3"}})
    Put("Window", key, value);
  Settings s = Reload();
  EXPECT_TRUE(s.IsMaximised());
  EXPECT_EQ(s.Window, WindowBounds{}) << "bounds are not read for a maximised window";
  Put("Window", "State", "2");  // minimised comes back as a normal window
  s = Reload();
  EXPECT_FALSE(s.IsMaximised());
  EXPECT_EQ(s.Window, (WindowBounds{10, 20, 700, 500}));

  store.settings().WindowState = 3;
  ASSERT_TRUE(store.Save());
  store.settings().WindowState.reset();  // placement unreadable: the state stays, the bounds are written
  store.settings().Window = {5, 6, 700, 500};
  ASSERT_TRUE(store.Save());
  EXPECT_EQ(std::tuple(Stored("Window", "State"), Stored("Window", "Left")), std::tuple("3", "5"));
}

TEST_F(SettingsStoreTest, ShorterSelectionLeavesStaleKeysThatAreNeverRead) {
  store.settings().SelectedItems = {"Windows", "Windows - Recent Documents", "Windows - Clipboard",
                                    "Mozilla Firefox", "Mozilla Firefox - Download Manager"};
  ASSERT_TRUE(store.Save());
  store.settings().SelectedItems.resize(3);
  ASSERT_TRUE(store.Save());
  EXPECT_EQ(std::tuple(Stored("NodeSelected", "SelectedCount"), Stored("NodeSelected", "5")),
            std::tuple("3", "Mozilla Firefox - Download Manager"));
  EXPECT_EQ(Reload().SelectedItems, Names({"Windows", "Windows - Recent Documents", "Windows - Clipboard"}));
}

// Long lists come back whole, and what the program does not know stays in the file.
TEST_F(SettingsStoreTest, ASaveKeepsEveryStoredEntryAndEveryUnknownLine) {
  constexpr int kMany = 4100;
  std::string text = "; kept\r\n[Options]\r\nFuture=1\r\n[IgnoreValue]\r\nCount=" + std::to_string(kMany) + "\r\n";
  for (int i = 1; i <= kMany; ++i) text += "Value" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
  machine.WriteFile(kIni, text + "[Other]\r\nx=1\r\n");
  store.Load(kCentred);  // all of them: one more comes back after the save below
  store.settings().IgnoreValues.push_back("new");
  ASSERT_TRUE(store.Save());
  const Settings s = Reload();
  ASSERT_EQ(s.IgnoreValues.size(), static_cast<std::size_t>(kMany + 1));
  EXPECT_EQ(s.IgnoreValues[kMany - 1], "v" + std::to_string(kMany));
  EXPECT_TRUE(machine.ReadFile(kIni)->starts_with("; kept\r\n[Options]\r\nFuture=1\r\n") && Stored("Other", "x") == "1" &&
              !machine.ReadFile("C:\\Norvik\\options.ini.tmp"));
}

// The file is replaced whole or not at all.
TEST_F(SettingsStoreTest, AFailedSaveLeavesTheFileAsItWasAndNamesIt) {
  machine.WriteFile(kIni, "[Options]\r\nWipeNumber=4\r\n");
  ASSERT_TRUE(p.files.SetAttributes(kIni, platform::file_attr::kReadOnly));
  EXPECT_FALSE(store.Save() || machine.ReadFile("C:\\Norvik\\options.ini.tmp"));
  EXPECT_EQ(store.SaveErrorText(), "Unable to write to C:\\Norvik\\options.ini");
  EXPECT_EQ(machine.ReadFile(kIni), "[Options]\r\nWipeNumber=4\r\n");
}

TEST_F(SettingsStoreTest, AutostartValueIsProgramPathAndSwitch) {
  EXPECT_EQ(ReadAutostart(p), std::nullopt);
  ASSERT_TRUE(SetAutostart(p, true));
  RegistryAccess reg(p.registry);
  ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Run", false));
  EXPECT_EQ(reg.GetDataType("Norvik Cleaner"), platform::RegType::Sz);
  EXPECT_EQ(reg.ReadString("Norvik Cleaner").value_or(""), "C:\\Norvik\\norvik.exe /Auto");
  ASSERT_TRUE(reg.WriteString("Other", "x.exe"));
  EXPECT_TRUE(SetAutostart(p, false) && !reg.ValueExists("Norvik Cleaner") && reg.ValueExists("Other"));
  EXPECT_TRUE(SetAutostart(p, false));  // already gone
}

}  // namespace
}  // namespace norvik::core
