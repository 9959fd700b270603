#pragma once
// A simulated Windows machine for tests: a registry in memory, drive letters over real
// folders in a temporary directory, and settable facts. A test builds one, sets what the
// scenario needs and hands machine.platform() to the code under test.
//
// Defaults (a Windows 7 profile, as Wine presents it): version 6.1 build 7601 NT, not
// WOW64, an administrator holding the backup, restore and shut-down privileges, drive C:
// fixed (\Device\HarddiskVolume1), user "user", special folders and environment as on
// Windows 7 (C:\users\user\..., C:\windows, C:\windows\system32, temp
// C:\users\user\Temp\), program file C:\Norvik\norvik.exe, HKLM's ProgramFilesDir
// C:\Program Files, and the registry editor as the one program that can be started
// ("Regedit /s "file"" imports, "Regedit /e "file"" exports everything). The default
// profile's folders, the temp folder, the program's folder and C:\Program Files exist on
// the simulated C: drive.
//
// A scenario kept as data (LoadFromFolder) is a folder with any of:
//   registry.reg       loaded into the registry (either .reg form)
//   drives/<L>/...     copied onto drive L: (mapped as a fixed drive when new); names
//                      merge with existing folders ignoring letter case
//   machine.ini        the facts, all keys optional:
//     [Version]        Major=6  Minor=1  Build=7601  Platform=2 (1 = 95 family, 2 = NT)
//                      ServicePack=Service Pack 1
//     [System]         User=user (read first: it names the profile folders)
//                      Wow64=0|1|none (none: IsWow64Process is missing)  Admin=0|1
//                      Module=C:\Norvik\norvik.exe  Sid=S-1-5-21-0-0-0-1000 (the user's)
//                      Privileges=SeBackupPrivilege,SeRestorePrivilege (the held set)
//     [Folders]        Temp=C:\...\ (with its backslash)  Windows=C:\windows  System=...
//     [Environment]    NAME=value, one line per variable (an empty value removes it)
//     [SpecialFolders] <csidl number>=C:\path (the folder is created)
//     [Drives]         <letter>=fixed|removable|cdrom|remote|ramdisk[,nomedia][,\Device\...]
//     [InUse]          any name=C:\path of a file another program holds open
//     [Links]          C:\link=C:\target (a junction or symbolic link)
//     [Shortcuts]      C:\x.lnk=C:\target (see WriteShortcut)
// Broken scenario data (a missing folder, an unreadable registry.reg, an unknown drive
// type) throws std::runtime_error naming the problem.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace norvik::platform::sim {

class SimRegistry;
class SimFiles;
class SimIniFiles;
class SimShell;
class SimSystem;

class SimMachine {
 public:
  // Creates a fresh temporary directory for the drives (under $NORVIK_SIM_TMPDIR, else
  // /dev/shm, else the system's temporary folder); removed by the destructor.
  explicit SimMachine(const std::string& user_name = "user");
  // Loads a scenario kept as data (see above).
  static std::unique_ptr<SimMachine> LoadFromFolder(const std::filesystem::path& folder);
  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  Platform platform();

  SimRegistry& registry();
  SimFiles& files();
  SimIniFiles& ini();
  SimShell& shell();
  SimSystem& system();

  const std::string& UserName() const;

  // The host folder that stands for a Windows path (which need not exist yet).
  // Throws std::invalid_argument for a path that is not drive-absolute.
  std::filesystem::path HostPath(std::string_view windows_path);
  // Test set-up helpers on the simulated drives: parents are created as needed.
  void WriteFile(std::string_view windows_path, std::string_view contents);
  std::optional<std::string> ReadFile(std::string_view windows_path);
  void MakeFolder(std::string_view windows_path);

  // Shortcuts for the set-up calls of the parts (files(), shell() ...).
  void MapDrive(char letter, DriveType type, bool has_medium = true);
  void SetDosDevice(char letter, std::string device);
  void SetFileInUse(std::string_view windows_path, bool in_use);
  // A junction or symbolic link at `link` to `target`; throws when it cannot be made.
  void CreateLink(std::string_view link, std::string_view target);
  // A shortcut file that ResolveShortcut reads as pointing to `target`.
  void WriteShortcut(std::string_view lnk_path, std::string_view target);
  // Sets a special folder and, with `create`, makes the folder.
  void SetSpecialFolder(int csidl, std::string_view path, bool create = true);
  // Paths given to DeleteOnReboot, in call order.
  std::vector<std::string> RebootDeletes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace norvik::platform::sim
