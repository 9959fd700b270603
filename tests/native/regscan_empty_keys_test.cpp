// Obsolete Software, Uninstaller Entry, Empty Keys and MRU History Lists on a simulated
// machine, and the rule that no row may delete a root key or a key directly below one.

#include <gtest/gtest.h>

#include <tuple>

#include "core/utility_routines.h"
#include "fakes/scan_rows.h"
#include "regscan/empty_key_checks.h"
#include "regscan/history_checks.h"

namespace norvik::regscan {
namespace {

using testing::Plant;
using testing::Rows;
using testing::RunCheck;

const std::string kCu = "HKEY_CURRENT_USER\\Software\\", kLm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";

TEST(EmptyKeysTest, ObsoleteSoftwareAndUninstallerEntriesInBothViews) {
  platform::sim::SimMachine machine;
  const std::string uninstall = "Microsoft\\Windows\\CurrentVersion\\Uninstall";
  Plant(machine, {kCu + "OldVendor\\EmptyChild", kCu + "Two\\A", kCu + "Two\\B", kCu + "DefaultOnly|@=",
                  kCu + "Wow6432Node", kLm + "Classes\\.txt|@=txtfile", kLm + "Gone", kLm + "Deep\\Er\\Est|V=#1",
                  kLm + "Wow6432Node\\Gone32", kLm + uninstall + "\\EmptyApp\\Sub", kLm + uninstall + "\\Real|N=Real",
                  kLm + uninstall + "\\Real\\Left", kLm + "Wow6432Node\\" + uninstall + "\\Old32",
                  kLm + "Wow6432Node\\" + uninstall + "|V=#1"});
  // A key holding only a key that cannot be opened is not known to be empty.
  ASSERT_TRUE(machine.registry().SetAccessDenied(platform::RegRoot::LocalMachine, "Software\\Holder\\Locked", true));
  EXPECT_EQ(RunCheck(machine, ScanObsoleteSoftware),
            (Rows{"3 HKEY_CURRENT_USER\\Software = OldVendor", "3 HKEY_LOCAL_MACHINE\\Software = Gone",
                  "3 HKEY_LOCAL_MACHINE\\Software\\Wow6432Node = Gone32"}));
  const std::string u = "3 " + kLm + uninstall;
  EXPECT_EQ(RunCheck(machine, ScanUninstallerEntries),
            (Rows{u + " = EmptyApp", u + "\\EmptyApp = Sub", u + "\\Real = Left",
                  "3 " + kLm + "Wow6432Node\\" + uninstall + " = Old32"}));
}

TEST(EmptyKeysTest, EmptyKeysKeepEachVersionsOwnEmptyKeys) {
  platform::sim::SimMachine machine;
  const std::string user = "HKEY_USERS\\S-1-5-21-0-0-0-1000\\", ms = user + "Software\\Microsoft\\",
                    cv = ms + "Windows\\CurrentVersion\\";
  Plant(machine, {user + "Software\\Acme|V=x", user + "Software\\Acme\\Empty", user + "Printers\\Empty", cv + "Run",
                  cv + "Explorer|V=x", cv + "Explorer\\UserAssist", ms + "IME\\15.0|V=x", ms + "IME\\15.0\\IMESC",
                  ms + "RAS AutoDial", ms + "Kept|V=x",
                  ms + "Windows NT\\CurrentVersion", "HKEY_USERS\\.DEFAULT\\Software\\Empty", "HKEY_USERS\\S-1-5-99"});
  const std::string acme = "3 " + user + "Software\\Acme = Empty", ime = "3 " + ms + "IME\\15.0 = IMESC",
                    ras = "3 " + user + "Software\\Microsoft = RAS AutoDial", assist = "3 " + cv + "Explorer = UserAssist",
                    run = "3 " + ms + "Windows\\CurrentVersion = Run";
  // Windows NT holds only a kept empty key, and HKEY_USERS\S-1-5-99 is a whole user's hive.
  EXPECT_EQ(RunCheck(machine, ScanEmptyKeys, {.os_code = 9}), (Rows{acme, ime, ras, assist, run}));
  EXPECT_EQ(RunCheck(machine, ScanEmptyKeys, {.os_code = 11}), (Rows{acme, ras}));
  EXPECT_EQ(RunCheck(machine, ScanEmptyKeys, {.os_code = 12}), (Rows{acme, ime}));
}

TEST(EmptyKeysTest, HistoryListsReportGoneFilesAndUnusedPrograms) {
  platform::sim::SimMachine machine;
  machine.WriteFile("C:\\docs\\report.doc", "x");
  machine.WriteFile("C:\\Tools\\app.exe", "x");
  machine.MapDrive('D', platform::DriveType::CdRom);
  const std::string mru = kCu + "Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
                    count = kCu + "Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
                                  "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";
  Plant(machine, {mru + "|a=C:\\docs\\report", mru + "|b=C:\\docs\\gone", mru + "|c=C:\\docs\\report.doc",
                  mru + "|d\\e=C:\\docs\\gone2", mru + "|f=D:\\cd\\x", mru + "|g=\\\\server\\share\\x",
                  mru + "|MRUList=abcdefg", mru + "\\*", mru + "\\doc|a=C:\\docs\\gone.doc",
                  mru + "\\doc|b=C:\\docs\\report.doc", count});
  auto counts = machine.registry().Root(platform::RegRoot::CurrentUser).Open(count.substr(18));
  ASSERT_TRUE(counts);
  // Name, data size, use count; data without a count word is judged by its name alone.
  for (const auto& [plain, size, uses] : {std::tuple{"RUNPATH:C:\\Tools\\app.exe", 16, 5}, {"RUNPATH:C:\\gone\\x.exe", 16, 5},
                                          {"RUNPATH:C:\\gone\\y.lnk", 16, 3}, {"RUNPATH:C:\\gone\\z.lnk", 8, 0},
                                          {"RUNPIDL:C:\\gone\\short.exe", 4, 0}, {"RUNPIDL:C:\\Tools\\app.exe", 3, 0}}) {
    std::vector<std::uint8_t> data(size, 0);
    if (size > 4) data[4] = static_cast<std::uint8_t>(uses);
    ASSERT_TRUE(counts->Set(core::Rot13(std::string("UEME_") + plain), platform::RegValue::Binary(data)));
  }
  EXPECT_EQ(RunCheck(machine, ScanHistoryLists),
            (Rows{"1 " + mru + "\\b = C:\\docs\\gone", "2 " + mru + " = d\\e", "1 " + mru + "\\doc\\a = C:\\docs\\gone.doc",
                  "6 " + count + " = UEME_RUNPATH:C:\\gone\\x.exe", "6 " + count + " = UEME_RUNPATH:C:\\gone\\z.lnk",
                  "6 " + count + " = UEME_RUNPIDL:C:\\gone\\short.exe"}));
}

// Enforced where rows are added, for every section (HKEY_USERS\S-1-5-99 above).
TEST(ScanGuardTest, NoRowDeletesARootKeyOrAKeyDirectlyBelowOne) {
  const struct {
    const char *registry_key, *data;
    int fix_kind;
    bool dropped;
  } rows[] = {{"HKEY_USERS\\S-1-5-21-1", "", kFixKey, true}, {"HKEY_LOCAL_MACHINE\\\\Software\\", "", kFixKey, true},
              {"HKEY_USERS\\", "S-1-5-21-1", kFixSubKey, true}, {"HKEY_LOCAL_MACHINE\\Software", "Vendor", kFixSubKey, false},
              {"HKEY_CLASSES_ROOT\\Interface\\{I}", "", kFixKey, false}, {"HKEY_USERS\\S-1-5-21-1", "V", kFixNamedValue, false}};
  for (const auto& r : rows) {
    EXPECT_EQ(DeletesTopLevelKey(r.registry_key, r.data, r.fix_kind), r.dropped) << r.registry_key << " + " << r.data;
  }
}

}  // namespace
}  // namespace norvik::regscan
