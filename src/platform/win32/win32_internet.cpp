// The browser stores and the clock over the real API: WinInet's URL cache, the shell's
// URL history object, the Protected Storage service (pstorec.dll, loaded at run time:
// current Windows no longer ships it) and the locale's date and time formats.
#include "platform/win32/windows_api.h"
#include <pstore.h>
#include <urlhist.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}, {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
constexpr GUID kUrlHistoryClass = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
constexpr GUID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
constexpr PST_KEY kCurrentUser = 0;

CalendarTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}
SYSTEMTIME ToSystemTime(const CalendarTime& t) {
  return {t.year, t.month, t.day_of_week, t.day, t.hour, t.minute, t.second, t.milliseconds};
}

StoreGuid FromGuid(const GUID& guid) {
  StoreGuid id;
  std::memcpy(id.data(), &guid, sizeof guid);
  return id;
}
GUID ToGuid(const StoreGuid& id) {
  GUID guid;
  std::memcpy(&guid, id.data(), sizeof guid);
  return guid;
}

// One FindFirst/FindNextUrlCacheEntry call with the buffer grown until the entry fits.
template <typename Call>
Result<std::string> CacheEntry(Call call) {
  std::vector<std::uint8_t> buffer(4096);
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    if (call(entry, &size)) return entry->lpszSourceUrlName ? Narrow(entry->lpszSourceUrlName) : std::string();
    const std::uint32_t error = LastError();
    if (error != kErrInsufficientBuffer) return Status(error);
    buffer.resize(std::max<std::size_t>(size, buffer.size() * 2));
  }
  return Status(kErrInsufficientBuffer);
}

class Win32UrlCacheWalk final : public UrlCacheWalk {
 public:
  Win32UrlCacheWalk(HANDLE find, std::string first) : find_(find), first_(std::move(first)) {}
  ~Win32UrlCacheWalk() override { ::FindCloseUrlCache(find_); }
  Win32UrlCacheWalk(const Win32UrlCacheWalk&) = delete;
  Win32UrlCacheWalk& operator=(const Win32UrlCacheWalk&) = delete;

  Result<std::string> Next() override {
    if (!started_) {
      started_ = true;
      return first_;
    }
    return CacheEntry([this](INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) {
      return ::FindNextUrlCacheEntryW(find_, entry, size) != FALSE;
    });
  }

 private:
  HANDLE find_;
  std::string first_;
  bool started_ = false;
};

class Win32UrlHistory final : public UrlHistory {
 public:
  Win32UrlHistory(unique_com<IUrlHistoryStg2> store, unique_com<IEnumSTATURL> urls)
      : store_(std::move(store)), urls_(std::move(urls)) {}

  Result<std::string> Next() override {
    STATURL stat{};
    stat.cbSize = sizeof stat;
    ULONG fetched = 0;
    const HRESULT hr = urls_->Next(1, &stat, &fetched);
    if (hr == S_FALSE || (SUCCEEDED(hr) && fetched == 0)) return Status(kErrNoMoreItems);
    if (FAILED(hr)) return Status(ErrorFromHresult(hr));
    std::string url = stat.pwcsUrl ? Narrow(stat.pwcsUrl) : std::string();
    ::CoTaskMemFree(stat.pwcsUrl);
    ::CoTaskMemFree(stat.pwcsTitle);
    return url;
  }
  Status Delete(std::string_view url) override {
    const auto wide = WideArg(url);
    if (!wide) return Status(kErrInvalidName);
    const HRESULT hr = store_->DeleteUrl(wide->c_str(), 0);
    if (hr == S_OK) return Status::Ok();
    return Status(hr == S_FALSE ? kErrNoMoreItems : ErrorFromHresult(hr));
  }

 private:
  scoped_com_init com_;  // first: lives longer than the interfaces below
  unique_com<IUrlHistoryStg2> store_;
  unique_com<IEnumSTATURL> urls_;
};

