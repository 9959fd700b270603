#include "platform/sim/sim_system.h"

#include <algorithm>
#include <array>

#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

// Every privilege name LookupPrivilegeValue knows on Windows 7.
constexpr std::array<std::string_view, 35> kKnownPrivileges = {
    "SeCreateTokenPrivilege",
    "SeAssignPrimaryTokenPrivilege",
    "SeLockMemoryPrivilege",
    "SeIncreaseQuotaPrivilege",
    "SeMachineAccountPrivilege",
    "SeTcbPrivilege",
    "SeSecurityPrivilege",
    "SeTakeOwnershipPrivilege",
    "SeLoadDriverPrivilege",
    "SeSystemProfilePrivilege",
    "SeSystemtimePrivilege",
    "SeProfileSingleProcessPrivilege",
    "SeIncreaseBasePriorityPrivilege",
    "SeCreatePagefilePrivilege",
    "SeCreatePermanentPrivilege",
    "SeBackupPrivilege",
    "SeRestorePrivilege",
    "SeShutdownPrivilege",
    "SeDebugPrivilege",
    "SeAuditPrivilege",
    "SeSystemEnvironmentPrivilege",
    "SeChangeNotifyPrivilege",
    "SeRemoteShutdownPrivilege",
    "SeUndockPrivilege",
    "SeSyncAgentPrivilege",
    "SeEnableDelegationPrivilege",
    "SeManageVolumePrivilege",
    "SeImpersonatePrivilege",
    "SeCreateGlobalPrivilege",
    "SeTrustedCredManAccessPrivilege",
    "SeRelabelPrivilege",
    "SeIncreaseWorkingSetPrivilege",
    "SeTimeZonePrivilege",
    "SeCreateSymbolicLinkPrivilege",
    "SeUnsolicitedInputPrivilege",
};

bool IsKnownPrivilege(std::string_view name) {
  return std::any_of(kKnownPrivileges.begin(), kKnownPrivileges.end(),
                     [&](std::string_view known) { return EqualsIgnoreCase(known, name); });
}

}  // namespace

