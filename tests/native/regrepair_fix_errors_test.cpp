#include "regrepair/fix_errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"

namespace norvik::regrepair {
namespace {

using platform::RegFormat;
using platform::RegRoot;
using regscan::ProblemRow;

constexpr char kPlanted[] = R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Fix\K0\Inner]
"deep"=dword:00000001

[HKEY_CURRENT_USER\Software\Fix\K3]
"x"="y"

[HKEY_CURRENT_USER\Software\Fix\V]
"val1"="one"
"val2"="two"
"Nop-M1"="rot"
"kept"="unticked"

[HKEY_CURRENT_USER\Software\Fix\D]
@="default"
"other"="stays"

[HKEY_CURRENT_USER]
"rootval"="under the root"
)";

std::vector<std::string> Keys(const regscan::ProblemRows& rows) {
  std::vector<std::string> out;
  for (const auto& row : rows) out.push_back((row.ticked ? "x " : "  ") + row.registry_key);
  return out;
}

TEST(FixErrorsTest, EveryKindRemovesItsTargetBottomUpAndTheBackupBringsItBack) {
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  ASSERT_TRUE(platform::LoadRegText(p.registry, kPlanted).empty());
  machine.WriteFile("C:\\Links\\broken.lnk", "x");
  machine.MakeFolder("C:\\Links\\folder.lnk");
  machine.MakeFolder("C:\\Backup");
  ASSERT_TRUE(p.registry.Root(RegRoot::CurrentUser).Create("Software\\Fix\\Denied\\Locked"));
  const auto before = platform::sim::SaveRegText(machine.registry(), RegFormat::Version5);
  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::CurrentUser, "Software\\Fix\\Denied\\Locked", true));

  const std::string fix = "HKEY_CURRENT_USER\\Software\\Fix";
  regscan::ProblemRows rows = {
      {true, "p", "", fix + "\\K0", regscan::kFixKey},
      {true, "p", "", fix + "\\V\\val1", regscan::kFixValuePath},
      {true, "p", "", "HKEY_CURRENT_USER\\rootval", regscan::kFixValuePath},
      {true, "p", "val2", fix + "\\V", regscan::kFixNamedValue},
      {true, "p", "K3", fix, regscan::kFixSubKey},
      {true, "p", "target", "C:\\Links\\broken.lnk", regscan::kFixShortcut},
      {true, "p", "", fix + "\\D", regscan::kFixDefaultValue},
      {true, "p", "Abc-Z1", fix + "\\V", regscan::kFixRot13Value},
      {true, "p", "", fix + "\\Gone", regscan::kFixKey},             // no longer there: leaves
      {true, "p", "", fix + "\\V", 9},                               // unknown kind: leaves
      {true, "p", "", "NoBackslash", regscan::kFixKey},              // passed over
      {false, "p", "kept", fix + "\\V", regscan::kFixNamedValue},    // not ticked
      {true, "p", "", fix + "\\Denied", regscan::kFixKey},           // access denied below
      {true, "p", "t", "C:\\Links\\folder.lnk", regscan::kFixShortcut},  // a folder is never taken
      {true, "p", "", "HKLM\\Software\\Fix", regscan::kFixKey},      // short root: nothing done
  };
  BackedUpDeletes deletes(p.registry, p.files, "C:\\Backup\\run.reg");
  const FixSummary summary = FixTickedRows(rows, deletes, p.files);

  EXPECT_EQ(summary.removed, 11u);
  EXPECT_EQ(summary.not_fixed, 2u);
  EXPECT_FALSE(summary.unwritable_backup);
  EXPECT_EQ(Keys(rows), (std::vector<std::string>{"x NoBackslash", "  " + fix + "\\V", "  " + fix + "\\Denied",
                                                  "  C:\\Links\\folder.lnk"}));
  const platform::RegKey fixed = p.registry.Root(RegRoot::CurrentUser).Open("Software\\Fix").value();
  EXPECT_EQ(fixed.SubKeyNames().value(), (std::vector<std::string>{"D", "Denied", "V"}));
  EXPECT_EQ(fixed.Open("V").value().ValueNames().value(), std::vector<std::string>{"kept"});
  EXPECT_EQ(fixed.Open("D").value().ValueNames().value(), std::vector<std::string>{"other"});
  EXPECT_FALSE(p.registry.Root(RegRoot::CurrentUser).HasValue("rootval"));
  EXPECT_FALSE(machine.ReadFile("C:\\Links\\broken.lnk"));

  // One file, in the order of the walk: from the bottom of the list up.
  const std::string backup = machine.ReadFile("C:\\Backup\\run.reg").value();
  EXPECT_TRUE(backup.starts_with("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Fix\\Denied]\r\n"
                                 "\r\n[HKEY_CURRENT_USER\\Software\\Fix\\Denied\\Locked]\r\n"
                                 "\r\n[HKEY_CURRENT_USER\\Software\\Fix\\V]\r\n\"Nop-M1\"=\"rot\"\r\n"))
      << backup;
  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::CurrentUser, "Software\\Fix\\Denied\\Locked", false));
  EXPECT_TRUE(platform::LoadRegText(p.registry, backup).empty());
  machine.WriteFile("C:\\Links\\broken.lnk", "x");  // files have no registry backup
  EXPECT_EQ(platform::sim::SaveRegText(machine.registry(), RegFormat::Version5), before);
}

TEST(FixErrorsTest, AnUnwritableBackupStopsAtItsRow) {
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  ASSERT_TRUE(platform::LoadRegText(p.registry, kPlanted).empty());
  machine.MakeFolder("C:\\Backup");
  regscan::ProblemRows rows = {
      {true, "p", "", "HKEY_CURRENT_USER\\Software\\Fix\\K0", regscan::kFixKey},
      {true, "p", "val2", "HKEY_CURRENT_USER\\Software\\Fix\\V", regscan::kFixNamedValue},
      {true, "p", "", "HKEY_CURRENT_USER\\Software\\Fix\\Gone", regscan::kFixKey},
  };
  machine.WriteFile("C:\\Backup\\run.reg", "REGEDIT4\r\n");
  ASSERT_TRUE(p.files.SetAttributes("C:\\Backup\\run.reg", platform::file_attr::kReadOnly));
  BackedUpDeletes deletes(p.registry, p.files, "C:\\Backup\\run.reg");
  const FixSummary summary = FixTickedRows(rows, deletes, p.files);
  EXPECT_EQ(summary.unwritable_backup, "C:\\Backup\\run.reg");
  EXPECT_EQ(summary.removed, 1u);  // the missing key below needed no backup
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_TRUE(p.registry.Root(RegRoot::CurrentUser).Open("Software\\Fix\\V").value().HasValue("val2"));
  EXPECT_TRUE(p.registry.Root(RegRoot::CurrentUser).Open("Software\\Fix\\K0"));
}

TEST(FixErrorsTest, FolderPaths) {
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  EXPECT_TRUE(CreateFolderPath(p.files, "C:\\a\\b\\c\\"));
  EXPECT_TRUE(FolderExists(p.files, "C:\\a\\b\\c"));
  machine.WriteFile("C:\\file", "x");
  EXPECT_FALSE(CreateFolderPath(p.files, "C:\\file\\sub"));
  EXPECT_FALSE(CreateFolderPath(p.files, "Q:\\nodrive"));
  EXPECT_FALSE(FolderExists(p.files, "C:\\file"));
}

}  // namespace
}  // namespace norvik::regrepair
