#pragma once
// Simulated drives: each drive letter is a real folder under the machine's temporary
// directory (<root>/C/...), reached with Windows path rules (either separator, letter
// case ignored in every name, 8.3 aliases accepted).
//
// What the host cannot hold is kept beside it: the read-only, hidden and system bits,
// files marked "in use" by another program, the share modes of open handles, the
// delete-at-restart list. A host symbolic link stands for a junction or symbolic link:
// every delete refuses it (Wine would delete what it points to). As under Wine, a link
// to a folder is listed with the reparse-point bit and a link to a file is not: it looks
// like the file it points to, and only IsLink tells.
//
// Where Windows and Wine disagree the simulation answers as Wine does (the real-API
// tests run under Wine): a plain file always reports the archive bit, folders keep no
// read-only bit, and "*." matches every name because the trailing dot is dropped.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace norvik::platform::sim {

class SimFiles final : public Files {
 public:
  // Drive folders live below `drives_root`; no drive is mapped yet.
  explicit SimFiles(std::filesystem::path drives_root);
  ~SimFiles() override;
  SimFiles(const SimFiles&) = delete;
  SimFiles& operator=(const SimFiles&) = delete;

  // Set-up for tests -------------------------------------------------------------------
  // Maps (or re-maps) a letter. The drive's folder is created; its device name defaults
  // to \Device\HarddiskVolumeN, \Device\CdRomN, \Device\FloppyN ... by type.
  void MapDrive(char letter, DriveType type, bool has_medium = true);
  void SetDosDevice(char letter, std::string device);
  // The host folder behind a drive letter.
  std::filesystem::path DriveFolder(char letter) const;
  // The host path for a Windows path: existing names resolved ignoring case, the rest
  // as written. Empty for paths that are not drive-absolute.
  std::filesystem::path HostPath(std::string_view windows_path) const;

  // Another program holds the file open for reading and writing, sharing reading and
  // writing only: an exclusive open and a delete fail with kErrSharingViolation, a
  // shared read still works and the file still lists with its size.
  void SetFileInUse(std::string_view path, bool in_use);
  // A symbolic link at `link` (which must not exist) pointing to `target`.
  Status CreateLink(std::string_view link, std::string_view target);
  // Sets the last-write time a listing reports.
  Status SetLastWriteTime(std::string_view path, FileTime time);
  // Paths given to DeleteOnReboot, in call order.
  std::vector<std::string> RebootDeletes() const;

  void SetTempFolder(std::string path);  // with its trailing backslash
  void SetWindowsFolder(std::string path);
  void SetSystemFolder(std::string path);

  // Files ------------------------------------------------------------------------------
  Result<FindStart> FindFirst(std::string_view pattern) override;
  Result<std::uint32_t> GetAttributes(std::string_view path) override;
  bool IsLink(std::string_view path) override;
  bool IsListedLink(std::string_view folder, const FindData& entry) override;
  Status DeleteListedFile(std::string_view folder, const FindData& entry) override;
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
  Result<File> Open(std::string_view path, FileAccess access, std::uint32_t share,
                    FileDisposition disposition) override;
  Status DeleteFile(std::string_view path) override;
  Status ShellDelete(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status CreateDirectory(std::string_view path) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status MoveFileOver(std::string_view from, std::string_view to) override;
  Status DeleteOnReboot(std::string_view path) override;
  std::uint32_t LogicalDrives() override;
  DriveType GetDriveType(std::string_view root) override;
  bool IsVolumeReady(std::string_view root) override;
  Result<std::vector<std::string>> QueryDosDevice(std::string_view drive) override;
  Result<std::string> GetShortPathName(std::string_view path) override;
  Result<std::string> GetFullPathName(std::string_view path) override;
  Result<std::string> GetLongPathName(std::string_view path) override;
  std::string LibraryPath(std::string_view path) override { return HostPath(path).string(); }
  std::string TempFolder() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;

  struct State;  // shared with open files, which may outlive this object

 private:
  std::shared_ptr<State> state_;
};

}  // namespace norvik::platform::sim
