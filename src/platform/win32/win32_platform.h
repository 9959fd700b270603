#pragma once
// The platform layer over the real Windows API. Every call goes to the W function and
// converts UTF-8 at the boundary; error numbers are the ones GetLastError (or the
// registry function) gave. This header needs no Windows headers.

#include <mutex>
#include <string>

#include "platform/platform.h"

// <windows.h> renames DeleteFile, MoveFile... to their W forms. A translation unit
// that saw those macros while reading the interfaces disagrees with every other one.
#if defined(DeleteFile) || defined(MoveFile) || defined(CreateDirectory)
#error "include platform/win32/windows_api.h before any other Windows header"
#endif

namespace norvik::platform::win32 {

class Win32Registry final : public Registry {
 public:
  RegKey Root(RegRoot root) override;
  Status ReplaceHive(RegRoot root, std::string_view subkey, const std::string& new_file,
                     const std::string& old_file) override;
};

class Win32Files final : public Files {
 public:
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
  std::string LibraryPath(std::string_view path) override { return std::string(path); }
  std::string TempFolder() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;

 private:
  bool IsLinkWide(const std::wstring& path);
  // The system's name for `folder` (a full path ending with a separator) with one
  // separator after it; empty when the folder cannot be opened. The last answer is
  // kept: a walk asks about one entry after another of the same folder.
  std::wstring FolderName(const std::wstring& folder);
  std::mutex folder_mutex_;
  std::wstring folder_;
  std::wstring folder_name_;
};

class Win32IniFiles final : public IniFiles {
 public:
  // The one-pass rewrite goes through `files`.
  explicit Win32IniFiles(Files& files) : files_(files) {}
  std::string GetString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t buffer_chars) override;
  std::vector<std::string> GetKeys(const std::string& file, std::string_view section) override;
  std::vector<std::string> GetSections(const std::string& file) override;
  Status WriteString(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view value) override;
  Status DeleteKey(const std::string& file, std::string_view section,
                   std::string_view key) override;
  Status DeleteSection(const std::string& file, std::string_view section) override;
  Status WriteStrings(const std::string& file, std::span<const IniEntry> entries) override;
  IniReader ReadWhole(const std::string& file) override;

 private:
  Files& files_;
};

class Win32Shell final : public Shell {
 public:
  Result<std::string> SpecialFolder(int csidl) override;
  Result<std::string> ResolveShortcut(std::string_view lnk_path) override;
  Status Open(std::string_view target) override;
  Status EmptyRecycleBins() override;
  Result<std::unique_ptr<Process>> StartHidden(std::string_view command_line) override;
};

class Win32System final : public System {
 public:
  OsVersion GetVersion() override;
  Result<bool> IsWow64Process() override;
  Result<bool> IsAdministrator() override;
  Status EnablePrivilege(std::string_view name) override;
  Result<std::string> CurrentUserSid() override;
  std::string ExpandEnvironment(std::string_view text) override;
  std::optional<std::string> GetEnvironment(std::string_view name) override;
  std::string ModuleFileName() override;
  bool WindowClassExists(std::string_view class_name) override;
  Status EndBrowserSession() override;
  Status EmptyClipboard() override;
  CalendarTime LocalNow() override;
  Result<CalendarTime> FileTimeToLocal(FileTime time) override;
  std::string FormatDateTime(const CalendarTime& time, bool with_time) override;
  Result<std::unique_ptr<UrlCacheWalk>> WalkUrlCache() override;
  Status DeleteCacheEntry(std::string_view url) override;
  Result<std::unique_ptr<UrlHistory>> OpenUrlHistory() override;
  bool ProtectedStorageAvailable() override;
  Result<std::unique_ptr<ProtectedStore>> ConnectProtectedStorage() override;
  Status CreateRestorePoint(std::string_view description) override;
  Status RestartWindows() override;
};

// Owns one of each; the Platform it hands out refers to them and lives no longer.
class Win32Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform platform() { return Platform{registry_, files_, ini_, shell_, system_}; }

 private:
  Win32Registry registry_;
  Win32Files files_;
  Win32IniFiles ini_{files_};
  Win32Shell shell_;
  Win32System system_;
};

}  // namespace norvik::platform::win32
