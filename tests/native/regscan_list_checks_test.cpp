#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::sim::SimMachine;
using Rows = std::vector<std::string>;

class RowSink : public ScanSink {
 public:
  void SetTitle(std::string) override {}
  void ShowKey(std::string) override {}
  void AddRow(ProblemRow row) override {
    rows.push_back(row.problem + ": " + std::to_string(row.fix_kind) + " " + row.registry_key + " = " + row.data);
  }
  void SectionDone() override {}
  void Done() override {}
  Rows rows;
};

// One machine holds every section's planted problems and look-alikes (tests/data).
class ListChecksTest : public ::testing::Test {
 protected:
  Rows Scan(int code, bool include_remove_media = true) {
    RowSink sink;
    TScanTaskThread worker(machine_->platform(), sink, ScanSetup{{code}, include_remove_media, {}, 12});
    worker.Execute();
    std::ranges::sort(sink.rows);
    return sink.rows;
  }
  static Rows Sorted(Rows rows) {
    std::ranges::sort(rows);
    return rows;
  }

  std::unique_ptr<SimMachine> machine_ =
      SimMachine::LoadFromFolder(std::filesystem::path(NORVIK_TEST_DATA) / "registry_sections");
};

const std::string kLm = "HKEY_LOCAL_MACHINE\\";
const std::string kCu = "HKEY_CURRENT_USER\\";
const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::string kWowCv = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";

TEST_F(ListChecksTest, EverySectionReportsItsPlantedProblemsAndNoLookAlike) {
  const struct {
    int code;
    Rows rows;
  } sections[] = {
      {8,  // the 32-bit view's Program Files texts are not judged
       {"Software Locations Issue: 1 " + kLm + kCv + "App Paths\\gone.exe\\ = C:\\Apps\\gone.exe",
        "Software Locations Issue: 1 " + kLm + kWowCv + "App Paths\\old32.exe\\ = C:\\Apps\\old32.exe"}},
      {7,  // a 32-bit program's System32 is another folder than ours
       {"Non-existent Shared Dlls: 2 " + kLm + kCv + "SharedDlls = C:\\Apps\\gone.dll",
        "Non-existent Shared Dlls: 2 " + kLm + kCv + "SharedDlls = C:\\Apps\\tool.exe",
        "Non-existent Shared Dlls: 2 " + kLm + kCv + "SharedDlls = C:\\windows\\system32\\gone64.dll",
        "Non-existent Shared Dlls: 2 " + kLm + kCv + "SharedDlls = D:\\cd\\x.dll",
        "Non-existent Shared Dlls: 2 " + kLm + kWowCv + "SharedDlls = C:\\Apps\\gone32.dll"}},
      {12,
       {"Invalid Windows Fonts: 1 " + kLm +
            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\Gone = C:\\Fonts2\\gone.ttf",
        "Invalid Windows Fonts: 2 " + kLm +
            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts = C:\\Fonts2\\named.ttf"}},
      {13,
       {"Invalid Help Files Item: 1 " + kLm + "Software\\Microsoft\\Windows\\Help\\gone.hlp = C:\\Help\\gone.hlp",
        "Invalid Help Files Item: 1 " + kLm +
            "Software\\Microsoft\\Windows\\Html Help\\gone.chm = C:\\Help\\gone.chm"}},
      {14,
       {"Non-existent Startup Programs: 0 " + kLm +
            "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Gone = C:\\Apps\\gone.exe",
        "Non-existent Startup Programs: 1 " + kCu + kCv + "Run\\Empty = ",
        "Non-existent Startup Programs: 1 " + kCu + kCv + "Run\\Gone = C:\\Apps\\gone.exe -x",
        "Non-existent Startup Programs: 1 " + kCu + kCv + "Run\\Quotes = \"\"",
        "Non-existent Startup Programs: 1 " + kCu + kCv + "RunOnce\\Once = C:\\Apps\\once.exe",
        "Non-existent Startup Programs: 1 " + kLm + kCv + "Run\\Machine = C:\\Apps\\machine.exe",
        "Non-existent Startup Programs: 1 " + kLm + kWowCv + "Run\\Gone32 = C:\\Apps\\gone32.exe"}},
      {17,
       {"Windows Service Issue: 1 " + kLm +
        "SYSTEM\\CurrentControlSet\\Services\\GoneSvc\\ImagePath = C:\\Apps\\gonesvc.exe -k x"}},
      {21,  // the cache serves both uninstall lists
       {"Installer Refrence Issue: 1 " + kLm +
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool\\DisplayIcon = C:\\Apps\\gone.exe,0",
        "Installer Refrence Issue: 1 " + kLm + "SOFTWARE" + kWowCv.substr(8) + "Uninstall\\App32\\UninstallString = C:\\Apps\\gone32.exe",
        "Installer Refrence Issue: 2 " + kLm +
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders = C:\\GoneFolder\\",
        "Installer Refrence Issue: 3 " + kLm +
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache = Removed"}},
      {15,  // a lower-case "uninstallstring" still lists its program
       {"Invalid Add/Remove Programs: 3 " + kLm + kCv + "Uninstall = MyApp",
        "Invalid Add/Remove Programs: 3 " + kLm + kWowCv + "Uninstall = Old32"}},
      {9,
       {"Old Start Menu Key: 3 " + kCu + kCv + "Explorer\\MenuOrder\\Start Menu2\\Programs = Removed App",
        "Old Start Menu Key: 3 " + kCu + kCv + "Explorer\\MenuOrder\\Start Menu\\&Programs = Old"}},
      {18,  // Recent lies inside the application data folder and is walked once
       {"Missing ShortCut reference: 4 C:\\users\\Public\\Desktop\\Sub\\deep.LNK = C:\\Apps\\deeper.exe",
        "Missing ShortCut reference: 4 C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\report.lnk = "
        "C:\\Docs\\report.doc",
        "Missing ShortCut reference: 4 C:\\users\\user\\Desktop\\gone.lnk = C:\\Apps\\gone.exe"}},
      {19,
       {"Non-existent Sound File: 5 " + kCu +
            "AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk\\.Current = C:\\Media\\gone.wav",
        "Non-existent Sound File: 5 " + kCu +
            "AppEvents\\Schemes\\Apps\\.Default\\SystemHand\\.current = %SystemRoot%\\media\\gone.wav",
        "Non-existent Sound File: 5 " + kCu +
            "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\Utopia0 = C:\\Media\\utopia.wav"}},
  };
  for (const auto& section : sections) EXPECT_EQ(Scan(section.code), Sorted(section.rows)) << "section " << section.code;
}

TEST_F(ListChecksTest, FontsOfAnyNtVersionAndAnEmptyFloppy) {
  // Windows 10 has no version code of its own, yet keeps its fonts where every NT does.
  const Rows windows7 = Scan(12);
  machine_->system().SetVersion({10, 0, 19045, 2, ""});
  EXPECT_EQ(Scan(12), windows7);

  machine_->MapDrive('A', platform::DriveType::Removable, false);
  auto fonts = machine_->registry().Root(platform::RegRoot::LocalMachine).Open(
      "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
  ASSERT_TRUE(fonts && fonts->Set("Floppy", platform::RegValue::String("A:\\hp\\font.ttf")));
  EXPECT_EQ(Scan(12).size(), windows7.size()) << "removable drives left out";
  EXPECT_EQ(Scan(12, false).size(), windows7.size() + 1) << "an empty floppy is not even touched";
}

}  // namespace
}  // namespace norvik::regscan
