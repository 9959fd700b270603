#pragma once
// The registry as the program sees it: predefined roots, owned open keys, typed values.
//
// Names are UTF-8 and compared without regard to letter case; the case a name was
// created with is kept and reported back. Value data is kept as the registry stores
// it for the W functions: strings (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_LINK) are
// UTF-16LE with their terminating zero(s); numbers are little-endian.
//
// Every call returns a Status or Result with the Windows error number. Out parameters
// are left unchanged when a call fails.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace norvik::platform {

// The predefined keys, with the handle values Windows gives them.
enum class RegRoot : std::uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  PerformanceData = 0x80000004u,
  CurrentConfig = 0x80000005u,
  DynData = 0x80000006u,
};

enum class RegType : std::uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiSz = 7,
  ResourceList = 8,
  FullResourceDescriptor = 9,
  ResourceRequirementsList = 10,
  Qword = 11,
};

// Access masks, as Windows numbers them (the program asks for KEY_ALL_ACCESS).
namespace reg_access {
inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kSetValue = 0x0002;
inline constexpr std::uint32_t kCreateSubKey = 0x0004;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kWow64_64Key = 0x0100;
inline constexpr std::uint32_t kWow64_32Key = 0x0200;
inline constexpr std::uint32_t kRead = 0x20019;
inline constexpr std::uint32_t kWrite = 0x20006;
inline constexpr std::uint32_t kAllAccess = 0xF003F;
}  // namespace reg_access

// One value: its kind and its raw bytes.
struct RegValue {
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;

  static RegValue String(std::string_view utf8, RegType type = RegType::Sz);
  static RegValue ExpandString(std::string_view utf8) { return String(utf8, RegType::ExpandSz); }
  static RegValue MultiString(const std::vector<std::string>& items);
  static RegValue Dword(std::uint32_t v);
  static RegValue Qword(std::uint64_t v);
  static RegValue Binary(std::vector<std::uint8_t> bytes, RegType type = RegType::Binary);

  bool IsString() const { return type == RegType::Sz || type == RegType::ExpandSz; }
  // The text of a string kind (up to the first zero); empty for other kinds.
  std::string AsString() const;
  // The items of a REG_MULTI_SZ (an empty item ends the list).
  std::vector<std::string> AsMultiString() const;
  // The first four bytes as a little-endian number (missing bytes count as zero).
  std::uint32_t AsDword() const;
  std::uint64_t AsQword() const;

  friend bool operator==(const RegValue&, const RegValue&) = default;
};

struct RegKeyInfo {
  std::uint32_t subkey_count = 0;
  std::uint32_t value_count = 0;
};

// How an open treats the last key of its path. Keys on the way are always followed,
// links included (HKLM\System\CurrentControlSet is one on Windows).
enum class RegOpenMode {
  Existing,  // a registry link there is followed to its target
  Create,    // missing keys are created
  Link,      // a registry link is opened as itself (REG_OPTION_OPEN_LINK): it has no
             // subkeys and one value, SymbolicLinkValue, naming its target
};

// The value a registry link holds its target in ("\Registry\Machine\...").
inline constexpr std::string_view kSymbolicLinkValue = "SymbolicLinkValue";

// What a backend implements for one open key. Callers use RegKey.
class RegKeyImpl {
 public:
  virtual ~RegKeyImpl() = default;
  virtual Result<std::unique_ptr<RegKeyImpl>> Open(std::string_view path, std::uint32_t access,
                                                   RegOpenMode mode) = 0;
  virtual Result<std::string> EnumKey(std::uint32_t index) const = 0;
  virtual Result<std::string> EnumValue(std::uint32_t index) const = 0;
  virtual Result<RegKeyInfo> Info() const = 0;
  virtual Result<RegValue> Query(std::string_view name) const = 0;
  virtual Status Set(std::string_view name, const RegValue& value) = 0;
  virtual Status DeleteValue(std::string_view name) = 0;
  virtual Status DeleteSubKey(std::string_view name) = 0;
  virtual Status Flush() = 0;
  virtual Status SaveToFile(const std::string& path) = 0;
};

