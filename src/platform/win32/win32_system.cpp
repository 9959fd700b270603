#include "platform/win32/windows_api.h"
#include <sddl.h>
#include <wininet.h>

#include <mutex>
#include <vector>

#include "platform/text_encoding.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// A function looked up at run time, typed. The detour through void* keeps the
// compiler's function-cast check quiet for what is a deliberate cast.
template <typename Fn>
Fn LookUp(const wchar_t* module, const char* name) {
  const HMODULE handle = ::GetModuleHandleW(module);
  if (!handle) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

// The access token of this thread, or of the process when the thread has none.
Result<unique_handle> OpenCurrentToken(DWORD access) {
  unique_handle token;
  if (::OpenThreadToken(::GetCurrentThread(), access, TRUE, token.put())) return token;
  const std::uint32_t error = LastError();
  if (error != kErrNoToken) return Status(error);
  if (!::OpenProcessToken(::GetCurrentProcess(), access, token.put())) return Status(LastError());
  return token;
}

// One kind of information about a token. Held as pointers so the structure inside is
// suitably aligned.
Result<std::vector<void*>> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  ::GetTokenInformation(token, kind, nullptr, 0, &size);
  if (size == 0) return Status(LastError());
  std::vector<void*> buffer(size / sizeof(void*) + 1);
  if (!::GetTokenInformation(token, kind, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(void*)), &size)) {
    return Status(LastError());
  }
  return buffer;
}

}  // namespace

OsVersion Win32System::GetVersion() {
  // GetVersionEx, not RtlGetVersion: on Windows 8.1 and later it answers 6.2 to a
  // program whose manifest does not name those systems, and the version code of 6.2
  // (the Vista-and-later family) suits them; the true 10.0 would give the XP-era code.
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool ok = ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
#pragma GCC diagnostic pop
  OsVersion version;
  if (!ok) return version;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platform_id = info.dwPlatformId;
  version.service_pack = Narrow(info.szCSDVersion);
  return version;
}

Result<bool> Win32System::IsWow64Process() {
  // Missing before XP SP2; looked up so that the program still starts there.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto is_wow64 = LookUp<IsWow64ProcessFn>(L"kernel32", "IsWow64Process");
  if (!is_wow64) return Status(kErrCallNotImplemented);
  BOOL wow64 = FALSE;
  if (!is_wow64(::GetCurrentProcess(), &wow64)) return Status(LastError());
  return wow64 != FALSE;
}

Result<bool> Win32System::IsAdministrator() {
  auto token = OpenCurrentToken(TOKEN_QUERY);
  if (!token) return token.status();
  auto buffer = TokenInformation(token->get(), TokenGroups);
  if (!buffer) return buffer.status();

  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  unique_sid administrators;
  if (!::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.put())) {
    return Status(LastError());
  }
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer->data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (::EqualSid(groups->Groups[i].Sid, administrators.get())) return true;
  }
  return false;
}

Result<std::string> Win32System::CurrentUserSid() {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return Status(LastError());
  auto buffer = TokenInformation(token.get(), TokenUser);
  if (!buffer) return buffer.status();
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer->data());
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(user->User.Sid, &text)) return Status(LastError());
  const unique_hlocal owned(text);
  return Narrow(text);
}

Status Win32System::EnablePrivilege(std::string_view name) {
  const auto wide = WideArg(name);
  if (!wide) return Status(kErrNoSuchPrivilege);
  LUID luid{};
  if (!::LookupPrivilegeValueW(nullptr, wide->c_str(), &luid)) {
    return Status(LastError(kErrNoSuchPrivilege));
  }
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.put())) {
    return Status(LastError());
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ::SetLastError(ERROR_SUCCESS);
  if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    return Status(LastError());
  }
  // Success with ERROR_NOT_ALL_ASSIGNED means the token does not hold the privilege.
  return Status(::GetLastError());
}

