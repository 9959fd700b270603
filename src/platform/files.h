#pragma once
// Files, folders and drives. Paths are UTF-8 Windows paths ("C:\dir\file.txt").

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace norvik::platform {

// File attribute bits as Windows numbers them.
namespace file_attr {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
inline constexpr std::uint32_t kReparsePoint = 0x400;
inline constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace file_attr

// 100-nanosecond intervals since 1601-01-01 UTC, like FILETIME.
using FileTime = std::uint64_t;

struct FindData {
  std::string name;        // long name
  std::string short_name;  // 8.3 name, empty when the long name already is one
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FileTime creation_time = 0;
  FileTime last_access_time = 0;
  FileTime last_write_time = 0;

  bool is_directory() const { return (attributes & file_attr::kDirectory) != 0; }
  bool is_reparse_point() const { return (attributes & file_attr::kReparsePoint) != 0; }
  bool is_dot() const { return name == "." || name == ".."; }
};

// What a backend implements for one search.
class FindImpl {
 public:
  virtual ~FindImpl() = default;
  virtual Result<FindData> Next() = 0;  // kErrNoMoreFiles at the end
};

// A search started by Files::FindFirst. Move-only; the search is closed with it.
class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(std::unique_ptr<FindImpl> impl) : impl_(std::move(impl)) {}
  FindHandle(FindHandle&&) noexcept = default;
  FindHandle& operator=(FindHandle&&) noexcept = default;
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  explicit operator bool() const { return impl_ != nullptr; }
  Result<FindData> Next() { return impl_ ? impl_->Next() : Result<FindData>(Status(kErrInvalidHandle)); }
  void Close() { impl_.reset(); }

 private:
  std::unique_ptr<FindImpl> impl_;
};

// The first entry of a search together with the handle for the rest.
struct FindStart {
  FindData first;
  FindHandle rest;
};

enum class FileAccess : std::uint32_t { Read = 1, Write = 2, ReadWrite = 3 };
// Share modes as Windows numbers them (0 = exclusive).
namespace file_share {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kRead = 1;
inline constexpr std::uint32_t kWrite = 2;
inline constexpr std::uint32_t kDelete = 4;
inline constexpr std::uint32_t kAll = 7;
}  // namespace file_share
enum class FileDisposition : std::uint32_t {
  CreateNew = 1,      // fails with kErrFileExists when present
  CreateAlways = 2,   // truncates
  OpenExisting = 3,
  OpenAlways = 4,
  TruncateExisting = 5,
};
enum class SeekFrom : std::uint32_t { Begin = 0, Current = 1, End = 2 };

class FileImpl {
 public:
  virtual ~FileImpl() = default;
  virtual Result<std::size_t> Read(void* buffer, std::size_t size) = 0;
  virtual Result<std::size_t> Write(const void* buffer, std::size_t size) = 0;
  virtual Result<std::uint64_t> Seek(std::int64_t offset, SeekFrom from) = 0;
  virtual Result<std::uint64_t> Size() const = 0;
  virtual Status SetEnd() = 0;
  virtual Status Flush() = 0;
  // Names the open file has in its volume (hard links); 1 for an ordinary file.
  virtual Result<std::uint32_t> LinkCount() const = 0;
};

// An open file. Move-only; closed with the object.
class File {
 public:
  File() = default;
  explicit File(std::unique_ptr<FileImpl> impl) : impl_(std::move(impl)) {}
  File(File&&) noexcept = default;
  File& operator=(File&&) noexcept = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool is_open() const { return impl_ != nullptr; }
  explicit operator bool() const { return is_open(); }
  void Close() { impl_.reset(); }

  Result<std::size_t> Read(void* buffer, std::size_t size);
  Result<std::size_t> Write(const void* buffer, std::size_t size);
  Status WriteAll(std::string_view bytes);
  // The rest of the file from the current position; kErrFileTooLarge (nothing read)
  // when the file is larger than `max_bytes`, so hostile files cannot exhaust memory.
  Result<std::string> ReadAll(std::uint64_t max_bytes);
  Result<std::uint64_t> Seek(std::int64_t offset, SeekFrom from = SeekFrom::Begin);
  Result<std::uint64_t> Size() const;
  Status SetEnd();
  Status Flush();
  Result<std::uint32_t> LinkCount() const;

 private:
  std::unique_ptr<FileImpl> impl_;
};

enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// Folder levels ShellDelete searches for links below its target.
inline constexpr int kMaxDeleteTreeDepth = 128;

class Files {
 public:
  virtual ~Files() = default;

  // FindFirstFile / FindNextFile. The last part of `pattern` may hold '*' and '?',
  // matched as Windows does, without regard to letter case. "." and ".." are listed
  // in folders that are not drive roots. No match gives kErrFileNotFound.
  virtual Result<FindStart> FindFirst(std::string_view pattern) = 0;

  // kErrFileNotFound / kErrPathNotFound when missing.
  virtual Result<std::uint32_t> GetAttributes(std::string_view path) = 0;
  virtual Status SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

  virtual Result<File> Open(std::string_view path, FileAccess access, std::uint32_t share,
                            FileDisposition disposition) = 0;

  // True when `path` itself is a junction or symbolic link, or when that cannot be ruled
  // out. Wine lists a link to a file as that file (no reparse-point bit), so this looks
  // at where the name leads: one open of the entry, its folder's answer kept for the
  // next entry of the same folder. False for a missing entry.
  virtual bool IsLink(std::string_view path) = 0;

  // A file a folder walk just listed in `folder` (which ends with a backslash), `entry`
  // being what the listing said of it: one look at where its name leads instead of
  // IsLink's several. True when it is a link or that cannot be ruled out.
  virtual bool IsListedLink(std::string_view folder, const FindData& entry) = 0;
  // Deletes such a file, read-only or not, with the one open that also checks it: a link,
  // a folder or a reparse point is refused with kErrAccessDenied and left as it was.
  virtual Status DeleteListedFile(std::string_view folder, const FindData& entry) = 0;

  // No delete is ever given a junction or symbolic link: Wine removes what the link
  // points to. DeleteFile and RemoveDirectory refuse one (IsLink) with kErrAccessDenied.
  virtual Status DeleteFile(std::string_view path) = 0;
  // The shell's silent delete (SHFileOperation FO_DELETE, silent, no confirmation,
  // no undo): works on files and on whole folders. A volume root, a link, or a tree
  // holding a link or more than kMaxDeleteTreeDepth levels deep is refused with
  // kErrAccessDenied before anything is deleted.
  virtual Status ShellDelete(std::string_view path) = 0;
  virtual Status RemoveDirectory(std::string_view path) = 0;  // empty folders only
  virtual Status CreateDirectory(std::string_view path) = 0;  // one level
  virtual Status MoveFile(std::string_view from, std::string_view to) = 0;
  // Moves a file over another in one step (MoveFileEx with MOVEFILE_REPLACE_EXISTING and
  // MOVEFILE_WRITE_THROUGH): `to` then holds either its old content or `from`'s. One in
  // use is refused with kErrSharingViolation; a read-only one Windows refuses too, but
  // Wine replaces it, so callers that care look first.
  virtual Status MoveFileOver(std::string_view from, std::string_view to) = 0;
  // MoveFileEx(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT).
  virtual Status DeleteOnReboot(std::string_view path) = 0;

  // Bit 0 = A: ... bit 25 = Z:.
  virtual std::uint32_t LogicalDrives() = 0;
  // `root` like "C:\".
  virtual DriveType GetDriveType(std::string_view root) = 0;
  // True when the drive holds a readable volume (GetVolumeInformation succeeds).
  virtual bool IsVolumeReady(std::string_view root) = 0;
  // QueryDosDevice("C:"): the device names the drive letter stands for.
  virtual Result<std::vector<std::string>> QueryDosDevice(std::string_view drive) = 0;

  virtual Result<std::string> GetShortPathName(std::string_view path) = 0;
  virtual Result<std::string> GetFullPathName(std::string_view path) = 0;
  // GetLongPathName: 8.3 names of an existing path replaced by the long ones.
  virtual Result<std::string> GetLongPathName(std::string_view path) = 0;
  // The name a library that opens files on its own (the SQLite engine) is given for
  // this path: the path itself on Windows, the file behind it in the simulation.
  virtual std::string LibraryPath(std::string_view path) = 0;

  // GetTempPath (with its trailing backslash), GetWindowsDirectory, GetSystemDirectory.
  virtual std::string TempFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
};

}  // namespace norvik::platform
