#pragma once
// The program's registry object: a root, the currently open key and the access mask
// every open asks for. Paths are relative to the open key (or to the root when none is
// open); a path starting with a backslash always counts from the root.
//
// Failures come back as false, nothing or -1, and the value reads as a Result with the
// error; nothing here throws. Unless a function says otherwise, its outputs and the open
// key are left unchanged when it fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace norvik::core {

class RegistryAccess {
 public:
  explicit RegistryAccess(platform::Registry& registry);
  RegistryAccess(const RegistryAccess&) = delete;
  RegistryAccess& operator=(const RegistryAccess&) = delete;
  ~RegistryAccess();

  platform::RegRoot RootKey() const { return root_; }
  // Closes any open key; later paths count from the new root.
  void SetRootKey(platform::RegRoot root);

  std::uint32_t Access() const { return access_; }
  void SetAccess(std::uint32_t access) { access_ = access; }

  // True when the key is now open (and becomes the current key). With `create`,
  // missing keys on the way are created. On failure the previous key stays open.
  bool OpenKey(std::string_view path, bool create);
  // Closes the current key, flushing it first if this object changed a value in it;
  // afterwards paths count from the root.
  void CloseKey();
  bool HasCurrentKey() const { return current_.is_open(); }
  // Path of the current key below the root, without leading backslash; empty when
  // none is open (or when the root itself is open).
  const std::string& CurrentPath() const { return current_path_; }

  // Existence checks; they change nothing, the current key included.
  bool KeyExists(std::string_view path);
  bool ValueExists(std::string_view name);

  // The list is emptied first, then filled with the current key's subkey / value names.
  // False (and an empty list) when no key is open or it cannot be listed.
  bool GetKeyNames(std::vector<std::string>& list);
  bool GetValueNames(std::vector<std::string>& list);
  // Counts of subkeys and values of the current key; zeroed when that fails.
  bool GetKeyInfo(platform::RegKeyInfo& info);

  // Kind of a value; nothing when it is missing (or no key is open).
  std::optional<platform::RegType> GetDataType(std::string_view name);
  // Byte size of a value as the A functions report it (string kinds count one byte
  // per character, terminators included); -1 when missing.
  std::int64_t GetDataSize(std::string_view name);

  // Typed reads. A missing value (or no open key) fails with the query's error, a value
  // of another kind with kErrDatatypeMismatch.
  // REG_SZ or REG_EXPAND_SZ text (not expanded); empty when the value holds no data.
  platform::Result<std::string> ReadString(std::string_view name);
  // REG_DWORD.
  platform::Result<std::int32_t> ReadInteger(std::string_view name);
  // The bytes of a binary value or of any kind without a typed reader (everything but
  // the string kinds and REG_DWORD).
  platform::Result<std::vector<std::uint8_t>> ReadBinaryData(std::string_view name);
  // Kind and raw bytes of any value.
  platform::Result<platform::RegValue> ReadValue(std::string_view name);

  // Writes to the current key; false when none is open or the write fails.
  bool WriteString(std::string_view name, std::string_view text);
  bool WriteExpandString(std::string_view name, std::string_view text);
  bool WriteInteger(std::string_view name, std::int32_t value);
  bool WriteBinaryData(std::string_view name, const std::vector<std::uint8_t>& bytes);
  bool WriteValue(std::string_view name, const platform::RegValue& value);

  bool DeleteValue(std::string_view name);
  // Deletes the key at `path` with its whole subtree, subkeys first, depth first.
  // Refuses the root itself. True only when the key itself is gone; when part of the
  // subtree cannot be deleted the rest is still tried and the key stays.
  bool DeleteKey(std::string_view path);

  // A deeper walk is refused rather than followed.
  static constexpr int kMaxDeleteDepth = platform::kMaxRegistryDepth;

 private:
  struct Target {
    const platform::RegKey* base;  // the key the path counts from
    std::string path;              // path below `base`, cleaned of outer backslashes
    bool from_root;
  };
  Target Resolve(std::string_view path) const;
  platform::Result<platform::RegKey> OpenTarget(const Target& target, bool create) const;
  platform::Result<platform::RegValue> Query(std::string_view name) const;
  bool DeleteTree(platform::RegKey& parent, const std::string& name, int depth);

  platform::Registry& registry_;
  platform::RegRoot root_ = platform::RegRoot::CurrentUser;
  platform::RegKey root_key_;
  platform::RegKey current_;
  std::string current_path_;
  bool written_ = false;  // a value of the current key was written or deleted
  std::uint32_t access_ = platform::reg_access::kAllAccess;
};

// The five root names used in path texts, spelled exactly as written here. The match is
// case-sensitive: callers holding user text upper-case it first.
std::optional<platform::RegRoot> RootFromName(std::string_view name);

// "HKEY_LOCAL_MACHINE\Software\X" -> {"HKEY_LOCAL_MACHINE", "Software\X"}, split at the
// first backslash. Without a backslash the whole text is the root and the key is empty.
struct RegistryPath {
  std::string root;
  std::string key;
  friend bool operator==(const RegistryPath&, const RegistryPath&) = default;
};
RegistryPath SplitRegistryPath(std::string_view full);

}  // namespace norvik::core