std::string Win32System::ExpandEnvironment(std::string_view text) {
  const auto wide = WideArg(text);
  if (!wide) return std::string(text);
  std::wstring buffer(wide->size() + MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD needed = ::ExpandEnvironmentStringsW(wide->c_str(), buffer.data(),
                                                     static_cast<DWORD>(buffer.size()));
    if (needed == 0) return std::string(text);
    if (needed <= buffer.size()) {
      buffer.resize(needed - 1);  // the count includes the terminating NUL
      return Narrow(buffer);
    }
    buffer.assign(needed, L'\0');
  }
  return std::string(text);
}

std::optional<std::string> Win32System::GetEnvironment(std::string_view name) {
  const auto wide = WideArg(name);
  if (!wide || wide->empty()) return std::nullopt;
  auto r = CallWithGrowingBuffer([&](wchar_t* buffer, DWORD size) {
    return ::GetEnvironmentVariableW(wide->c_str(), buffer, size);
  });
  if (!r) return std::nullopt;
  return Narrow(*r);
}

std::string Win32System::ModuleFileName() {
  // GetModuleFileName cuts the name to the buffer and returns the buffer size then.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD chars =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (chars == 0) return std::string();
    if (chars < buffer.size()) {
      buffer.resize(chars);
      return Narrow(buffer);
    }
    if (buffer.size() >= 32768) return std::string();
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

bool Win32System::WindowClassExists(std::string_view class_name) {
  const auto wide = WideArg(class_name);
  // An empty class would match any window.
  if (!wide || wide->empty()) return false;
  return ::FindWindowW(wide->c_str(), nullptr) != nullptr;
}

Status Win32System::EndBrowserSession() {
  if (!::InternetSetOptionW(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0)) {
    return Status(LastError());
  }
  return Status::Ok();
}

Status Win32System::EmptyClipboard() {
  // Another program may hold the clipboard open for a moment: try a few times.
  static std::mutex clipboard_mutex;
  const std::lock_guard lock(clipboard_mutex);
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    if (::OpenClipboard(nullptr)) break;
    if (attempt == kAttempts) return Status(LastError(kErrAccessDenied));
    ::Sleep(20);
  }
  const bool emptied = ::EmptyClipboard() != FALSE;
  const std::uint32_t error = emptied ? 0 : LastError(kErrAccessDenied);
  ::CloseClipboard();
  return emptied ? Status() : Status(error);
}

namespace {

// System Restore's records as SrRestorePtApi.h lays them out: byte-packed.
#pragma pack(push, 1)
struct RestorePointInfoA {
  DWORD event_type;
  DWORD restore_point_type;
  INT64 sequence_number;
  char description[64];
};
struct StateManagerStatus {
  DWORD status;
  INT64 sequence_number;
};
#pragma pack(pop)

constexpr DWORD kBeginSystemChange = 100;
constexpr DWORD kApplicationInstall = 0;

}  // namespace

Status Win32System::CreateRestorePoint(std::string_view description) {
  const unique_hmodule library(::LoadLibraryW(L"SrClient.dll"));
  if (!library) return Status(kErrProcNotFound);
  using SetRestorePointFn = BOOL(WINAPI*)(RestorePointInfoA*, StateManagerStatus*);
  const auto set_restore_point = reinterpret_cast<SetRestorePointFn>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "SRSetRestorePointA")));
  if (!set_restore_point) return Status(kErrProcNotFound);
  RestorePointInfoA info{};
  info.event_type = kBeginSystemChange;
  info.restore_point_type = kApplicationInstall;
  const std::string ansi = Utf8ToAnsi(description);
  ansi.copy(info.description, sizeof info.description - 1);
  StateManagerStatus status{};
  return set_restore_point(&info, &status) ? Status() : Status(kErrCallNotImplemented);
}

Status Win32System::RestartWindows() {
  // Planned, so that the event log does not record it as an unexpected shutdown.
  constexpr DWORD kReason = SHTDN_REASON_MAJOR_OPERATINGSYSTEM | SHTDN_REASON_MINOR_RECONFIG | SHTDN_REASON_FLAG_PLANNED;
  return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, kReason) ? Status() : Status(LastError());
}

}  // namespace norvik::platform::win32
