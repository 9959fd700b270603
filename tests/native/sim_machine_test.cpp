// What only the simulated Windows offers: its set-up calls (files in use, links, locked
// keys) and the rules it had to choose itself. (Drives without a medium: the scan's
// FileReferenceTest and ListChecksTest.) Shared behaviour
// is in the conformance suite; scenarios kept as data are loaded by the tests that use
// them (regscan_list_checks_test).

#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "platform/reg_text.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ini_files.h"
#include "platform/sim/sim_registry.h"

namespace norvik::platform::sim {
namespace {

using namespace file_attr;
using Listing = std::set<std::string>;

Listing Names(Files& files, const std::string& pattern) {
  auto start = files.FindFirst(pattern);
  if (!start) return {};
  Listing names{start->first.name};
  for (auto next = start->rest.Next(); next; next = start->rest.Next()) names.insert(next->name);
  return names;
}

class SimMachineTest : public ::testing::Test {
 protected:
  SimMachine machine;
  SimFiles& files = machine.files();
};

// Paths a real system would take relative to a current folder or a share; names holding
// characters no name may hold.
TEST_F(SimMachineTest, PathsThatAreNotDriveAbsoluteOrHoldBadCharacters) {
  machine.WriteFile("C:\\Dir\\File.txt", "x");
  EXPECT_TRUE(files.GetAttributes("c:/DIR\\..\\dir\\.\\file.TXT"));
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"", kErrPathNotFound},          {"C:", kErrPathNotFound},          {"C:dir", kErrPathNotFound},
      {"dir\\file.txt", kErrPathNotFound}, {"\\\\server\\share\\x", kErrPathNotFound},
      {"C:\\dir\\a|b", kErrInvalidName}, {"C:\\d?r\\file.txt", kErrInvalidName}, {"C:\\dir\\a:b", kErrInvalidName}};
  for (const auto& [path, code] : cases) EXPECT_EQ(files.GetAttributes(path).code(), code) << path;
  EXPECT_EQ(files.FindFirst("C:\\dir\\file.txt\\*").code(), kErrInvalidName);  // as Wine answers
  EXPECT_THROW(machine.HostPath("relative\\x"), std::invalid_argument);
}

TEST_F(SimMachineTest, FileInUseByAnotherProgram) {
  for (const char* log : {"C:\\logs\\held.log", "C:\\logs\\free.log"}) machine.WriteFile(log, "abc");
  machine.SetFileInUse("C:\\LOGS\\held.log", true);
  EXPECT_EQ(files.Open("C:\\logs\\held.log", FileAccess::Read, 0, FileDisposition::OpenExisting).code(),
            kErrSharingViolation);
  EXPECT_TRUE(files.Open("C:\\logs\\held.log", FileAccess::Read, file_share::kAll, FileDisposition::OpenExisting));
  // A tree delete removes what it can and reports the held file.
  EXPECT_EQ(files.ShellDelete("C:\\logs").code(), kErrSharingViolation);
  EXPECT_EQ(Names(files, "C:\\logs\\*.log"), (Listing{"held.log"}));
  machine.SetFileInUse("C:\\logs\\held.log", false);
  EXPECT_TRUE(files.ShellDelete("C:\\logs"));
}

