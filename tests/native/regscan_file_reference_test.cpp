#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system.h"
#include "regscan/file_reference.h"

namespace norvik::regscan {
namespace {

using platform::DriveType;
using platform::sim::SimMachine;

struct Case {
  const char* text;
  bool missing;
  const char* ext = "";
  bool folder_counts = true;
  bool redirected = false;      // read as a redirected 32-bit program would
  bool removable_media = true;  // IncludeRemoveMedia
};

// C: holds the files below; D: is a CD-ROM; A: is a floppy drive without a disk.
class FileReferenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"C:\\Tools\\a b.exe", "C:\\Tools\\app.exe", "C:\\Tools\\tool.com", "C:\\Tools\\run.bat",
                             "C:\\Tools\\caf\xc3\xa9.exe", "C:\\Tools\\note.txt", "C:\\windows\\notepad.exe",
                             "C:\\windows\\system32\\present.dll", "D:\\setup.exe", "C:\\Program Files\\App\\app.exe"})
      machine_.WriteFile(file, "x");
    machine_.MakeFolder("C:\\Dir");
    machine_.MapDrive('D', DriveType::CdRom);
    machine_.MapDrive('A', DriveType::Removable, false);
    machine_.system().SetEnvironment("SystemRoot", "C:\\windows");
    machine_.system().SetEnvironment("NotAFolder", "C:\\Tools\\app.exe");
  }

  bool Missing(const Case& c) {
    FileCheck check{machine_.files(), machine_.system(), BuildScanDrives(machine_.files(), c.removable_media),
                    c.removable_media, false, false};
    return IsMissingFileReference(check, c.text, c.ext, c.folder_counts, c.redirected);
  }

  SimMachine machine_;
};

TEST_F(FileReferenceTest, JudgesRegistryTextsAsPathsOnScannedDrives) {
  const Case cases[] = {
      // Texts that are never judged.
      {"", false}, {"C:\\gone?.exe", false}, {"C:\\HPLaser\\drv.exe", false}, {"c:\\tools\\hpgone.exe", false},
      {"\"", false}, {"c:\\a.txt;d:\\b.txt", false}, {"\\\\server\\share\\x.exe", false},
      {"%UNDEFINED%\\x.exe", false}, {"%NotAFolder%\\x.exe", false}, {"%SystemRoot", false},
      {"D:\\gone.exe", false},  // a CD-ROM is not scanned with removable media ignored
      {"relative\\gone.exe", false}, {"C:gone.exe", false},
      // Quotes and arguments.
      {"\"C:\\Tools\\a b.exe\" -x", false}, {"\"C:\\Tools\\gone b.exe\" -x", true},
      {"\"C:\\Tools\\tool b.exe\" -x", false},  // the blank ends the path: tool.com
      {"C:\\Tools\\app -x", false}, {"C:\\Tools\\app.exe /min", false}, {"C:\\Tools\\gone.exe /min", true},
      {"C:\\Tools\\tool /s", false}, {"C:\\Tools\\run,1", false}, {"C:\\Tools\\gone.exe;;", true},
      {"C:\\Tools\\caf\xc3\xa9.exe", false}, {"C:\\PROGRA~1\\App\\app.exe", false},
      {"C:\\PROGRA~1\\App\\gone.exe", true},
      // A folder with a trailing backslash, and folders as arguments.
      {"C:\\Dir\\", false}, {"C:\\NoDir\\", true}, {"C:\\Dir /x", false}, {"C:\\Dir /x", true, "", false},
      // The folder part itself holds arguments: every separator is tried from the start.
      {"C:\\Tools\\app.exe -log c\\x", false}, {"C:\\Gone\\app.exe -log c\\x", true},
      {"C:\\Tools\\app -log c\\x", false},
      // A leading variable, expanded only to an existing folder.
      {"%SystemRoot%\\notepad.exe", false}, {"%systemroot%\\gone.exe", true},
      {"\"%SystemRoot%\\notepad.exe\" /p", false},
      // A required extension ends the path and must be present.
      {"C:\\Tools\\app.exe,1", false, ".exe"}, {"C:\\Tools\\GONE.EXE,1", true, ".exe"},
      {"C:\\Tools\\note.txt", false, ".dll"}, {"rundll32 C:\\gone.dll", false, ".dll"},
      {"C:\\Tools\\app.exe", false, ".exe", false},
      // 64-bit texts are really checked; 32-bit ones naming redirected folders are not.
      {"C:\\windows\\system32\\present.dll", false}, {"C:\\Windows\\System32\\gone.dll", true},
      {"C:\\Windows\\System32\\gone.dll", false, "", true, true}, {"C:\\Program Files\\Gone\\x.exe", true},
      {"C:\\Program Files\\Gone\\x.exe", false, "", true, true},
      {"%ProgramFiles%\\Gone\\x.exe", false, "", true, true},
      {"C:\\Windows\\SysWOW64\\gone.dll", false, "", true, true}, {"C:\\Tools\\gone.exe", true, "", true, true},
      // Removable media: off, A: without a disk is missing untouched; D: is scanned.
      {"A:\\setup.exe", false}, {"A:\\setup.exe", true, "", true, false, false},
      {"a:\\setup.exe", true, ".exe", true, false, false}, {"D:\\setup.exe", false, "", true, false, false},
      {"D:\\gone.exe", true, "", true, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Missing(c), c.missing) << c.text << " ext=" << c.ext << " folders=" << c.folder_counts
                                     << " redirected=" << c.redirected << " removable=" << c.removable_media;
  }
  EXPECT_FALSE(machine_.files().IsVolumeReady("A:\\"));
}

TEST_F(FileReferenceTest, ScanDrivesFollowTheRemovableMediaOption) {
  EXPECT_EQ(BuildScanDrives(machine_.files(), true), "c");
  EXPECT_EQ(BuildScanDrives(machine_.files(), false), "abcdefghijklmnopqrstuvwxyz");
  const FloppyReadiness floppies = ProbeFloppies(machine_.files());
  EXPECT_FALSE(floppies.a || floppies.b);
}

}  // namespace
}  // namespace norvik::regscan
