// Obsolete Software, Uninstaller Entry, Empty Keys and MRU History Lists on a simulated
// machine, and the rule that no row may delete a root key or a key directly below one.

#include <gtest/gtest.h>

#include <cstdint>

#include "core/utility_routines.h"
#include "fakes/scan_rows.h"
#include "regscan/empty_key_checks.h"
#include "regscan/history_checks.h"

namespace norvik::regscan {
namespace {

using platform::RegRoot;
using platform::RegValue;
using platform::sim::SimMachine;
using testing::Rows;
using testing::RunCheck;

class EmptyKeysTest : public ::testing::Test {
 protected:
  void Plant(std::string_view reg_text) { ASSERT_TRUE(testing::LoadRegistry(machine_, reg_text)); }
  SimMachine machine_;
};

TEST_F(EmptyKeysTest, ObsoleteSoftwareJudgesEachVendorKeyInBothViews) {
  Plant(R"(REGEDIT4

[HKEY_CURRENT_USER\Software\OldVendor\EmptyChild]
[HKEY_CURRENT_USER\Software\TwoChildren\A]
[HKEY_CURRENT_USER\Software\TwoChildren\B]
[HKEY_CURRENT_USER\Software\DefaultOnly]
@=""
[HKEY_CURRENT_USER\Software\Wow6432Node]
[HKEY_LOCAL_MACHINE\Software\Classes\.txt]
@="txtfile"
[HKEY_LOCAL_MACHINE\Software\Gone]
[HKEY_LOCAL_MACHINE\Software\Deep\Deeper\Deepest]
"Kept"=dword:00000001
[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Gone32]
)");
  // A key holding only a key that cannot be opened is not known to be empty.
  ASSERT_TRUE(machine_.registry().SetAccessDenied(RegRoot::LocalMachine, "Software\\Holder\\Locked", true));
  EXPECT_EQ(RunCheck(machine_, ScanObsoleteSoftware),
            (Rows{"3 HKEY_CURRENT_USER\\Software = OldVendor", "3 HKEY_LOCAL_MACHINE\\Software = Gone",
                  "3 HKEY_LOCAL_MACHINE\\Software\\Wow6432Node = Gone32"}));
}

TEST_F(EmptyKeysTest, UninstallerEntriesAreJudgedAtEveryDepth) {
  Plant(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\EmptyApp\Sub]
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RealApp]
"DisplayName"="Real"
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\RealApp\Left]
[HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Old32]
)");
  const std::string uninstall = "3 HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  EXPECT_EQ(RunCheck(machine_, ScanUninstallerEntries),
            (Rows{uninstall + " = EmptyApp", uninstall + "\\EmptyApp = Sub", uninstall + "\\RealApp = Left",
                  "3 HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall = Old32"}));
}

TEST_F(EmptyKeysTest, EmptyKeysKeepEachVersionsOwnEmptyKeys) {
  Plant(R"(REGEDIT4

[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Acme]
"Kept"="x"
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Acme\Empty]
[HKEY_USERS\S-1-5-21-0-0-0-1000\Printers\Empty]
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\Windows\CurrentVersion\Run]
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\Windows\CurrentVersion\Explorer]
"Kept"="x"
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\Windows\CurrentVersion\Explorer\UserAssist]
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\IME\15.0]
"Kept"="x"
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\IME\15.0\IMESC]
[HKEY_USERS\S-1-5-21-0-0-0-1000\Software\Microsoft\RAS AutoDial]
[HKEY_USERS\.DEFAULT\Software\Empty]
[HKEY_USERS\S-1-5-99]
)");
  const std::string user = "3 HKEY_USERS\\S-1-5-21-0-0-0-1000\\";
  const std::string acme = user + "Software\\Acme = Empty";
  const std::string ime = user + "Software\\Microsoft\\IME\\15.0 = IMESC";
  const std::string ras = user + "Software\\Microsoft = RAS AutoDial";
  const std::string run = user + "Software\\Microsoft\\Windows\\CurrentVersion = Run";
  const std::string assist = user + "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer = UserAssist";
  const struct {
    std::uint8_t os_code;
    Rows rows;
  } cases[] = {
      {9, {acme, ime, ras, assist, run}},
      {11, {acme, ras}},
      {12, {acme, ime}},
  };
  // HKEY_USERS\S-1-5-99 is empty too, but a whole user's hive is never offered for deletion.
  for (const auto& c : cases) {
    EXPECT_EQ(RunCheck(machine_, ScanEmptyKeys, {.os_code = c.os_code}), c.rows) << int{c.os_code};
  }
}