SimSystem::SimSystem(const std::string& user_name) {
  version_.major = 6;
  version_.minor = 1;
  version_.build = 7601;
  version_.platform_id = 2;
  version_.service_pack = "Service Pack 1";
  for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege", "SeShutdownPrivilege"}) {
    held_.insert(UpperCase(name));
  }
  const std::string profile = "C:\\users\\" + user_name;
  const std::pair<const char*, std::string> defaults[] = {
      {"ALLUSERSPROFILE", "C:\\ProgramData"},
      {"APPDATA", profile + "\\AppData\\Roaming"},
      {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
      {"CommonProgramFiles(x86)", "C:\\Program Files (x86)\\Common Files"},
      {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
      {"COMPUTERNAME", "SIMPC"},
      {"ComSpec", "C:\\windows\\system32\\cmd.exe"},
      {"HOMEDRIVE", "C:"},
      {"HOMEPATH", "\\users\\" + user_name},
      {"LOCALAPPDATA", profile + "\\AppData\\Local"},
      {"NUMBER_OF_PROCESSORS", "2"},
      {"OS", "Windows_NT"},
      {"PATH", "C:\\windows\\system32;C:\\windows;C:\\windows\\system32\\wbem"},
      {"PATHEXT", ".com;.exe;.bat;.cmd;.vbs;.vbe;.js;.jse;.wsf;.wsh"},
      {"PROCESSOR_ARCHITECTURE", "AMD64"},
      {"ProgramData", "C:\\ProgramData"},
      {"ProgramFiles", "C:\\Program Files"},
      {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
      {"ProgramW6432", "C:\\Program Files"},
      {"PUBLIC", "C:\\users\\Public"},
      {"SystemDrive", "C:"},
      {"SystemRoot", "C:\\windows"},
      {"TEMP", profile + "\\Temp"},
      {"TMP", profile + "\\Temp"},
      {"USERDOMAIN", "SIMPC"},
      {"USERNAME", user_name},
      {"USERPROFILE", profile},
      {"windir", "C:\\windows"},
  };
  for (const auto& [name, value] : defaults) environment_[UpperCase(name)] = {name, value};
}

void SimSystem::SetVersion(OsVersion version) {
  std::lock_guard lock(mutex_);
  version_ = std::move(version);
}

void SimSystem::SetWow64(std::optional<bool> wow64) {
  std::lock_guard lock(mutex_);
  wow64_ = wow64;
}

void SimSystem::SetAdministrator(bool admin) {
  std::lock_guard lock(mutex_);
  admin_ = admin;
}

void SimSystem::SetUserSid(std::optional<std::string> sid) {
  std::lock_guard lock(mutex_);
  user_sid_ = std::move(sid);
}

void SimSystem::SetPrivilegeHeld(std::string_view name, bool held) {
  std::lock_guard lock(mutex_);
  if (held) {
    held_.insert(UpperCase(name));
  } else {
    held_.erase(UpperCase(name));
  }
}

std::vector<std::string> SimSystem::EnabledPrivileges() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void SimSystem::SetEnvironment(std::string_view name, std::optional<std::string> value) {
  std::lock_guard lock(mutex_);
  if (value) {
    environment_[UpperCase(name)] = {std::string(name), std::move(*value)};
  } else {
    environment_.erase(UpperCase(name));
  }
}

void SimSystem::SetModuleFileName(std::string path) {
  std::lock_guard lock(mutex_);
  module_file_name_ = std::move(path);
}

OsVersion SimSystem::GetVersion() {
  std::lock_guard lock(mutex_);
  return version_;
}

Result<bool> SimSystem::IsWow64Process() {
  std::lock_guard lock(mutex_);
  if (!wow64_) return Status(kErrCallNotImplemented);
  return *wow64_;
}

Result<bool> SimSystem::IsAdministrator() {
  std::lock_guard lock(mutex_);
  return admin_;
}

Result<std::string> SimSystem::CurrentUserSid() {
  std::lock_guard lock(mutex_);
  if (!user_sid_) return Status(kErrAccessDenied);
  return *user_sid_;
}

Status SimSystem::EnablePrivilege(std::string_view name) {
  if (!IsKnownPrivilege(name)) return Status(kErrNoSuchPrivilege);
  std::lock_guard lock(mutex_);
  if (!held_.count(UpperCase(name))) return Status(kErrNotAllAssigned);
  enabled_.emplace_back(name);
  return Status::Ok();
}

std::string SimSystem::ExpandEnvironment(std::string_view text) {
  std::lock_guard lock(mutex_);
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out += text.substr(pos, open - pos);
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const auto it = name.empty() ? environment_.end() : environment_.find(UpperCase(name));
    if (it != environment_.end()) {
      out += it->second.second;
    } else {
      out += text.substr(open, close - open + 1);
    }
    pos = close + 1;
  }
  out += text.substr(pos);
  return out;
}

std::optional<std::string> SimSystem::GetEnvironment(std::string_view name) {
  std::lock_guard lock(mutex_);
  const auto it = environment_.find(UpperCase(name));
  if (it == environment_.end()) return std::nullopt;
  return it->second.second;
}

std::string SimSystem::ModuleFileName() {
  std::lock_guard lock(mutex_);
  return module_file_name_;
}

void SimSystem::SetWindowClassRunning(std::string_view class_name, bool running) {
  std::lock_guard lock(mutex_);
  if (running) {
    window_classes_.insert(UpperCase(class_name));
  } else {
    window_classes_.erase(UpperCase(class_name));
  }
}

int SimSystem::EndBrowserSessionCalls() const {
  std::lock_guard lock(mutex_);
  return end_browser_session_calls_;
}

bool SimSystem::WindowClassExists(std::string_view class_name) {
  std::lock_guard lock(mutex_);
  return window_classes_.count(UpperCase(class_name)) != 0;
}

Status SimSystem::EndBrowserSession() {
  std::lock_guard lock(mutex_);
  ++end_browser_session_calls_;
  return Status::Ok();
}

void SimSystem::SetClipboardText(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  clipboard_ = std::move(text);
}

std::optional<std::string> SimSystem::ClipboardText() const {
  std::lock_guard lock(mutex_);
  return clipboard_;
}

void SimSystem::SetClipboardHeldOpen(bool held) {
  std::lock_guard lock(mutex_);
  clipboard_held_open_ = held;
}

Status SimSystem::EmptyClipboard() {
  std::lock_guard lock(mutex_);
  if (clipboard_held_open_) return Status(kErrAccessDenied);
  clipboard_.reset();
  return Status();
}

void SimSystem::SetRestorePointCall(RestorePointCall call) {
  std::lock_guard lock(mutex_);
  restore_point_call_ = std::move(call);
}

std::vector<std::string> SimSystem::RestorePointDescriptions() const {
  std::lock_guard lock(mutex_);
  return restore_points_;
}

Status SimSystem::CreateRestorePoint(std::string_view description) {
  RestorePointCall call;
  {
    std::lock_guard lock(mutex_);
    restore_points_.emplace_back(description);
    call = restore_point_call_;
  }
  return call ? call(description) : Status();
}

Status SimSystem::RestartWindows() {
  std::lock_guard lock(mutex_);
  ++restart_requests_;
  return Status();
}

int SimSystem::RestartRequests() const {
  std::lock_guard lock(mutex_);
  return restart_requests_;
}

}  // namespace norvik::platform::sim
