#pragma once
// The simulated registry: one tree in memory behind the platform Registry interface.
//
// It answers the way Wine's registry does (checked with small programs under Wine):
// - names are compared without letter case and keep the case they were created with;
// - subkeys AND values are listed sorted by their lower-cased names (Wine sorts values
//   too; Windows lists values in creation order, so callers must not rely on either);
// - a path is one or more names joined by '\'; empty names ("A\\B", "A\") are skipped,
//   a leading '\' gives 161 (ERROR_BAD_PATHNAME); "." and ".." are ordinary names;
// - key names longer than 256 characters and value names longer than 16383 give 87;
// - a handle whose key was deleted answers 1018 (ERROR_KEY_DELETED) to every call;
// - Set and DeleteValue need KEY_SET_VALUE, Query and EnumValue KEY_QUERY_VALUE,
//   EnumKey KEY_ENUMERATE_SUB_KEYS (else 5); opening, creating, Info and deleting a
//   key are not checked against the handle's access, as in Wine;
// - HKEY_CLASSES_ROOT is HKLM\Software\Classes (no per-user merge, as in Wine),
//   HKEY_CURRENT_USER is HKEY_USERS\S-1-5-21-0-0-0-1000 and HKEY_CURRENT_CONFIG is
//   HKLM\System\CurrentControlSet\Hardware Profiles\Current.
// Hostile input meets hard caps: the name lengths above and a depth of 512 keys.
//
// Every call is serialised by one lock, so a worker thread and a test may share it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reg_text.h"
#include "platform/registry.h"

namespace norvik::platform::sim {

inline constexpr std::uint32_t kErrBadPathName = 161;  // ERROR_BAD_PATHNAME
inline constexpr std::size_t kMaxKeyNameChars = 256;
inline constexpr std::size_t kMaxValueNameChars = 16383;
inline constexpr std::size_t kMaxKeyDepth = kMaxRegistryDepth;
// The user whose hive HKEY_CURRENT_USER shows (Wine's default user).
inline constexpr std::string_view kCurrentUserSid = "S-1-5-21-0-0-0-1000";

namespace detail {
struct SimRegistryState;
}

class SimRegistry : public Registry {
 public:
  // Writes a saved hive (RegSaveKey). Like RegSaveKey it must fail with
  // kErrAlreadyExists when the file exists and kErrPathNotFound when its folder is missing.
  using FileWriter =
      std::function<Status(const std::string& windows_path, const std::string& bytes)>;

  struct HiveReplacement {
    RegRoot root;
    std::string subkey;
    std::string new_file;
    std::string old_file;
  };

  // A registry with the keys every Windows has: HKLM\Hardware, Software\Classes,
  // System\CurrentControlSet\Hardware Profiles\Current; HKU\.Default and the current user.
  SimRegistry();
  ~SimRegistry() override;
  SimRegistry(const SimRegistry&) = delete;
  SimRegistry& operator=(const SimRegistry&) = delete;

  RegKey Root(RegRoot root) override;
  // Records the request (tests read it back) and succeeds, like Wine's RegReplaceKey.
  Status ReplaceHive(RegRoot root, std::string_view subkey, const std::string& new_file,
                     const std::string& old_file) override;

  // Opens an existing key for reading without needing a mutable registry (exporters).
  Result<RegKey> OpenKey(RegRoot root, std::string_view path,
                         std::uint32_t access = reg_access::kRead) const;

  // Without a writer, SaveToFile fails with kErrNotSupported.
  void SetFileWriter(FileWriter writer);
  // Marks a key so that opening it (or creating it, or deleting it) fails with
  // kErrAccessDenied; the key is created when it does not exist yet.
  Status SetAccessDenied(RegRoot root, std::string_view path, bool denied);
  std::vector<HiveReplacement> hive_replacements() const;

 private:
  std::shared_ptr<detail::SimRegistryState> shared_;
};

// The section name under which SaveToFile writes a saved hive.
inline constexpr std::string_view kSavedHiveRoot = "SAVED_HIVE";

// The whole registry as one .reg file: HKEY_LOCAL_MACHINE, then HKEY_USERS (the other
// roots are views of these).
std::string SaveRegText(const SimRegistry& registry, RegFormat format);

}  // namespace norvik::platform::sim