template <typename T, typename Enum>
class Win32StoreEnumerator final : public StoreEnumerator<T> {
 public:
  explicit Win32StoreEnumerator(unique_com<Enum> items) : items_(std::move(items)) {}
  std::vector<T> Next(std::size_t max) override {
    std::vector<T> out;
    if constexpr (std::is_same_v<T, StoreGuid>) {
      std::vector<GUID> got(max);
      DWORD fetched = 0;
      const HRESULT hr = items_->Next(static_cast<DWORD>(max), got.data(), &fetched);
      if (FAILED(hr)) return out;
      for (DWORD i = 0; i < fetched && i < max; ++i) out.push_back(FromGuid(got[i]));
    } else {
      std::vector<LPWSTR> got(max, nullptr);
      DWORD fetched = 0;
      const HRESULT hr = items_->Next(static_cast<DWORD>(max), got.data(), &fetched);
      if (FAILED(hr)) return out;
      for (DWORD i = 0; i < fetched && i < max; ++i) {
        out.push_back(got[i] ? Narrow(got[i]) : std::string());
        ::CoTaskMemFree(got[i]);
      }
    }
    return out;
  }

 private:
  unique_com<Enum> items_;
};

class Win32ProtectedStore final : public ProtectedStore {
 public:
  explicit Win32ProtectedStore(unique_com<IPStore> store) : store_(std::move(store)) {}

  Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumTypes() override {
    unique_com<IEnumPStoreTypes> types;
    return Guids(store_->EnumTypes(kCurrentUser, 0, types.put()), std::move(types));
  }
  Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> EnumSubtypes(const StoreGuid& type) override {
    const GUID t = ToGuid(type);
    unique_com<IEnumPStoreTypes> subtypes;
    return Guids(store_->EnumSubtypes(kCurrentUser, &t, 0, subtypes.put()), std::move(subtypes));
  }
  Result<std::unique_ptr<StoreEnumerator<std::string>>> EnumItems(const StoreGuid& type,
                                                                    const StoreGuid& subtype) override {
    const GUID t = ToGuid(type), s = ToGuid(subtype);
    unique_com<IEnumPStoreItems> items;
    const HRESULT hr = store_->EnumItems(kCurrentUser, &t, &s, 0, items.put());
    if (hr != S_OK || !items) return Status(ErrorFromHresult(hr == S_OK ? E_POINTER : hr));
    return std::unique_ptr<StoreEnumerator<std::string>>(
        std::make_unique<Win32StoreEnumerator<std::string, IEnumPStoreItems>>(std::move(items)));
  }
  Result<std::string> TypeName(const StoreGuid& type) override {
    const GUID t = ToGuid(type);
    PST_TYPEINFO* info = nullptr;
    const HRESULT hr = store_->GetTypeInfo(kCurrentUser, &t, &info, 0);
    if (hr != S_OK || info == nullptr) return Status(ErrorFromHresult(hr == S_OK ? E_POINTER : hr));
    std::string name = info->szDisplayName ? Narrow(info->szDisplayName) : std::string();
    ::CoTaskMemFree(info);
    return name;
  }
  Status DeleteItem(const StoreGuid& type, const StoreGuid& subtype, std::string_view item) override {
    const auto wide = WideArg(item);
    if (!wide) return Status(kErrInvalidName);
    const GUID t = ToGuid(type), s = ToGuid(subtype);
    PST_PROMPTINFO prompt{};
    prompt.cbSize = sizeof prompt;
    prompt.dwPromptFlags = PST_PF_NEVER_SHOW;
    prompt.szPrompt = L"";
    const HRESULT hr = store_->DeleteItem(kCurrentUser, &t, &s, wide->c_str(), &prompt, 0);
    return hr == S_OK ? Status::Ok() : Status(ErrorFromHresult(hr));
  }

