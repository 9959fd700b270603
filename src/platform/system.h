#pragma once
// INI files (the private-profile functions), shell services and facts about the system.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/internet.h"
#include "platform/status.h"

namespace norvik::platform {

// GetPrivateProfileString / WritePrivateProfileString and friends, with their rules:
// a missing file, section or key gives the default; section and key names ignore
// letter case; keys keep their order in the file.
class IniFiles {
 public:
  virtual ~IniFiles() = default;
  // `buffer_chars` is the caller's buffer size: the answer holds at most
  // buffer_chars - 1 characters, as the A/W function would return.
  virtual std::string GetString(const std::string& file, std::string_view section,
                                std::string_view key, std::string_view default_value,
                                std::size_t buffer_chars = 2048) = 0;
  // The key names of a section in file order (GetPrivateProfileString with no key).
  virtual std::vector<std::string> GetKeys(const std::string& file, std::string_view section) = 0;
  // The section names in file order.
  virtual std::vector<std::string> GetSections(const std::string& file) = 0;
  // Writes a key (creating file and section as needed).
  virtual Status WriteString(const std::string& file, std::string_view section,
                             std::string_view key, std::string_view value) = 0;
  virtual Status DeleteKey(const std::string& file, std::string_view section,
                           std::string_view key) = 0;
  virtual Status DeleteSection(const std::string& file, std::string_view section) = 0;
  // Writes every entry as WriteString would, one after another, but reads and writes
  // the file once: the new text goes to a temporary file beside it, which is flushed and
  // then moved over the old one. A crash leaves the old file or the new one, never half
  // of one; sections and keys not named stay as they were.
  virtual Status WriteStrings(const std::string& file, std::span<const IniEntry> entries) = 0;
  // The whole file read once, for many questions answered as GetString and GetKeys would
  // (an unreadable file answers as a missing one).
  virtual IniReader ReadWhole(const std::string& file) = 0;
};

// CSIDL numbers the program uses.
namespace csidl {
inline constexpr int kDesktop = 0x0000;
inline constexpr int kPrograms = 0x0002;
inline constexpr int kPersonal = 0x0005;  // My Documents
inline constexpr int kFavorites = 0x0006;
inline constexpr int kStartup = 0x0007;
inline constexpr int kRecent = 0x0008;
inline constexpr int kSendTo = 0x0009;
inline constexpr int kStartMenu = 0x000B;
inline constexpr int kDesktopDirectory = 0x0010;
inline constexpr int kFonts = 0x0014;
inline constexpr int kTemplates = 0x0015;
inline constexpr int kCommonStartMenu = 0x0016;
inline constexpr int kCommonPrograms = 0x0017;
inline constexpr int kCommonStartup = 0x0018;
inline constexpr int kCommonDesktopDirectory = 0x0019;
inline constexpr int kAppData = 0x001A;
inline constexpr int kLocalAppData = 0x001C;
inline constexpr int kInternetCache = 0x0020;
inline constexpr int kCookies = 0x0021;
inline constexpr int kHistory = 0x0022;
inline constexpr int kCommonAppData = 0x0023;
inline constexpr int kWindows = 0x0024;
inline constexpr int kSystem = 0x0025;
inline constexpr int kProgramFiles = 0x0026;
inline constexpr int kProfile = 0x0028;
inline constexpr int kProgramFilesX86 = 0x002A;
}  // namespace csidl

// A program started by Shell::StartHidden. Polled, never waited on; closing the object
// closes the handles and leaves the program running.
class Process {
 public:
  virtual ~Process() = default;
  // True once the program has ended (a wait of no time).
  virtual bool HasEnded() = 0;
  // TerminateProcess; afterwards HasEnded is true.
  virtual Status Terminate() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // SHGetSpecialFolderPath: the folder without a trailing backslash.
  virtual Result<std::string> SpecialFolder(int csidl) = 0;
  // The target path of a shortcut (.lnk) file.
  virtual Result<std::string> ResolveShortcut(std::string_view lnk_path) = 0;
  // ShellExecute with the verb "open", shown normally: a document, folder or address.
  virtual Status Open(std::string_view target) = 0;
  // SHEmptyRecycleBin for every drive, with no confirmation, progress window or sound.
  // kErrProcNotFound when the shell has no such function.
  virtual Status EmptyRecycleBins() = 0;
  // CreateProcess of a whole command line ("Regedit /s \"C:\\x.reg\""): no separate
  // program name, handles inherited, normal priority, its window hidden (SW_HIDE).
  virtual Result<std::unique_ptr<Process>> StartHidden(std::string_view command_line) = 0;
};

// SYSTEMTIME's fields.
struct CalendarTime {
  std::uint16_t year = 0, month = 0, day_of_week = 0, day = 0;
  std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platform_id = 2;  // 1 = Windows 95 family, 2 = NT
  std::string service_pack;
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion GetVersion() = 0;
  // IsWow64Process for this process; kErrCallNotImplemented when the function is
  // missing from kernel32.
  virtual Result<bool> IsWow64Process() = 0;
  // True when the access token of the thread (or, without one, of the process)
  // holds the Administrators group S-1-5-32-544.
  virtual Result<bool> IsAdministrator() = 0;
  // Enables a privilege ("SeBackupPrivilege") in the process token.
  // kErrNoSuchPrivilege when the name is unknown, kErrNotAllAssigned when not held.
  virtual Status EnablePrivilege(std::string_view name) = 0;
  // The SID of the user the process runs as, in its text form ("S-1-5-21-..."): the
  // name of that user's own folder in each drive's recycle bin on NT.
  virtual Result<std::string> CurrentUserSid() = 0;

