#pragma once
// The current user's store of the Protected Storage service: its item types, subtypes
// and item names, and deleting items. The service ("pstorec.dll") is missing on
// current Windows; then every call is a no-op answering false or nothing.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace norvik::stores {

using platform::StoreGuid;
using TIDList = std::vector<StoreGuid>;
// Item names, each cut to 255 characters.
using TItemList = std::vector<std::string>;

inline constexpr std::size_t kMaxItemNameChars = 255;
// How many elements each ask of a service enumerator fetches.
inline constexpr std::size_t kEnumBatch = 16;

class TPStorage {
 public:
  explicit TPStorage(platform::System& system) : system_(system) {}

  bool Available() const { return system_.ProtectedStorageAvailable(); }
  // Connects to the default provider, dropping an earlier connection first.
  bool Connect();
  void Disconnect() { provider_.reset(); }
  bool Connected() const { return provider_ != nullptr; }

  TIDList Types();
  TIDList Subtypes(const StoreGuid& type);
  TItemList Items(const StoreGuid& type, const StoreGuid& subtype);
  // The type's display name; empty when it cannot be read.
  std::string TypeName(const StoreGuid& type);
  bool DeleteItem(const StoreGuid& type, const StoreGuid& subtype, std::string_view item);

 private:
  platform::System& system_;
  std::unique_ptr<platform::ProtectedStore> provider_;
};

}  // namespace norvik::stores
