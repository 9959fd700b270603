#include "platform/sim/sim_internet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace norvik::platform::sim {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerDay = 86'400 * kTicksPerSecond;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysTo1970 = 134'774;

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

template <typename T>
class ListEnumerator final : public StoreEnumerator<T> {
 public:
  ListEnumerator(std::vector<T> elements, std::vector<std::size_t>& asks, std::mutex& mutex)
      : elements_(std::move(elements)), asks_(asks), mutex_(mutex) {}
  std::vector<T> Next(std::size_t max) override {
    {
      std::lock_guard lock(mutex_);
      asks_.push_back(max);
    }
    const std::size_t n = std::min(max, elements_.size() - next_);
    std::vector<T> out(elements_.begin() + static_cast<std::ptrdiff_t>(next_),
                       elements_.begin() + static_cast<std::ptrdiff_t>(next_ + n));
    next_ += n;
    return out;
  }

 private:
  std::vector<T> elements_;
  std::size_t next_ = 0;
  std::vector<std::size_t>& asks_;
  std::mutex& mutex_;
};

class ListWalk final : public UrlCacheWalk {
 public:
  ListWalk(std::vector<std::string> urls, std::uint32_t end_code) : urls_(std::move(urls)), end_code_(end_code) {}
  Result<std::string> Next() override {
    if (next_ < urls_.size()) return urls_[next_++];
    return Status(end_code_);
  }

 private:
  std::vector<std::string> urls_;
  std::size_t next_ = 0;
  std::uint32_t end_code_;
};

}  // namespace

class SimInternet::Store final : public ProtectedStore {
 public:
  explicit Store(SimInternet& owner) : owner_(owner) {}

  Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumTypes() override {
    std::lock_guard lock(owner_.mutex_);
    std::vector<StoreGuid> ids;
    for (const auto& type : owner_.store_) ids.push_back(type.id);
    return Enumerator(std::move(ids));
  }
  Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumSubtypes(const StoreGuid& type) override {
    std::lock_guard lock(owner_.mutex_);
    const SimStoreType* found = FindType(type);
    if (found == nullptr) return Status(kErrFileNotFound);
    std::vector<StoreGuid> ids;
    for (const auto& subtype : found->subtypes) ids.push_back(subtype.id);
    return Enumerator(std::move(ids));
  }
  Result<std::unique_ptr<StoreEnumerator<std::string>>> EnumItems(const StoreGuid& type,
                                                                    const StoreGuid& subtype) override {
    std::lock_guard lock(owner_.mutex_);
    SimStoreSubtype* found = FindSubtype(type, subtype);
    if (found == nullptr) return Status(kErrFileNotFound);
    return Enumerator(found->items);
  }
  Result<std::string> TypeName(const StoreGuid& type) override {
    std::lock_guard lock(owner_.mutex_);
    const SimStoreType* found = FindType(type);
    if (found == nullptr) return Status(kErrFileNotFound);
    return found->name;
  }
  Status DeleteItem(const StoreGuid& type, const StoreGuid& subtype, std::string_view item) override {
    std::lock_guard lock(owner_.mutex_);
    SimStoreSubtype* found = FindSubtype(type, subtype);
    if (found == nullptr) return Status(kErrFileNotFound);
    auto it = std::find(found->items.begin(), found->items.end(), item);
    if (it == found->items.end()) return Status(kErrFileNotFound);
    found->items.erase(it);
    return Status::Ok();
  }

 private:
  template <typename T>
  std::unique_ptr<StoreEnumerator<T>> Enumerator(std::vector<T> elements) {
    return std::make_unique<ListEnumerator<T>>(std::move(elements), owner_.asks_, owner_.mutex_);
  }
  SimStoreType* FindType(const StoreGuid& id) {
    auto it = std::find_if(owner_.store_.begin(), owner_.store_.end(), [&](const auto& t) { return t.id == id; });
    return it == owner_.store_.end() ? nullptr : &*it;
  }
  SimStoreSubtype* FindSubtype(const StoreGuid& type, const StoreGuid& subtype) {
    SimStoreType* found = FindType(type);
    if (found == nullptr) return nullptr;
    auto it = std::find_if(found->subtypes.begin(), found->subtypes.end(),
                           [&](const auto& s) { return s.id == subtype; });
    return it == found->subtypes.end() ? nullptr : &*it;
  }

  SimInternet& owner_;
};

namespace {

class SimHistory final : public UrlHistory {
 public:
  SimHistory(std::vector<std::string> urls, std::vector<std::string>& store, bool delete_fails, std::mutex& mutex)
      : urls_(std::move(urls)), store_(store), delete_fails_(delete_fails), mutex_(mutex) {}
  Result<std::string> Next() override {
    if (next_ < urls_.size()) return urls_[next_++];
    return Status(kErrNoMoreItems);
  }
  Status Delete(std::string_view url) override {
    if (delete_fails_) return Status(kErrNoMoreItems);
    std::lock_guard lock(mutex_);
    auto it = std::find(store_.begin(), store_.end(), url);
    if (it != store_.end()) store_.erase(it);
    return Status::Ok();
  }

 private:
  std::vector<std::string> urls_;
  std::size_t next_ = 0;
  std::vector<std::string>& store_;
  bool delete_fails_;
  std::mutex& mutex_;
};

}  // namespace