  // %NAME% expansion as ExpandEnvironmentStrings does it; unknown names stay as written.
  virtual std::string ExpandEnvironment(std::string_view text) = 0;
  virtual std::optional<std::string> GetEnvironment(std::string_view name) = 0;

  // The full path of the running program file.
  virtual std::string ModuleFileName() = 0;

  // A top-level window of this class exists (FindWindow), e.g. an open browser.
  virtual bool WindowClassExists(std::string_view class_name) = 0;
  // Ends the WinInet browser session (InternetSetOption, option 42) so that the cache
  // and cookie files it holds are let go.
  virtual Status EndBrowserSession() = 0;

  // Opens the clipboard, empties it and closes it. The program's one door to the
  // clipboard, so its users never hold it open at the same time.
  virtual Status EmptyClipboard() = 0;

  // GetLocalTime.
  virtual CalendarTime LocalNow() = 0;
  // FileTimeToLocalFileTime, then FileTimeToSystemTime.
  virtual Result<CalendarTime> FileTimeToLocal(FileTime time) = 0;
  // The user's locale's short date, and with `with_time` a blank and its long time.
  virtual std::string FormatDateTime(const CalendarTime& time, bool with_time) = 0;

  // A walk of the WinInet cache; kErrNoMoreItems when it is empty.
  virtual Result<std::unique_ptr<UrlCacheWalk>> WalkUrlCache() = 0;
  // DeleteUrlCacheEntry.
  virtual Status DeleteCacheEntry(std::string_view url) = 0;
  // The URL history object with an enumeration started; a failure when it cannot be
  // created or enumerated.
  virtual Result<std::unique_ptr<UrlHistory>> OpenUrlHistory() = 0;
  // "pstorec.dll" is there and exports PStoreCreateInstance (looked up once).
  virtual bool ProtectedStorageAvailable() = 0;
  // PStoreCreateInstance for the default provider; kErrProcNotFound without the service.
  virtual Result<std::unique_ptr<ProtectedStore>> ConnectProtectedStorage() = 0;

  // System Restore: SRSetRestorePointA from "SrClient.dll" (loaded for the call and let go
  // after it), asked to begin a system change of the application-install kind with this
  // description (63 characters at most). kErrProcNotFound when the library or function is
  // missing, kErrCallNotImplemented when the call returns false. It may take a long time
  // and cannot be interrupted.
  virtual Status CreateRestorePoint(std::string_view description) = 0;

  // ExitWindowsEx: restart now, closing programs without asking them. Needs
  // "SeShutdownPrivilege" enabled first.
  virtual Status RestartWindows() = 0;
};

}  // namespace norvik::platform