TEST_F(SimMachineTest, LinksAreToldApartAndNeverDeleted) {
  machine.WriteFile("C:\\target\\file.txt", "x");
  machine.MakeFolder("C:\\walk\\deeper");
  machine.CreateLink("C:\\walk\\junction", "C:\\target");
  machine.CreateLink("C:\\walk\\file-link.txt", "C:\\target\\file.txt");
  machine.CreateLink("C:\\walk\\deeper\\again", "C:\\target");

  EXPECT_EQ(files.FindFirst("C:\\walk\\junction")->first.attributes, kDirectory | kReparsePoint);
  // As under Wine, a link to a file lists as that file; only IsLink tells.
  EXPECT_EQ(files.GetAttributes("C:\\walk\\file-link.txt").value_or(0), kArchive);
  EXPECT_TRUE(files.IsLink("C:\\walk\\file-link.txt") && files.IsLink("C:\\walk\\junction"));
  EXPECT_FALSE(files.IsLink("C:\\target\\file.txt") || files.IsLink("C:\\walk\\missing"));
  EXPECT_EQ(Names(files, "C:\\walk\\junction\\*.txt"), (Listing{"file.txt"}));

  // Wine deletes what a link points to, so every delete refuses the link, or a tree holding one.
  for (const char* link : {"C:\\walk\\junction", "C:\\walk\\file-link.txt"}) {
    EXPECT_EQ(std::tuple(files.DeleteFile(link).code(), files.RemoveDirectory(link).code(), files.ShellDelete(link).code()),
              std::tuple(kErrAccessDenied, kErrAccessDenied, kErrAccessDenied)) << link;
  }
  EXPECT_EQ(files.ShellDelete("C:\\walk").code(), kErrAccessDenied);
  EXPECT_EQ(Names(files, "C:\\walk\\deeper\\*"), (Listing{".", "..", "again"}));
  EXPECT_EQ(Names(files, "C:\\target\\*.txt"), (Listing{"file.txt"}));
}

TEST_F(SimMachineTest, RulesChosenWhereWineCannotShowWindows) {
  // Wine runs our tests as root, which may write read-only files; Windows refuses.
  machine.WriteFile("C:\\ro.ini", "[A]\r\nx=1\r\n");
  ASSERT_TRUE(files.SetAttributes("C:\\ro.ini", kReadOnly));
  EXPECT_EQ(std::tuple(files.Open("C:\\ro.ini", FileAccess::Write, 0, FileDisposition::OpenExisting).code(),
                       machine.ini().WriteString("C:\\ro.ini", "A", "x", "2").code()),
            std::tuple(kErrAccessDenied, kErrAccessDenied));
  EXPECT_TRUE(machine.ini().WriteString("C:\\ro.ini", "a", "X", " 1 "));  // no change: nothing written

  // A UTF-8 file keeps its mark and its encoding through a write.
  machine.WriteFile("C:\\bom.ini", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\n");
  ASSERT_TRUE(machine.ini().WriteString("C:\\bom.ini", "S", "j", "☃"));
  EXPECT_EQ(machine.ini().GetString("C:\\bom.ini", "S", "k", "d"), "é");
  EXPECT_EQ(machine.ReadFile("C:\\bom.ini"), "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\r\nj=\xE2\x98\x83\r\n");
}

// The simulated registry's own switch for keys that cannot be opened, and the
// configuration view the conformance suite cannot reach on both backends.
TEST(SimRegistryTest, AccessDeniedKeysAndTheCurrentConfigView) {
  SimRegistry reg;
  RegKey user = reg.Root(RegRoot::CurrentUser);
  ASSERT_TRUE(user.Create("Software\\Locked\\Inner")->Set("v", RegValue::Dword(1)));
  ASSERT_TRUE(user.Open("Software\\Locked")->Set("hidden", RegValue::Dword(2)));
  ASSERT_TRUE(reg.SetAccessDenied(RegRoot::CurrentUser, "Software\\Locked", true));
  // Passing through a locked key to delete one below it is allowed.
  EXPECT_EQ((std::vector{user.Open("Software\\Locked").code(), user.DeleteSubKey("Software\\Locked\\Inner").code(),
                         user.DeleteSubKey("Software\\Locked").code()}),
            (std::vector<std::uint32_t>{kErrAccessDenied, kOk, kErrAccessDenied}));
  // An export shows the key it cannot open by name only.
  const std::string text = ExportRegKey(reg, RegRoot::CurrentUser, "Software", RegFormat::Regedit4).value();
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Locked]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("hidden"), std::string::npos);

  ASSERT_TRUE(reg.Root(RegRoot::CurrentConfig).Create("Seen")->Set("v", RegValue::Dword(1)));
  EXPECT_TRUE(reg.OpenKey(RegRoot::LocalMachine, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Seen"));
}

}  // namespace
}  // namespace norvik::platform::sim
