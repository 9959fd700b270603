// Custom Controls, Invalid ActiveX, File Extensions and Applications on a simulated
// machine: planted problems are reported with their evidence, planted look-alikes are not.

#include <gtest/gtest.h>

#include "fakes/scan_rows.h"
#include "regscan/com_checks.h"
#include "regscan/file_type_checks.h"

namespace norvik::regscan {
namespace {

using platform::sim::SimMachine;
using testing::CheckSetup;
using testing::Rows;
using testing::RunCheck;

class ComChecksTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_.WriteFile("C:\\Tools\\app.exe", "x"); }
  void Plant(std::string_view reg_text) { ASSERT_TRUE(testing::LoadRegistry(machine_, reg_text)); }
  SimMachine machine_;
};

TEST_F(ComChecksTest, CustomControlsTestDefaultValuesAndInterfaceTypeLibraries) {
  Plant(R"(REGEDIT4

[HKEY_CLASSES_ROOT\CLSID\{A}\InprocServer32]
@="C:\\gone\\a.dll"
[HKEY_CLASSES_ROOT\CLSID\{B}\LocalServer32]
@="C:\\Tools\\app.exe /automation"
[HKEY_CLASSES_ROOT\Wow6432Node\CLSID\{C}\InprocServer32]
@="C:\\Windows\\System32\\gone32.dll"
[HKEY_CLASSES_ROOT\Wow6432Node\CLSID\{D}\InprocServer32]
@="C:\\gone\\d32.dll"
[HKEY_CLASSES_ROOT\TypeLib\{LIB-ONE}]
[HKEY_CLASSES_ROOT\Interface\{I1}]
@="IKnown"
[HKEY_CLASSES_ROOT\Interface\{I1}\TypeLib]
@="{lib-one}"
[HKEY_CLASSES_ROOT\Interface\{I2}]
@="IOrphan"
[HKEY_CLASSES_ROOT\Interface\{I2}\TypeLib]
@="{LIB-GONE}"
[HKEY_CLASSES_ROOT\Interface\{I3}\TypeLib]
@="{LIB-GONE}"
[HKEY_CLASSES_ROOT\Interface\{I4}]
@="INoLibrary"
[HKEY_CLASSES_ROOT\Interface\{I5}]
@="INumbered"
[HKEY_CLASSES_ROOT\Interface\{I5}\TypeLib]
@=dword:00000001
[HKEY_CLASSES_ROOT\Wow6432Node\Interface\{I6}]
@="IOrphan32"
[HKEY_CLASSES_ROOT\Wow6432Node\Interface\{I6}\TypeLib]
@="{LIB-GONE}"
)");
  const Rows interfaces = {"0 HKEY_CLASSES_ROOT\\Interface\\{I2} = IOrphan - {LIB-GONE}",
                           "0 HKEY_CLASSES_ROOT\\Wow6432Node\\Interface\\{I6} = IOrphan32 - {LIB-GONE}"};
  Rows all = {"0 HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32 = C:\\gone\\a.dll",
              "0 HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{D}\\InprocServer32 = C:\\gone\\d32.dll"};
  all.insert(all.end(), interfaces.begin(), interfaces.end());
  EXPECT_EQ(RunCheck(machine_, ScanCustomControls, {.section_codes = {16}}), all);
  // The machine hive's own scan tests those default values.
  EXPECT_EQ(RunCheck(machine_, ScanCustomControls, {.section_codes = {5, 16}}), interfaces);
}

