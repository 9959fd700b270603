#pragma once
// What the program reaches of the browser's stores: the WinInet cache entries, the
// shell's URL history object and the Protected Storage service. Each is opened through
// platform::System and closed with the object it gives.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace norvik::platform {

// One walk of the WinInet cache (FindFirstUrlCacheEntry / FindNextUrlCacheEntry).
class UrlCacheWalk {
 public:
  virtual ~UrlCacheWalk() = default;
  // The next entry's source URL; kErrNoMoreItems at the end, another code on failure.
  virtual Result<std::string> Next() = 0;
};

// The shell's URL history store (IUrlHistoryStg2), with one enumeration of its
// addresses. COM stays initialised on the calling thread while the object lives.
class UrlHistory {
 public:
  virtual ~UrlHistory() = default;
  // The next address; kErrNoMoreItems at the end, another code on failure.
  virtual Result<std::string> Next() = 0;
  // DeleteUrl with flags 0; any answer but S_OK is a failure.
  virtual Status Delete(std::string_view url) = 0;
};

// A type or subtype identifier of the Protected Storage service.
using StoreGuid = std::array<std::uint8_t, 16>;

// Elements of one Protected Storage enumeration, handed out in asks of a given size.
template <typename T>
class StoreEnumerator {
 public:
  virtual ~StoreEnumerator() = default;
  // Up to `max` elements; none at the end.
  virtual std::vector<T> Next(std::size_t max) = 0;
};

// The provider interface of the current user's store (key 0), as PStoreCreateInstance
// gives it. Item names are UTF-8 here and wide text in the service.
class ProtectedStore {
 public:
  virtual ~ProtectedStore() = default;
  virtual Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumTypes() = 0;
  virtual Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumSubtypes(const StoreGuid& type) = 0;
  virtual Result<std::unique_ptr<StoreEnumerator<std::string>>> EnumItems(const StoreGuid& type,
                                                                            const StoreGuid& subtype) = 0;
  // GetTypeInfo's display name.
  virtual Result<std::string> TypeName(const StoreGuid& type) = 0;
  virtual Status DeleteItem(const StoreGuid& type, const StoreGuid& subtype, std::string_view item) = 0;
};

}  // namespace norvik::platform