CalendarTime CalendarFromFileTime(FileTime time) {
  const auto ticks = static_cast<std::int64_t>(time);
  const std::int64_t days = ticks / kTicksPerDay;
  std::int64_t rest = ticks % kTicksPerDay;
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days - kDaysTo1970, year, month, day);
  CalendarTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.day_of_week = static_cast<std::uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  t.hour = static_cast<std::uint16_t>(rest / (3600 * kTicksPerSecond));
  rest %= 3600 * kTicksPerSecond;
  t.minute = static_cast<std::uint16_t>(rest / (60 * kTicksPerSecond));
  rest %= 60 * kTicksPerSecond;
  t.second = static_cast<std::uint16_t>(rest / kTicksPerSecond);
  t.milliseconds = static_cast<std::uint16_t>(rest % kTicksPerSecond / 10'000);
  return t;
}

FileTime FileTimeFromCalendar(const CalendarTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) + kDaysTo1970;
  const std::int64_t seconds = days * 86'400 + t.hour * 3600 + t.minute * 60 + t.second;
  return static_cast<FileTime>(seconds * kTicksPerSecond + t.milliseconds * 10'000);
}

void SimInternet::SetUrlCache(std::vector<std::string> urls, std::uint32_t end_code) {
  std::lock_guard lock(mutex_);
  cache_ = std::move(urls);
  cache_end_code_ = end_code;
}
std::vector<std::string> SimInternet::UrlCache() const {
  std::lock_guard lock(mutex_);
  return cache_;
}
void SimInternet::SetUrlHistory(std::optional<std::vector<std::string>> urls) {
  std::lock_guard lock(mutex_);
  history_ = std::move(urls);
}
std::vector<std::string> SimInternet::UrlHistoryUrls() const {
  std::lock_guard lock(mutex_);
  return history_.value_or(std::vector<std::string>{});
}
void SimInternet::SetUrlHistoryDeleteFails(bool fails) {
  std::lock_guard lock(mutex_);
  history_delete_fails_ = fails;
}
void SimInternet::SetProtectedStorage(bool available, bool connects) {
  std::lock_guard lock(mutex_);
  store_available_ = available;
  store_connects_ = connects;
}
void SimInternet::SetStoreTypes(std::vector<SimStoreType> types) {
  std::lock_guard lock(mutex_);
  store_ = std::move(types);
}
std::vector<SimStoreType> SimInternet::StoreTypes() const {
  std::lock_guard lock(mutex_);
  return store_;
}
std::vector<std::size_t> SimInternet::EnumeratorAsks() const {
  std::lock_guard lock(mutex_);
  return asks_;
}
void SimInternet::SetLocalNow(std::optional<CalendarTime> now) {
  std::lock_guard lock(mutex_);
  now_ = now;
}
void SimInternet::SetUtcOffsetMinutes(int minutes) {
  std::lock_guard lock(mutex_);
  utc_offset_minutes_ = minutes;
}

CalendarTime SimInternet::LocalNow() {
  std::lock_guard lock(mutex_);
  if (now_) return *now_;
  const auto since_1970 = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
  const std::int64_t ticks = (kDaysTo1970 * 86'400'000 + since_1970 + utc_offset_minutes_ * 60'000LL) * 10'000;
  return CalendarFromFileTime(static_cast<FileTime>(ticks));
}

Result<CalendarTime> SimInternet::FileTimeToLocal(FileTime time) {
  std::lock_guard lock(mutex_);
  // Both conversions fail for values with the top bit set, as Windows' do.
  const std::int64_t local = static_cast<std::int64_t>(time) + utc_offset_minutes_ * 60LL * kTicksPerSecond;
  if (static_cast<std::int64_t>(time) < 0 || local < 0) return Status(kErrInvalidParameter);
  return CalendarFromFileTime(static_cast<FileTime>(local));
}

std::string SimInternet::FormatDateTime(const CalendarTime& t, bool with_time) {
  char text[48];
  if (with_time) {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.year, t.month, t.day);
  }
  return text;
}

Result<std::unique_ptr<UrlCacheWalk>> SimInternet::WalkUrlCache() {
  std::lock_guard lock(mutex_);
  if (cache_.empty()) return Status(cache_end_code_);
  return std::unique_ptr<UrlCacheWalk>(std::make_unique<ListWalk>(cache_, cache_end_code_));
}

Status SimInternet::DeleteCacheEntry(std::string_view url) {
  std::lock_guard lock(mutex_);
  auto it = std::find(cache_.begin(), cache_.end(), url);
  if (it == cache_.end()) return Status(kErrFileNotFound);
  cache_.erase(it);
  return Status::Ok();
}

Result<std::unique_ptr<UrlHistory>> SimInternet::OpenUrlHistory() {
  std::lock_guard lock(mutex_);
  if (!history_) return Status(kErrNotSupported);
  return std::unique_ptr<UrlHistory>(std::make_unique<SimHistory>(*history_, *history_, history_delete_fails_, mutex_));
}

bool SimInternet::ProtectedStorageAvailable() {
  std::lock_guard lock(mutex_);
  return store_available_;
}

Result<std::unique_ptr<ProtectedStore>> SimInternet::ConnectProtectedStorage() {
  std::lock_guard lock(mutex_);
  if (!store_available_) return Status(kErrProcNotFound);
  if (!store_connects_) return Status(kErrAccessDenied);
  return std::unique_ptr<ProtectedStore>(std::make_unique<Store>(*this));
}

}  // namespace norvik::platform::sim
