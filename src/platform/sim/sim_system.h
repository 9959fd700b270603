#pragma once
// Facts about the simulated machine: version, WOW64, administrator, privileges,
// environment, the program's own file name and the top-level windows that are open.
// All settable; the defaults are those of a 64-bit Windows 7 SP1 as Wine presents it,
// for the given user name, with no window open.

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_internet.h"
#include "platform/system.h"

namespace norvik::platform::sim {

class SimSystem final : public System {
 public:
  explicit SimSystem(const std::string& user_name = "user");

  void SetVersion(OsVersion version);
  // nullopt: kernel32 has no IsWow64Process (Windows 2000 and the 95 family).
  void SetWow64(std::optional<bool> wow64);
  void SetAdministrator(bool admin);
  // The user's SID text (Wine's "S-1-5-21-0-0-0-1000" by default); nullopt: the token
  // cannot be read (kErrAccessDenied).
  void SetUserSid(std::optional<std::string> sid);
  void SetPrivilegeHeld(std::string_view name, bool held);
  // Privileges enabled so far, in call order (a failed call records nothing).
  std::vector<std::string> EnabledPrivileges() const;
  // nullopt removes the variable.
  void SetEnvironment(std::string_view name, std::optional<std::string> value);
  void SetModuleFileName(std::string path);
  // A top-level window of this class is open (or no longer is). Class names ignore
  // letter case, as FindWindow does.
  void SetWindowClassRunning(std::string_view class_name, bool running);
  // How often EndBrowserSession was called.
  int EndBrowserSessionCalls() const;
  // What the clipboard holds (nullopt: nothing). EmptyClipboard fails with
  // kErrAccessDenied while another program holds it open.
  void SetClipboardText(std::optional<std::string> text);
  std::optional<std::string> ClipboardText() const;
  void SetClipboardHeldOpen(bool held);
  // What System Restore answers (success by default); the call runs on the caller's
  // thread, so a test may hold it there.
  using RestorePointCall = std::function<Status(std::string_view description)>;
  void SetRestorePointCall(RestorePointCall call);
  std::vector<std::string> RestorePointDescriptions() const;
  Status CreateRestorePoint(std::string_view description) override;
  // Counts the requests; nothing restarts.
  Status RestartWindows() override;
  int RestartRequests() const;

  OsVersion GetVersion() override;
  Result<bool> IsWow64Process() override;
  Result<bool> IsAdministrator() override;
  Status EnablePrivilege(std::string_view name) override;
  Result<std::string> CurrentUserSid() override;
  // Wine's rules: a name between two '%' is replaced when the variable exists and is
  // otherwise copied with both '%'; a '%' without a partner is copied as it is.
  std::string ExpandEnvironment(std::string_view text) override;
  std::optional<std::string> GetEnvironment(std::string_view name) override;
  std::string ModuleFileName() override;
  bool WindowClassExists(std::string_view class_name) override;
  Status EndBrowserSession() override;
  Status EmptyClipboard() override;

  // The browser stores and the clock (see sim_internet.h).
  SimInternet& internet() { return internet_; }
  CalendarTime LocalNow() override { return internet_.LocalNow(); }
  Result<CalendarTime> FileTimeToLocal(FileTime time) override { return internet_.FileTimeToLocal(time); }
  std::string FormatDateTime(const CalendarTime& time, bool with_time) override {
    return internet_.FormatDateTime(time, with_time);
  }
  Result<std::unique_ptr<UrlCacheWalk>> WalkUrlCache() override { return internet_.WalkUrlCache(); }
  Status DeleteCacheEntry(std::string_view url) override { return internet_.DeleteCacheEntry(url); }
  Result<std::unique_ptr<UrlHistory>> OpenUrlHistory() override { return internet_.OpenUrlHistory(); }
  bool ProtectedStorageAvailable() override { return internet_.ProtectedStorageAvailable(); }
  Result<std::unique_ptr<ProtectedStore>> ConnectProtectedStorage() override {
    return internet_.ConnectProtectedStorage();
  }

 private:
  SimInternet internet_;
  mutable std::mutex mutex_;
  OsVersion version_;
  std::optional<bool> wow64_ = false;
  bool admin_ = true;
  std::optional<std::string> user_sid_ = "S-1-5-21-0-0-0-1000";
  std::set<std::string> held_;  // upper-case names
  std::vector<std::string> enabled_;
  std::map<std::string, std::pair<std::string, std::string>>
      environment_;  // upper name -> name, value
  std::string module_file_name_ = "C:\\Norvik\\norvik.exe";
  std::set<std::string> window_classes_;  // upper-case names
  int end_browser_session_calls_ = 0;
  std::optional<std::string> clipboard_;
  bool clipboard_held_open_ = false;
  RestorePointCall restore_point_call_;
  std::vector<std::string> restore_points_;
  int restart_requests_ = 0;
};

}  // namespace norvik::platform::sim