// An open registry key. Move-only; the key is closed when the object goes away.
// A root key object refers to a predefined key and closes nothing.
class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(std::unique_ptr<RegKeyImpl> impl) : impl_(std::move(impl)) {}
  RegKey(RegKey&&) noexcept = default;
  RegKey& operator=(RegKey&&) noexcept = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  ~RegKey() = default;

  bool is_open() const { return impl_ != nullptr; }
  explicit operator bool() const { return is_open(); }
  void Close() { impl_.reset(); }

  // Opens `path` (one or more names joined by '\') below this key. An empty path
  // opens this key again. With `create`, missing keys on the way are created.
  Result<RegKey> Open(std::string_view path, std::uint32_t access = reg_access::kAllAccess) const;
  Result<RegKey> Create(std::string_view path, std::uint32_t access = reg_access::kAllAccess) const;
  // Like Open, but a registry link at the end of the path is opened as itself.
  Result<RegKey> OpenLink(std::string_view path, std::uint32_t access = reg_access::kAllAccess) const;
  // True for a key opened as a link (it holds a REG_LINK SymbolicLinkValue).
  bool IsLink() const;

  // Names of subkeys / values in the order the registry lists them.
  Result<std::vector<std::string>> SubKeyNames() const;
  Result<std::vector<std::string>> ValueNames() const;
  Result<RegKeyInfo> Info() const;

  // A missing value gives kErrFileNotFound. The empty name is the default value.
  Result<RegValue> Query(std::string_view name) const;
  bool HasValue(std::string_view name) const { return Query(name).ok(); }
  Status Set(std::string_view name, const RegValue& value);
  Status DeleteValue(std::string_view name);
  // Deletes a direct subkey that has no subkeys of its own (like RegDeleteKey);
  // a key with subkeys gives kErrAccessDenied. A registry link is deleted itself, never
  // its target (which RegDeleteKey would take).
  Status DeleteSubKey(std::string_view name);
  Status Flush();
  // Writes this key and its subtree to a hive file (RegSaveKey). The file must not exist.
  Status SaveToFile(const std::string& path);

 private:
  Status Check() const { return impl_ ? Status() : Status(kErrInvalidHandle); }
  std::unique_ptr<RegKeyImpl> impl_;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // The predefined key. Every key is reached by opening a path below a root.
  virtual RegKey Root(RegRoot root) = 0;
  // RegReplaceKey: `new_file` becomes the hive of `root\subkey` at the next restart,
  // the live hive being kept as `old_file`.
  virtual Status ReplaceHive(RegRoot root, std::string_view subkey, const std::string& new_file,
                             const std::string& old_file) = 0;
};

// The full name of a root ("HKEY_LOCAL_MACHINE"...).
std::string_view RootName(RegRoot root);

// Registry keys nest at most this deep; a walk goes no deeper.
inline constexpr int kMaxRegistryDepth = 512;

enum class WalkAction { Continue, SkipSubkeys, Stop };

// One key met by WalkSubtree: its path below the start key ("" for the start key
// itself, else names joined by '\'), the key opened with the walk's access, and its
// depth (0 for the start key).
struct WalkEntry {
  const std::string& path;
  const RegKey& key;
  int depth;
};

// Visits `start` and every key below it, depth first: a key before its subkeys, the
// subkeys in the order the registry lists them. A registry link below `start` is visited
// as itself and never entered. A key's subkey names are read once,
// after the visitor has seen the key and before any subkey is visited; a subkey that
// cannot be opened when its turn comes (access denied, deleted meanwhile) is passed
// over. Returns false when the visitor stopped the walk.
bool WalkSubtree(const RegKey& start, const std::function<WalkAction(const WalkEntry&)>& visit,
                 std::uint32_t access = reg_access::kRead);

}  // namespace norvik::platform
