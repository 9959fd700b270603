// The conformance suite against the real API: a fresh key under
// HKCU\Software\NorvikConformance and a fresh folder under C:\NorvikConformance per
// test, both removed afterwards with plain Win32 calls (not the code under test).

#include <atomic>
#include <string>

#include "conformance/conformance_env.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "wine/scratch_cleanup.h"

namespace norvik::conformance {
namespace {

using platform::win32::Narrow;

constexpr wchar_t kKeyParent[] = L"Software\\NorvikConformance";
constexpr wchar_t kFolderParent[] = L"C:\\NorvikConformance";

class Win32ConformanceEnv final : public ConformanceEnv {
 public:
  Win32ConformanceEnv() {
    static std::atomic<unsigned> counter{0};
    const std::wstring leaf =
        std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    key_ = std::wstring(kKeyParent) + L"\\" + leaf;
    folder_ = std::wstring(kFolderParent) + L"\\" + leaf;

    // A leftover from a crashed run with the same process id must not leak into this one.
    wine_test::DeleteKeyTree(HKEY_CURRENT_USER, key_);
    wine_test::DeleteFolderTree(folder_);
    platform::win32::unique_hkey created;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, created.put(), nullptr);
    ::CreateDirectoryW(kFolderParent, nullptr);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
  }

  ~Win32ConformanceEnv() override {
    wine_test::DeleteKeyTree(HKEY_CURRENT_USER, key_);
    wine_test::DeleteFolderTree(folder_);
    // The parents go too once no other run is using them; failing here is fine.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKeyParent);
    ::RemoveDirectoryW(kFolderParent);
  }

  platform::Platform platform() override { return backend_.platform(); }
  std::string BackendName() const override { return "win32"; }
  std::string ScratchKey() override { return Narrow(key_); }
  std::string ScratchFolder() override { return Narrow(folder_); }

 private:
  platform::win32::Win32Platform backend_;
  std::wstring key_;
  std::wstring folder_;
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() {
  return std::make_unique<Win32ConformanceEnv>();
}

}  // namespace norvik::conformance
