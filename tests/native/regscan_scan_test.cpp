#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stop_token>
#include <string>
#include <vector>

#include "fakes/scan_rows.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "regscan/hive_scan.h"
#include "regscan/scan_task.h"
#include "regscan/sections.h"

namespace norvik::regscan {
namespace {

using platform::sim::SimMachine;
using Events = std::vector<std::string>;
using testing::Plant;
using testing::RecordingSink;

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.WriteFile("C:\\Tools\\app.exe", "x");
    machine_.MapDrive('D', platform::DriveType::CdRom);
    const std::string cu = "HKEY_CURRENT_USER\\Software\\", lm = "HKEY_LOCAL_MACHINE\\Software\\",
                      wow = lm + "Wow6432Node\\", run = "Microsoft\\Windows\\CurrentVersion\\Run";
    Plant(machine_, {cu + "Acme|Present=C:\\Tools\\app.exe /min", cu + "Acme|Gone=C:\\Tools\\gone.exe",
                     cu + "Acme|Count=#1", cu + "Acme|C:\\Tools\\named.exe=C:\\Tools\\named.exe",
                     cu + run + "|Startup=C:\\gone\\run.exe", lm + "Acme|Sys=C:\\Windows\\System32\\gone64.dll",
                     lm + run + "|Startup=C:\\gone\\run.exe",
                     lm + "Microsoft\\Speech\\Voices\\Tokens\\Voice|Path=C:\\gone\\voice.dll",
                     wow + "Acme|Sys=C:\\Windows\\System32\\gone32.dll", wow + "Acme|Gone=C:\\gone\\wow.exe",
                     wow + run + "|Startup=C:\\gone\\run32.exe", wow + "Wow6432Node\\Loop|Gone=C:\\gone\\loop.exe",
                     "HKEY_LOCAL_MACHINE\\System\\Acme|Gone=C:\\gone\\system.exe",
                     lm + "Classes\\.acme|@=C:\\gone\\class.exe",
                     "HKEY_USERS\\S-1-5-21-1\\Software\\Acme|Gone=D:\\on\\cdrom.exe",
                     "HKEY_USERS\\S-1-5-21-1\\Software\\Acme|Also=C:\\gone\\users.exe"});
    auto acme = machine_.registry().Root(platform::RegRoot::CurrentUser).Open("Software\\Acme");
    ASSERT_TRUE(acme && acme->Set("Expand", platform::RegValue::ExpandString("%SystemRoot%\\gone.exe")));
  }

  Events Scan(std::vector<int> codes, std::uint8_t os_code = 12) {
    TScanTaskThread worker(machine_.platform(), sink_, ScanSetup{std::move(codes), true, {}, os_code},
                           sink_.stop.get_token());
    worker.Execute();
    return sink_.events;
  }

  SimMachine machine_;
  RecordingSink sink_;
};

TEST_F(ScanTest, HiveSectionsReportExactlyTheMissingReferences) {
  const std::string cu = "HKEY_CURRENT_USER\\Software\\Acme", lm = "row:1 HKEY_LOCAL_MACHINE\\Software\\",
                    user = "HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\";
  const Events expected = {
      "title:", "section", "section", "title:Scanning: HKEY_CLASSES_ROOT",
      "row:1 HKEY_CLASSES_ROOT\\.acme\\ = C:\\gone\\class.exe", "section", "title:Scanning: HKEY_CURRENT_USER",
      "row:2 " + cu + " = C:\\Tools\\named.exe", "row:1 " + cu + "\\Expand = %SystemRoot%\\gone.exe",
      "row:1 " + cu + "\\Gone = C:\\Tools\\gone.exe", "section", "title:Scanning: HKEY_LOCAL_MACHINE",
      lm + "Acme\\Sys = C:\\Windows\\System32\\gone64.dll", lm + "Classes\\.acme\\ = C:\\gone\\class.exe",
      lm + "Microsoft\\Speech\\Voices\\Tokens\\Voice\\Path = C:\\gone\\voice.dll",
      lm + "Wow6432Node\\Acme\\Gone = C:\\gone\\wow.exe", "section",
      "title:Scanning: HKEY_USERS",  // the user's own hive again, with no keys left out
      "row:2 " + user + "Acme = C:\\Tools\\named.exe", "row:1 " + user + "Acme\\Expand = %SystemRoot%\\gone.exe",
      "row:1 " + user + "Acme\\Gone = C:\\Tools\\gone.exe",
      "row:1 " + user + "Microsoft\\Windows\\CurrentVersion\\Run\\Startup = C:\\gone\\run.exe",
      "row:1 HKEY_USERS\\S-1-5-21-1\\Software\\Acme\\Also = C:\\gone\\users.exe", "section",
      "title:Scanning: Shared DLLs", "section",
      "section",  // Applications: no title of its own
      "title:Optimizing...Do not close the dialog.", "done",
  };
  EXPECT_EQ(Scan({1, 2, 3, 4, 5, 6, 7, 22}), expected);
  EXPECT_GT(sink_.keys_shown, 10);
}

TEST_F(ScanTest, VistaSkipsItsOwnKeysAndAStopEndsTheScanAtOnce) {
  Events vista_rows;
  std::ranges::copy_if(Scan({5}, 11), std::back_inserter(vista_rows), [](const std::string& e) { return e.starts_with("row:"); });
  EXPECT_EQ(vista_rows, (Events{"row:1 HKEY_LOCAL_MACHINE\\Software\\Acme\\Sys = C:\\Windows\\System32\\gone64.dll",
                                "row:1 HKEY_LOCAL_MACHINE\\Software\\Classes\\.acme\\ = C:\\gone\\class.exe",
                                "row:1 HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Acme\\Gone = C:\\gone\\wow.exe"}))
      << "no voice row";

  sink_.events.clear();
  sink_.stop_after_rows = 2;
  const Events stopped = Scan({3, 4, 5, 6});
  const Events expected = {"title:", "title:Scanning: HKEY_CLASSES_ROOT",
                           "row:1 HKEY_CLASSES_ROOT\\.acme\\ = C:\\gone\\class.exe", "section",
                           "title:Scanning: HKEY_CURRENT_USER",
                           "row:2 HKEY_CURRENT_USER\\Software\\Acme = C:\\Tools\\named.exe"};
  EXPECT_EQ(stopped, expected) << "no row, section or end report after the stop";
}

TEST(ScanSectionsTest, HeavySectionsSlowTheBar) {
  const struct {
    std::vector<int> codes;
    int step;
  } steps[] = {{{}, 10}, {{7, 8}, 10}, {{1, 2, 3}, 5}, {{3, 25}, 4}, {{3, 4, 5}, 3}, {{1, 2, 3, 4, 5, 6}, 2},
               {{3, 4, 5, 6, 25}, 1}};
  for (const auto& s : steps) EXPECT_EQ(ProgressStep(s.codes), s.step) << s.codes.size();
}

}  // namespace
}  // namespace norvik::regscan
