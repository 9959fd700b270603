// Custom Controls, Invalid ActiveX, File Extensions and Applications on a simulated
// machine: planted problems are reported with their evidence, planted look-alikes are not.

#include <gtest/gtest.h>

#include "fakes/scan_rows.h"
#include "regscan/com_checks.h"
#include "regscan/file_type_checks.h"

namespace norvik::regscan {
namespace {

using testing::Plant;
using testing::Rows;
using testing::RunCheck;

const std::string kCr = "HKEY_CLASSES_ROOT\\", kWow = kCr + "Wow6432Node\\";

class ComChecksTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.WriteFile("C:\\Tools\\app.exe", "x"); }
  platform::sim::SimMachine machine_;
};

TEST_F(ComChecksTest, CustomControlsTestDefaultValuesAndInterfaceTypeLibraries) {
  Plant(machine_, {kCr + "CLSID\\{A}\\InprocServer32|@=C:\\gone\\a.dll", kCr + "CLSID\\{B}\\Server|@=C:\\Tools\\app.exe /x",
                   kWow + "CLSID\\{C}\\InprocServer32|@=C:\\Windows\\System32\\gone32.dll",
                   kWow + "CLSID\\{D}\\InprocServer32|@=C:\\gone\\d32.dll", kCr + "TypeLib\\{LIB-ONE}",
                   kCr + "Interface\\{I1}|@=IKnown", kCr + "Interface\\{I1}\\TypeLib|@={lib-one}",
                   kCr + "Interface\\{I2}|@=IOrphan", kCr + "Interface\\{I2}\\TypeLib|@={LIB-GONE}",
                   kCr + "Interface\\{I3}\\TypeLib|@={LIB-GONE}", kCr + "Interface\\{I4}|@=INoLibrary",
                   kCr + "Interface\\{I5}|@=INumbered", kCr + "Interface\\{I5}\\TypeLib|@=#1",
                   kWow + "Interface\\{I6}|@=IOrphan32", kWow + "Interface\\{I6}\\TypeLib|@={LIB-GONE}"});
  EXPECT_EQ(RunCheck(machine_, ScanCustomControls, {.section_codes = {16}}),
            (Rows{"0 " + kCr + "CLSID\\{A}\\InprocServer32 = C:\\gone\\a.dll",
                  "0 " + kWow + "CLSID\\{D}\\InprocServer32 = C:\\gone\\d32.dll",
                  "0 " + kCr + "Interface\\{I2} = IOrphan - {LIB-GONE}",
                  "0 " + kWow + "Interface\\{I6} = IOrphan32 - {LIB-GONE}"}));
  // The machine hive's own scan tests those default values.
  EXPECT_EQ(RunCheck(machine_, ScanCustomControls, {.section_codes = {5, 16}}).size(), 2u);
}

TEST_F(ComChecksTest, ActiveXTestsTypeLibraryFilesAndApplicationIds) {
  Plant(machine_, {kCr + "TypeLib\\{T}\\1.0\\0\\win64|@=C:\\gone\\t64.dll", kCr + "TypeLib\\{T}\\1.0\\HELPDIR|@=C:\\gone\\h",
                   kCr + "TypeLib\\{T}\\1.0\\0\\win32|@=C:\\Windows\\System32\\t32.dll", kCr + "AppID\\{APP1}",
                   kCr + "AppID\\{Q6}", kWow + "AppID\\{APP32}", kCr + "CLSID\\{Q1}|AppID={app1}",
                   kCr + "CLSID\\{Q2}|AppID={NOAPP}", kCr + "CLSID\\{Q3}|AppID={NOAPP}",
                   kCr + "CLSID\\{Q3}\\InprocServer32|@=C:\\Windows\\System32\\OLEACC.dll", kCr + "CLSID\\{Q4}|AppID=",
                   kCr + "CLSID\\{Q5}|@=No identifier", kCr + "CLSID\\{Q6}|AppID={NOAPP}", kCr + "CLSID\\{Q7}|AppID={APP32}",
                   kCr + "CLSID\\{Q8}|AppID=#1", kWow + "CLSID\\{W1}|AppID={APP32}", kWow + "CLSID\\{W2}|AppID={NOAPP}"});
  EXPECT_EQ(RunCheck(machine_, ScanActiveX, {.section_codes = {20}}),
            (Rows{"1 " + kCr + "TypeLib\\{T}\\1.0\\0\\win64\\ = C:\\gone\\t64.dll", "0 " + kCr + "CLSID\\{Q2} = {NOAPP}",
                  "0 " + kCr + "CLSID\\{Q7} = {APP32}",  // a 64-bit class looks in its own view
                  "0 " + kWow + "CLSID\\{W2} = {NOAPP}"}));
  EXPECT_EQ(RunCheck(machine_, ScanActiveX, {.section_codes = {5, 20}}).size(), 3u);
}

TEST_F(ComChecksTest, FileExtensionsFollowTheVersionsRules) {
  const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes", exts =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  Plant(machine_, {classes + "\\.nothing", classes + "\\.empty|@=", classes + "\\.number|@=#0", classes + "\\.sub|@=",
                   classes + "\\.sub\\ShellNew", classes + "\\.text|@=txtfile", classes + "\\Wow6432Node",
                   exts + "\\.abc\\OpenWithList", exts + "\\.def", exts + "\\.ghi\\OpenWithList|a=notepad.exe"});
  const std::string c = "3 " + classes + " = ", e = "3 " + exts + " = ";
  EXPECT_EQ(RunCheck(machine_, ScanFileExtensions, {.os_code = 11}), (Rows{c + ".empty", c + ".nothing", e + ".abc", e + ".def"}));
  EXPECT_EQ(RunCheck(machine_, ScanFileExtensions, {.os_code = 12}), (Rows{c + ".nothing", e + ".def"}));
}

TEST_F(ComChecksTest, ApplicationsReportEveryBrokenCommandKey) {
  const std::string apps = "HKEY_LOCAL_MACHINE\\Software\\Classes\\Applications\\";
  Plant(machine_, {apps + "good.exe\\shell\\open\\command|@=\"C:\\Tools\\app.exe\" \"%1\"",
                   apps + "bad.exe\\shell\\edit\\command|@=C:\\gone\\edit.exe %1",
                   apps + "bad.exe\\shell\\open\\command|@=C:\\gone\\bad.exe", apps + "empty.exe\\shell\\open\\command",
                   apps + "number.exe\\shell\\open\\command|@=#1", apps + "mixed.exe\\command|@=C:\\Tools\\app.exe",
                   apps + "mixed.exe\\shell\\print\\command|@=C:\\gone\\print.exe"});
  EXPECT_EQ(RunCheck(machine_, ScanApplications),
            (Rows{"0 " + apps + "bad.exe\\shell\\edit\\command = C:\\gone\\edit.exe %1",
                  "0 " + apps + "bad.exe\\shell\\open\\command = C:\\gone\\bad.exe",
                  "0 " + apps + "empty.exe\\shell\\open\\command = ",
                  "0 " + apps + "mixed.exe\\shell\\print\\command = C:\\gone\\print.exe"}));
}

}  // namespace
}  // namespace norvik::regscan