 private:
  static Result<std::unique_ptr<StoreEnumerator<StoreGuid>>> Guids(HRESULT hr, unique_com<IEnumPStoreTypes> e) {
    if (hr != S_OK || !e) return Status(ErrorFromHresult(hr == S_OK ? E_POINTER : hr));
    return std::unique_ptr<StoreEnumerator<StoreGuid>>(
        std::make_unique<Win32StoreEnumerator<StoreGuid, IEnumPStoreTypes>>(std::move(e)));
  }

  unique_com<IPStore> store_;
};

using PStoreCreateInstanceFn = HRESULT(WINAPI*)(IPStore**, PST_PROVIDERID*, void*, DWORD);

// pstorec.dll, loaded once and kept for the life of the program.
PStoreCreateInstanceFn PStoreCreate() {
  static PStoreCreateInstanceFn create = [] {
    HMODULE module = ::LoadLibraryW(L"pstorec.dll");
    if (!module) return PStoreCreateInstanceFn{};
    auto fn = reinterpret_cast<PStoreCreateInstanceFn>(
        reinterpret_cast<void*>(::GetProcAddress(module, "PStoreCreateInstance")));
    if (!fn) ::FreeLibrary(module);
    return fn;
  }();
  return create;
}

}  // namespace

CalendarTime Win32System::LocalNow() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return FromSystemTime(st);
}

Result<CalendarTime> Win32System::FileTimeToLocal(FileTime time) {
  const FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  FILETIME local{};
  SYSTEMTIME st{};
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return Status(LastError());
  return FromSystemTime(st);
}

std::string Win32System::FormatDateTime(const CalendarTime& time, bool with_time) {
  const SYSTEMTIME st = ToSystemTime(time);
  wchar_t date[128] = {}, clock[128] = {};
  if (!::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128)) return std::string();
  std::string text = Narrow(date);
  if (with_time && ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, 128)) {
    text += ' ';
    text += Narrow(clock);
  }
  return text;
}

Result<std::unique_ptr<UrlCacheWalk>> Win32System::WalkUrlCache() {
  HANDLE find = nullptr;
  auto first = CacheEntry([&find](INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) {
    find = ::FindFirstUrlCacheEntryW(nullptr, entry, size);
    return find != nullptr;
  });
  if (!first) return first.status();
  return std::unique_ptr<UrlCacheWalk>(std::make_unique<Win32UrlCacheWalk>(find, std::move(*first)));
}

Status Win32System::DeleteCacheEntry(std::string_view url) {
  const auto wide = WideArg(url);
  if (!wide) return Status(kErrInvalidName);
  if (!::DeleteUrlCacheEntryW(wide->c_str())) return Status(LastError());
  return Status::Ok();
}

Result<std::unique_ptr<UrlHistory>> Win32System::OpenUrlHistory() {
  scoped_com_init com;  // keeps COM up while the object is made; the object holds its own
  unique_com<IUrlHistoryStg2> store;
  HRESULT hr = ::CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2, store.put_void());
  if (FAILED(hr) || !store) return Status(ErrorFromHresult(FAILED(hr) ? hr : E_POINTER));
  unique_com<IEnumSTATURL> urls;
  hr = store->EnumUrls(urls.put());
  if (FAILED(hr) || !urls) return Status(ErrorFromHresult(FAILED(hr) ? hr : E_POINTER));
  return std::unique_ptr<UrlHistory>(std::make_unique<Win32UrlHistory>(std::move(store), std::move(urls)));
}

bool Win32System::ProtectedStorageAvailable() { return PStoreCreate() != nullptr; }

Result<std::unique_ptr<ProtectedStore>> Win32System::ConnectProtectedStorage() {
  const PStoreCreateInstanceFn create = PStoreCreate();
  if (!create) return Status(kErrProcNotFound);
  unique_com<IPStore> store;
  const HRESULT hr = create(store.put(), nullptr, nullptr, 0);
  if (hr != S_OK || !store) return Status(ErrorFromHresult(hr == S_OK ? E_POINTER : hr));
  return std::unique_ptr<ProtectedStore>(std::make_unique<Win32ProtectedStore>(std::move(store)));
}

}  // namespace norvik::platform::win32
