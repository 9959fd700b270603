#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fakes/scan_rows.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::sim::SimMachine;
using Rows = std::vector<std::string>;

// The rows with their problem's text.
struct RowSink : testing::RecordingSink {
  void AddRow(ProblemRow row) override {
    rows.push_back(row.problem + ": " + std::to_string(row.fix_kind) + " " + row.registry_key + " = " + row.data);
  }
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

  std::unique_ptr<SimMachine> machine_ =
      SimMachine::LoadFromFolder(std::filesystem::path(NORVIK_TEST_DATA) / "registry_sections");
};

// Rows written short: "LM\" and "CU\" stand for the roots, "CV\" for the Windows key of
// Software, "WOW\" for the same key of the 32-bit view, "FONTS" for the NT fonts key and
// "SND\" for the sound schemes' applications.
std::string Expand(std::string row) {
  const std::pair<std::string, std::string> shorthands[] = {
      {"LM\\", "HKEY_LOCAL_MACHINE\\"}, {"CU\\", "HKEY_CURRENT_USER\\"},
      {"WOW\\", "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"},
      {"CV\\", "Software\\Microsoft\\Windows\\CurrentVersion\\"},
      {"FONTS", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"}, {"SND\\", "AppEvents\\Schemes\\Apps\\"}};
  for (const auto& [shorthand, text] : shorthands) {
    if (const auto at = row.find(shorthand); at != std::string::npos) row.replace(at, shorthand.size(), text);
  }
  return row;
}

TEST_F(ListChecksTest, EverySectionReportsItsPlantedProblemsAndNoLookAlike) {
  const struct {
    int code;
    std::string problem;
    Rows rows;
  } sections[] = {
      {8, "Software Locations Issue",  // the 32-bit view's Program Files texts are not judged
       {"1 LM\\CV\\App Paths\\gone.exe\\ = C:\\Apps\\gone.exe", "1 LM\\WOW\\App Paths\\old32.exe\\ = C:\\Apps\\old32.exe"}},
      {7, "Non-existent Shared Dlls",  // a 32-bit program's System32 is another folder than ours
       {"2 LM\\CV\\SharedDlls = C:\\Apps\\gone.dll", "2 LM\\CV\\SharedDlls = C:\\Apps\\tool.exe",
        "2 LM\\CV\\SharedDlls = C:\\windows\\system32\\gone64.dll", "2 LM\\CV\\SharedDlls = D:\\cd\\x.dll",
        "2 LM\\WOW\\SharedDlls = C:\\Apps\\gone32.dll"}},
      {12, "Invalid Windows Fonts",
       {"1 LM\\FONTS\\Gone = C:\\Fonts2\\gone.ttf", "2 LM\\FONTS = C:\\Fonts2\\named.ttf"}},
      {13, "Invalid Help Files Item",
       {"1 LM\\Software\\Microsoft\\Windows\\Help\\gone.hlp = C:\\Help\\gone.hlp",
        "1 LM\\Software\\Microsoft\\Windows\\Html Help\\gone.chm = C:\\Help\\gone.chm"}},
      {14, "Non-existent Startup Programs",
       {"0 LM\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\Gone = C:\\Apps\\gone.exe",
        "1 CU\\CV\\Run\\Empty = ", "1 CU\\CV\\Run\\Gone = C:\\Apps\\gone.exe -x", "1 CU\\CV\\Run\\Quotes = \"\"",
        "1 CU\\CV\\RunOnce\\Once = C:\\Apps\\once.exe", "1 LM\\CV\\Run\\Machine = C:\\Apps\\machine.exe",
        "1 LM\\WOW\\Run\\Gone32 = C:\\Apps\\gone32.exe"}},
      {17, "Windows Service Issue",
       {"1 LM\\SYSTEM\\CurrentControlSet\\Services\\GoneSvc\\ImagePath = C:\\Apps\\gonesvc.exe -k x"}},
      {21, "Installer Refrence Issue",  // the cache serves both uninstall lists
       {"1 LM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool\\DisplayIcon = C:\\Apps\\gone.exe,0",
        "1 LM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App32\\UninstallString = "
        "C:\\Apps\\gone32.exe",
        "2 LM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders = C:\\GoneFolder\\",
        "3 LM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache = Removed"}},
      {15, "Invalid Add/Remove Programs",  // a lower-case "uninstallstring" still lists its program
       {"3 LM\\CV\\Uninstall = MyApp", "3 LM\\WOW\\Uninstall = Old32"}},
      {9, "Old Start Menu Key", {"3 CU\\CV\\Explorer\\MenuOrder\\Start Menu2\\Programs = Removed App",
                                 "3 CU\\CV\\Explorer\\MenuOrder\\Start Menu\\&Programs = Old"}},
      {18, "Missing ShortCut reference",  // Recent lies inside the application data folder: walked once
       {"4 C:\\users\\Public\\Desktop\\Sub\\deep.LNK = C:\\Apps\\deeper.exe",
        "4 C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\report.lnk = C:\\Docs\\report.doc",
        "4 C:\\users\\user\\Desktop\\gone.lnk = C:\\Apps\\gone.exe"}},
      {19, "Non-existent Sound File",
       {"5 CU\\SND\\.Default\\SystemAsterisk\\.Current = C:\\Media\\gone.wav",
        "5 CU\\SND\\.Default\\SystemHand\\.current = %SystemRoot%\\media\\gone.wav",
        "5 CU\\SND\\Explorer\\Navigating\\Utopia0 = C:\\Media\\utopia.wav"}},
  };
  for (const auto& section : sections) {
    Rows expected;
    for (const std::string& row : section.rows) expected.push_back(section.problem + ": " + Expand(row));
    std::ranges::sort(expected);
    EXPECT_EQ(Scan(section.code), expected) << "section " << section.code;
  }
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
