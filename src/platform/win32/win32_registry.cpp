#include "platform/win32/windows_api.h"

#include <algorithm>

#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

extern "C" {
// ntdll: the one way to delete a key through a handle opened as a link.
LONG NTAPI NtDeleteKey(HANDLE key);
ULONG NTAPI RtlNtStatusToDosError(LONG status);
}

namespace norvik::platform::win32 {
namespace {

// Longest names the registry allows: 255 characters for keys, 16383 for values.
// Buffers start small and grow to one past these.
constexpr DWORD kMaxNameChars = 16384;
// A value read is retried while the value keeps growing; bounded so a value that is
// rewritten as fast as we read it cannot keep us here.
constexpr int kMaxQueryAttempts = 16;

HKEY RootHandle(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::Users: return HKEY_USERS;
    case RegRoot::PerformanceData: return HKEY_PERFORMANCE_DATA;
    case RegRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegRoot::DynData: return HKEY_DYN_DATA;
  }
  return nullptr;
}

class Win32RegKey final : public RegKeyImpl {
 public:
  explicit Win32RegKey(unique_hkey key) : key_(std::move(key)) {}

  Result<std::unique_ptr<RegKeyImpl>> Open(std::string_view path, std::uint32_t access,
                                           RegOpenMode mode) override {
    const auto wide_path = WideArg(path);
    if (!wide_path) return Status(kErrInvalidParameter);
    unique_hkey opened;
    LSTATUS rc;
    if (mode == RegOpenMode::Create) {
      rc = ::RegCreateKeyExW(key_.get(), wide_path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             access, nullptr, opened.put(), nullptr);
    } else {
      const DWORD options = mode == RegOpenMode::Link ? REG_OPTION_OPEN_LINK : 0;
      rc = ::RegOpenKeyExW(key_.get(), wide_path->c_str(), options, access, opened.put());
    }
    if (rc != ERROR_SUCCESS) return Status(rc);
    return std::unique_ptr<RegKeyImpl>(std::make_unique<Win32RegKey>(std::move(opened)));
  }

  Result<std::string> EnumKey(std::uint32_t index) const override {
    return EnumName([this, index](wchar_t* buffer, DWORD* chars) {
      return ::RegEnumKeyExW(key_.get(), index, buffer, chars, nullptr, nullptr, nullptr, nullptr);
    });
  }

  Result<std::string> EnumValue(std::uint32_t index) const override {
    return EnumName([this, index](wchar_t* buffer, DWORD* chars) {
      return ::RegEnumValueW(key_.get(), index, buffer, chars, nullptr, nullptr, nullptr, nullptr);
    });
  }

  Result<RegKeyInfo> Info() const override {
    DWORD subkeys = 0;
    DWORD values = 0;
    const LSTATUS rc = ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                          nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return Status(rc);
    return RegKeyInfo{subkeys, values};
  }

  Result<RegValue> Query(std::string_view name) const override {
    const auto wide_name = WideArg(name);
    if (!wide_name) return Status(kErrFileNotFound);  // no such name can exist for the W API
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS rc = ::RegQueryValueExW(key_.get(), wide_name->c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return Status(rc);
    std::vector<std::uint8_t> data;
    for (int attempt = 0; attempt < kMaxQueryAttempts; ++attempt) {
      // One spare byte so that an empty value still gets a real buffer pointer.
      data.resize(static_cast<std::size_t>(size) + 1);
      DWORD got = size;
      rc = ::RegQueryValueExW(key_.get(), wide_name->c_str(), nullptr, &type, data.data(), &got);
      if (rc == ERROR_SUCCESS) {
        data.resize(got);
        RegValue value;
        value.type = static_cast<RegType>(type);
        value.data = std::move(data);
        return value;
      }
      if (rc != ERROR_MORE_DATA) return Status(rc);
      // Performance data does not say how much it needs: grow geometrically.
      size = std::max<DWORD>(got, size * 2 + 4096);
    }
    return Status(kErrMoreData);
  }

  Status Set(std::string_view name, const RegValue& value) override {
    const auto wide_name = WideArg(name);
    if (!wide_name) return Status(kErrInvalidParameter);
    if (value.data.size() > MAXDWORD) return Status(kErrInvalidParameter);
    static const BYTE kEmpty = 0;
    const BYTE* bytes = value.data.empty() ? &kEmpty : value.data.data();
    return Status(::RegSetValueExW(key_.get(), wide_name->c_str(), 0,
                                   static_cast<DWORD>(value.type), bytes,
                                   static_cast<DWORD>(value.data.size())));
  }

  Status DeleteValue(std::string_view name) override {
    const auto wide_name = WideArg(name);
    if (!wide_name) return Status(kErrFileNotFound);
    return Status(::RegDeleteValueW(key_.get(), wide_name->c_str()));
  }

  Status DeleteSubKey(std::string_view name) override {
    const auto wide_name = WideArg(name);
    if (!wide_name) return Status(kErrFileNotFound);
    // An empty name would delete this key itself; the interface deletes subkeys only.
    if (wide_name->empty()) return Status(kErrInvalidParameter);
    // RegDeleteKey follows a registry link and deletes its target; the key opened as
    // itself is deleted instead.
    unique_hkey target;
    const LSTATUS rc = ::RegOpenKeyExW(key_.get(), wide_name->c_str(), REG_OPTION_OPEN_LINK,
                                       DELETE | KEY_ENUMERATE_SUB_KEYS, target.put());
    if (rc != ERROR_SUCCESS) return Status(rc);
    return Status(::RtlNtStatusToDosError(::NtDeleteKey(target.get())));
  }

  Status Flush() override { return Status(::RegFlushKey(key_.get())); }

  Status SaveToFile(const std::string& path) override {
    const auto wide_path = WideArg(path);
    if (!wide_path) return Status(kErrInvalidName);
    return Status(::RegSaveKeyW(key_.get(), wide_path->c_str(), nullptr));
  }

 private:
  // Reports the name exactly as long as the registry says it is (it may hold
  // characters a C string would stop at).
  template <typename Enum>
  static Result<std::string> EnumName(Enum enumerate) {
    std::wstring buffer(256, L'\0');
    for (;;) {
      DWORD chars = static_cast<DWORD>(buffer.size());
      const LSTATUS rc = enumerate(buffer.data(), &chars);
      if (rc == ERROR_SUCCESS) {
        buffer.resize(std::min<std::size_t>(chars, buffer.size()));
        return Narrow(buffer);
      }
      if (rc != ERROR_MORE_DATA || buffer.size() > kMaxNameChars) return Status(rc);
      buffer.assign(buffer.size() * 4, L'\0');
    }
  }

  unique_hkey key_;
};

}  // namespace

RegKey Win32Registry::Root(RegRoot root) {
  const HKEY handle = RootHandle(root);
  if (!handle) return RegKey();
  return RegKey(std::make_unique<Win32RegKey>(unique_hkey(handle)));
}

Status Win32Registry::ReplaceHive(RegRoot root, std::string_view subkey,
                                  const std::string& new_file, const std::string& old_file) {
  const HKEY handle = RootHandle(root);
  const auto wide_subkey = WideArg(subkey);
  const auto wide_new = WideArg(new_file);
  const auto wide_old = WideArg(old_file);
  if (!handle || !wide_subkey || !wide_new || !wide_old) return Status(kErrInvalidParameter);
  return Status(::RegReplaceKeyW(handle, wide_subkey->empty() ? nullptr : wide_subkey->c_str(),
                                 wide_new->c_str(), wide_old->c_str()));
}

}  // namespace norvik::platform::win32