TEST_F(EmptyKeysTest, HistoryListsReportGoneFilesAndUnusedPrograms) {
  machine_.WriteFile("C:\\docs\\report.doc", "x");
  machine_.WriteFile("C:\\Tools\\app.exe", "x");
  machine_.MapDrive('D', platform::DriveType::CdRom);
  Plant(R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU]
"a"="C:\\docs\\report"
"b"="C:\\docs\\gone"
"c"="C:\\docs\\report.doc"
"d\\e"="C:\\docs\\gone2"
"f"="D:\\cd\\x"
"g"="\\\\server\\share\\x"
"MRUList"="abcdefg"
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU\*]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU\doc]
"a"="C:\\docs\\gone.doc"
"b"="C:\\docs\\report.doc"
)");
  auto counts = machine_.registry().Root(RegRoot::CurrentUser).Create(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
      "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count");
  ASSERT_TRUE(counts);
  const auto counter = [](std::uint8_t uses, std::size_t size = 16) {
    std::vector<std::uint8_t> data(size, 0);
    if (size > 4) data[4] = uses;
    return RegValue::Binary(data);
  };
  const struct {
    const char* plain;
    RegValue data;
  } entries[] = {
      {"UEME_RUNPATH:C:\\Tools\\app.exe", counter(5)},
      {"UEME_RUNPATH:C:\\gone\\x.exe", counter(5)},
      {"UEME_RUNPATH:C:\\gone\\y.lnk", counter(3)},
      {"UEME_RUNPATH:C:\\gone\\z.lnk", counter(0)},
      {"UEME_RUNPIDL:C:\\gone\\short.exe", counter(0, 4)},
      {"UEME_RUNPIDL:C:\\Tools\\app.exe", counter(0, 3)},  // no count word: judged by its name
  };
  for (const auto& e : entries) ASSERT_TRUE(counts->Set(core::Rot13(e.plain), e.data));

  const std::string mru = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
  const std::string assist =
      "6 HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
      "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count = ";
  std::vector<std::string> problems;
  EXPECT_EQ(RunCheck(machine_, ScanHistoryLists, {}, &problems),
            (Rows{"1 " + mru + "\\b = C:\\docs\\gone", "2 " + mru + " = d\\e", "1 " + mru + "\\doc\\a = C:\\docs\\gone.doc",
                  assist + "UEME_RUNPATH:C:\\gone\\x.exe", assist + "UEME_RUNPATH:C:\\gone\\z.lnk",
                  assist + "UEME_RUNPIDL:C:\\gone\\short.exe"}));
  EXPECT_EQ(problems, std::vector<std::string>(6, "Non-existent MRU and History Lists file"));
}

TEST(ScanGuardTest, NoRowDeletesARootKeyOrAKeyDirectlyBelowOne) {
  const struct {
    const char* registry_key;
    const char* data;
    int fix_kind;
    bool kept;
  } rows[] = {
      {"HKEY_USERS\\S-1-5-21-1", "", kFixKey, false},
      {"HKEY_LOCAL_MACHINE\\Software", "", kFixKey, false},
      {"HKEY_LOCAL_MACHINE\\\\Software\\", "", kFixKey, false},
      {"HKEY_CLASSES_ROOT", "", kFixKey, false},
      {"HKEY_USERS\\", "S-1-5-21-1", kFixSubKey, false},
      {"HKEY_LOCAL_MACHINE", "Software", kFixSubKey, false},
      {"HKEY_LOCAL_MACHINE\\Software\\", "", kFixSubKey, false},
      {"HKEY_LOCAL_MACHINE\\Software", "Vendor", kFixSubKey, true},
      {"HKEY_USERS\\S-1-5-21-1", "Printers", kFixSubKey, true},
      {"HKEY_CLASSES_ROOT\\Interface\\{I}", "IName - {LIB}", kFixKey, true},
      {"HKEY_USERS\\S-1-5-21-1", "Value", kFixNamedValue, true},  // a value, not the key
      {"HKEY_CURRENT_USER\\Value", "C:\\x.exe", kFixValuePath, true},
      {"HKEY_USERS\\S-1-5-21-1", "C:\\x.wav", kFixDefaultValue, true},
      {"C:\\Users\\Me\\Desktop\\x.lnk", "C:\\x.exe", kFixShortcut, true},
  };
  SimMachine machine;
  for (const auto& r : rows) {
    const Rows added = RunCheck(machine, [&](TScanTaskThread& scan) {
      scan.AddProblemRow("Problem", r.data, r.registry_key, r.fix_kind);
    });
    EXPECT_EQ(added.size(), r.kept ? 1u : 0u) << r.registry_key << " + " << r.data;
  }
}

}  // namespace
}  // namespace norvik::regscan