TEST_F(ComChecksTest, ActiveXTestsTypeLibraryFilesAndApplicationIds) {
  Plant(R"(REGEDIT4

[HKEY_CLASSES_ROOT\TypeLib\{T1}\1.0\0\win64]
@="C:\\gone\\t64.dll"
[HKEY_CLASSES_ROOT\TypeLib\{T1}\1.0\0\win32]
@="C:\\Windows\\System32\\t32.dll"
[HKEY_CLASSES_ROOT\TypeLib\{T1}\1.0\HELPDIR]
@="C:\\gone\\help"
[HKEY_CLASSES_ROOT\AppID\{APP1}]
[HKEY_CLASSES_ROOT\AppID\{Q6}]
[HKEY_CLASSES_ROOT\Wow6432Node\AppID\{APP32}]
[HKEY_CLASSES_ROOT\CLSID\{Q1}]
"AppID"="{app1}"
[HKEY_CLASSES_ROOT\CLSID\{Q2}]
"AppID"="{NOAPP}"
[HKEY_CLASSES_ROOT\CLSID\{Q3}]
"AppID"="{NOAPP}"
[HKEY_CLASSES_ROOT\CLSID\{Q3}\InprocServer32]
@="C:\\Windows\\System32\\OLEACC.dll"
[HKEY_CLASSES_ROOT\CLSID\{Q4}]
"AppID"=""
[HKEY_CLASSES_ROOT\CLSID\{Q5}]
@="No identifier at all"
[HKEY_CLASSES_ROOT\CLSID\{Q6}]
"AppID"="{NOAPP}"
[HKEY_CLASSES_ROOT\CLSID\{Q7}]
"AppID"="{APP32}"
[HKEY_CLASSES_ROOT\CLSID\{Q8}]
"AppID"=dword:00000001
[HKEY_CLASSES_ROOT\Wow6432Node\CLSID\{W1}]
"AppID"="{APP32}"
[HKEY_CLASSES_ROOT\Wow6432Node\CLSID\{W2}]
"AppID"="{NOAPP}"
)");
  std::vector<std::string> problems;
  EXPECT_EQ(RunCheck(machine_, ScanActiveX, {.section_codes = {20}}, &problems),
            (Rows{"1 HKEY_CLASSES_ROOT\\TypeLib\\{T1}\\1.0\\0\\win64\\ = C:\\gone\\t64.dll",
                  "0 HKEY_CLASSES_ROOT\\CLSID\\{Q2} = {NOAPP}",
                  "0 HKEY_CLASSES_ROOT\\CLSID\\{Q7} = {APP32}",  // a 64-bit class looks in its own view
                  "0 HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{W2} = {NOAPP}"}));
  EXPECT_EQ(problems, std::vector<std::string>(4, "ActiveX Issue"));
  EXPECT_EQ(RunCheck(machine_, ScanActiveX, {.section_codes = {5, 20}}).size(), 3u);
}

TEST_F(ComChecksTest, FileExtensionsFollowTheVersionsRules) {
  Plant(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Classes\.nothing]
[HKEY_LOCAL_MACHINE\Software\Classes\.emptydefault]
@=""
[HKEY_LOCAL_MACHINE\Software\Classes\.number]
@=dword:00000000
[HKEY_LOCAL_MACHINE\Software\Classes\.withsub]
@=""
[HKEY_LOCAL_MACHINE\Software\Classes\.withsub\ShellNew]
[HKEY_LOCAL_MACHINE\Software\Classes\.text]
@="txtfile"
[HKEY_LOCAL_MACHINE\Software\Classes\Wow6432Node]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.abc\OpenWithList]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.def]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.ghi\OpenWithList]
"a"="notepad.exe"
)");
  const std::string classes = "3 HKEY_LOCAL_MACHINE\\Software\\Classes = ";
  const std::string exts = "3 HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts = ";
  const struct {
    const char* machine;
    CheckSetup setup;
    Rows rows;
  } cases[] = {
      {"Vista", {.os_code = 11},
       {classes + ".emptydefault", classes + ".nothing", exts + ".", exts + ".abc", exts + ".def"}},
      {"Windows 7, 32-bit", {.os_code = 12, .windows64 = false},
       {classes + ".emptydefault", classes + ".nothing", exts + ".abc", exts + ".def"}},
      {"Windows 7, 64-bit", {.os_code = 12}, {classes + ".nothing", exts + ".", exts + ".def"}},
  };
  for (const auto& c : cases) EXPECT_EQ(RunCheck(machine_, ScanFileExtensions, c.setup), c.rows) << c.machine;
}

TEST_F(ComChecksTest, ApplicationsReportEveryBrokenCommandKey) {
  Plant(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Classes\Applications\good.exe\shell\open\command]
@="\"C:\\Tools\\app.exe\" \"%1\""
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\bad.exe\shell\edit\command]
@="C:\\gone\\edit.exe %1"
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\bad.exe\shell\open\command]
@="C:\\gone\\bad.exe"
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\empty.exe\shell\open\command]
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\number.exe\shell\open\command]
@=dword:00000001
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\mixed.exe\command]
@="C:\\Tools\\app.exe"
[HKEY_LOCAL_MACHINE\Software\Classes\Applications\mixed.exe\shell\print\command]
@="C:\\gone\\print.exe"
)");
  const std::string apps = "0 HKEY_LOCAL_MACHINE\\Software\\Classes\\Applications\\";
  EXPECT_EQ(RunCheck(machine_, ScanApplications),
            (Rows{apps + "bad.exe\\shell\\edit\\command = C:\\gone\\edit.exe %1",
                  apps + "bad.exe\\shell\\open\\command = C:\\gone\\bad.exe",
                  apps + "empty.exe\\shell\\open\\command = ",
                  apps + "mixed.exe\\shell\\print\\command = C:\\gone\\print.exe"}));
}

}  // namespace
}  // namespace norvik::regscan
