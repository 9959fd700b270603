#pragma once
// The simulated browser stores and clock: WinInet cache entries, the URL history
// object, the Protected Storage service, and the local time. Part of SimSystem; tests
// reach it through SimSystem::internet(). Defaults: every store empty, the service
// missing (as on current Windows), local time = UTC, now.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace norvik::platform::sim {

struct SimStoreSubtype {
  StoreGuid id{};
  std::vector<std::string> items;
};
struct SimStoreType {
  StoreGuid id{};
  std::string name;  // the display name GetTypeInfo gives
  std::vector<SimStoreSubtype> subtypes;
};

class SimInternet {
 public:
  // The cache's source URLs in walk order; the walk then ends with `end_code`
  // (kErrNoMoreItems normally, another code for a failing cache).
  void SetUrlCache(std::vector<std::string> urls, std::uint32_t end_code = kErrNoMoreItems);
  std::vector<std::string> UrlCache() const;
  // The history's addresses; nullopt: the object cannot be created.
  void SetUrlHistory(std::optional<std::vector<std::string>> urls);
  std::vector<std::string> UrlHistoryUrls() const;
  // Every DeleteUrl answers S_FALSE.
  void SetUrlHistoryDeleteFails(bool fails);
  // Whether pstorec.dll is there, and whether PStoreCreateInstance then succeeds.
  void SetProtectedStorage(bool available, bool connects = true);
  void SetStoreTypes(std::vector<SimStoreType> types);
  std::vector<SimStoreType> StoreTypes() const;
  // The `max` of every enumerator ask so far.
  std::vector<std::size_t> EnumeratorAsks() const;
  // GetLocalTime answers this from now on (nullopt: the host clock, shifted).
  void SetLocalNow(std::optional<CalendarTime> now);
  // Local time minus UTC, for FileTimeToLocalFileTime and the host clock.
  void SetUtcOffsetMinutes(int minutes);

  CalendarTime LocalNow();
  Result<CalendarTime> FileTimeToLocal(FileTime time);
  // "yyyy-mm-dd" and " hh:mm:ss" with the time.
  std::string FormatDateTime(const CalendarTime& time, bool with_time);
  Result<std::unique_ptr<UrlCacheWalk>> WalkUrlCache();
  Status DeleteCacheEntry(std::string_view url);
  Result<std::unique_ptr<UrlHistory>> OpenUrlHistory();
  bool ProtectedStorageAvailable();
  Result<std::unique_ptr<ProtectedStore>> ConnectProtectedStorage();

 private:
  class Store;
  friend class Store;

  mutable std::mutex mutex_;
  std::vector<std::string> cache_;
  std::uint32_t cache_end_code_ = kErrNoMoreItems;
  std::optional<std::vector<std::string>> history_ = std::vector<std::string>{};
  bool history_delete_fails_ = false;
  bool store_available_ = false;
  bool store_connects_ = true;
  std::vector<SimStoreType> store_;
  std::vector<std::size_t> asks_;
  std::optional<CalendarTime> now_;
  int utc_offset_minutes_ = 0;
};

// 100-ns ticks since 1601 <-> calendar fields (proleptic Gregorian, UTC).
CalendarTime CalendarFromFileTime(FileTime time);
FileTime FileTimeFromCalendar(const CalendarTime& time);

}  // namespace norvik::platform::sim
