// The conformance suite against the real API: a fresh key under
// HKCU\Software\NorvikConformance and a fresh folder under C:\NorvikConformance per
// test, both removed afterwards with plain Win32 calls (not the code under test).

#include <atomic>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include <sddl.h>

#include "conformance/conformance_env.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::conformance {
namespace {

using platform::win32::Narrow;

constexpr wchar_t kKeyParent[] = L"Software\\NorvikConformance";
constexpr wchar_t kFolderParent[] = L"C:\\NorvikConformance";

// Deletes a folder and everything in it. Links inside are removed, never followed.
void DeleteFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd{};
  platform::win32::unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
  while (find) {
    const std::wstring name = fd.cFileName, full = folder + L"\\" + name;
    const DWORD attributes = fd.dwFileAttributes;
    if (name != L"." && name != L"..") {
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(full.c_str());
      } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::RemoveDirectoryW(full.c_str());
      } else {
        DeleteFolderTree(full);
      }
    }
    if (!::FindNextFileW(find.get(), &fd)) break;
  }
  find.reset();
  ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(folder.c_str());
}

// The current user's SID as text: the name of HKEY_CURRENT_USER under \Registry\User.
std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> buffer(256);
  DWORD size = 0;
  std::wstring text;
  if (::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size)) {
    wchar_t* sid = nullptr;
    if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      text = sid;
      ::LocalFree(sid);
    }
  }
  ::CloseHandle(token);
  return text;
}

void DeleteScratch(const std::wstring& key, const std::wstring& folder) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  DeleteFolderTree(folder);
}

class Win32ConformanceEnv final : public ConformanceEnv {
 public:
  Win32ConformanceEnv() {
    static std::atomic<unsigned> counter{0};
    const std::wstring leaf = std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    key_ = std::wstring(kKeyParent) + L"\\" + leaf;
    folder_ = std::wstring(kFolderParent) + L"\\" + leaf;
    // A leftover from a crashed run with the same process id must not leak into this one.
    DeleteScratch(key_, folder_);
    platform::win32::unique_hkey created;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, created.put(), nullptr);
    ::CreateDirectoryW(kFolderParent, nullptr);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
  }

  ~Win32ConformanceEnv() override {
    DeleteScratch(key_, folder_);
    // The parents go too once no other run is using them; failing here is fine.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKeyParent);
    ::RemoveDirectoryW(kFolderParent);
  }

  platform::Platform platform() override { return backend_.platform(); }
  std::string ScratchKey() override { return Narrow(key_); }
  std::string ScratchFolder() override { return Narrow(folder_); }
  platform::Status MakeRegistryLink(const std::string& link, const std::string& target) override {
    platform::win32::unique_hkey key;
    LSTATUS rc = ::RegCreateKeyExW(HKEY_CURRENT_USER, platform::win32::Wide(link).c_str(), 0, nullptr,
                                   REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return platform::Status(rc);
    const std::wstring name = L"\\Registry\\User\\" + UserSid() + L"\\" + platform::win32::Wide(target);
    rc = ::RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(name.data()),
                          static_cast<DWORD>(name.size() * sizeof(wchar_t)));
    return platform::Status(rc);
  }

 private:
  platform::win32::Win32Platform backend_;
  std::wstring key_;
  std::wstring folder_;
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() { return std::make_unique<Win32ConformanceEnv>(); }

}  // namespace norvik::conformance
