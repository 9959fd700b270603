#include "cleaners/ie_cleaners.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>

#include "cleaners/ie_list_cleaners.h"
#include "cleaning/deletion_primitives.h"
#include "formats/index_dat.h"
#include "platform/text_encoding.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

constexpr std::string_view kCookiesIni = "Cookies.ini";
constexpr std::string_view kKeepSection = "Cookies to Keep";
constexpr std::string_view kKeepCount = "Count";
constexpr std::string_view kFallbackCookies = "c:\\windows\\cookies";
// Protected mode keeps its cookies and history in a "Low" subfolder.
constexpr std::string_view kLowFolder = "Low";
constexpr std::string_view kCacheIndex = "Content.IE5\\index.dat";
constexpr std::string_view kHistoryStore = "History.IE5";
constexpr std::string_view kLowHistoryStore = "Low\\History.IE5";
constexpr std::string_view kIndexName = "index.dat";
// Today's history container is named after this prefix and the local date.
constexpr std::string_view kDayContainerPrefix = "MSHist01";
constexpr std::string_view kCacheWaitLine = "Clearing, please wait...";
constexpr std::string_view kHttp = "http://";
constexpr int kHistoryScrollInterval = 50;

void Overwrite(RunContext& worker, const std::string& path) {
  formats::OverwriteIndexDat(worker.platform().files, path, worker.options().IsWipeFile, worker.options().WipeNumber);
}

// Plain entries of a folder (no links), files or folders as asked.
template <typename Visit>
void ForEachEntry(platform::Files& files, const std::string& folder, bool folders, Visit visit) {
  auto found = files.FindFirst(cleaning::WithBackslash(folder) + "*");
  if (!found) return;
  platform::FindHandle& rest = found->rest;
  for (auto entry = platform::Result<platform::FindData>(std::move(found->first)); entry; entry = rest.Next()) {
    if (entry->is_dot() || entry->is_reparse_point() || entry->is_directory() != folders) continue;
    if (!visit(*entry)) return;
  }
}

void TemporaryInternetFiles(RunContext& worker) {
  const bool log = worker.options().ShowLogTempInternetFiles;
  if (!worker.IsTest() && !log) worker.AppendLine(std::string(kCacheWaitLine));
  const std::string cache = cleaning::InternetCacheFolder(worker.platform());
  if (!cleaning::IsAbsoluteFolder(cache) || !cleaning::FolderExists(worker.platform().files, cache)) return;
  // A Test leaves the index files out: they are in use while the browser runs.
  const std::string_view excluded = worker.IsTest() ? kIndexName : "";
  worker.SetItemSize(cleaning::DeleteFolderContents(worker, cache, false, log, excluded, worker.ItemCount));
  if (!worker.IsTest()) Overwrite(worker, cleaning::WithBackslash(cache) + std::string(kCacheIndex));
}

// The cookie folder: the shell's, else the old fixed one; its Low subfolder when only
// that holds cookies. Empty when there is none.
std::string CookieFolder(RunContext& worker) {
  platform::Files& files = worker.platform().files;
  std::string folder = cleaning::SessionFolder(worker.platform(), platform::csidl::kCookies);
  if (!cleaning::IsAbsoluteFolder(folder) || !cleaning::FolderExists(files, folder)) {
    folder = std::string(kFallbackCookies);
    if (!cleaning::FolderExists(files, folder)) return {};
  }
  const auto has_cookies = [&files](const std::string& in) { return files.FindFirst(in + "\\*.txt").ok(); };
  const std::string low = cleaning::WithBackslash(folder) + std::string(kLowFolder);
  if (cleaning::FolderExists(files, low) && !has_cookies(folder) && has_cookies(low)) return low;
  return folder;
}

void Cookies(RunContext& worker) {
  const std::string folder = CookieFolder(worker);
  if (folder.empty()) return;
  const std::vector<std::string> keep = ReadCookieKeepList(worker.platform().ini, worker.Folders().data);
  std::int64_t bytes = 0;
  ForEachEntry(worker.platform().files, folder, false, [&](const platform::FindData& entry) {
    if (worker.Stopped()) return false;
    if (entry.name.find(".txt") == std::string::npos) return true;
    if (std::find(keep.begin(), keep.end(), entry.name) != keep.end()) return true;
    if (cleaning::DeleteOneFile(worker, cleaning::WithBackslash(folder) + entry.name, true)) {
      ++worker.ItemCount;
      bytes += static_cast<std::int64_t>(entry.size);
      worker.ReportWalkProgress(worker.ItemCount);
    }
    return true;
  });
  worker.SetItemSize(bytes);
  // The index names the kept cookies too, so it stays while any are kept.
  if (!worker.IsTest() && keep.empty()) Overwrite(worker, cleaning::WithBackslash(folder) + std::string(kIndexName));
}

// The URL history object's addresses; a failing delete ends the step.
void HistoryObject(RunContext& worker) {
  auto history = worker.platform().system.OpenUrlHistory();
  if (!history) return;
  for (auto url = (*history)->Next(); url && !worker.Stopped(); url = (*history)->Next()) {
    ++worker.ItemCount;
    if (!worker.options().FastScan) {
      worker.AppendDetail(cleaning::kDeletingWord, *url);
      worker.ScrollLog(kHistoryScrollInterval);
    }
    worker.ReportWalkProgress(worker.ItemCount);
    if (!worker.IsTest() && !(*history)->Delete(*url).ok()) return;
  }
}

// The WinInet cache entries of web pages.
void HistoryCacheEntries(RunContext& worker) {
  platform::System& system = worker.platform().system;
  auto walk = system.WalkUrlCache();
  if (!walk) return;
  for (auto url = (*walk)->Next(); url && !worker.Stopped(); url = (*walk)->Next()) {
    if (url->starts_with(kHttp)) {
      ++worker.ItemCount;
      if (!worker.options().FastScan) worker.AppendDetail(cleaning::kDeletingWord, *url);
      if (!worker.IsTest()) (void)system.DeleteCacheEntry(*url);
    }
    worker.ReportWalkProgress(worker.ItemCount);
  }
}

std::string DayContainerPrefix(platform::System& system) {
  const platform::CalendarTime today = system.LocalNow();
  char date[16];
  std::snprintf(date, sizeof date, "%04u%02u%02u", today.year % 10000u, today.month % 100u, today.day % 100u);
  return std::string(kDayContainerPrefix) + date;
}

// Vista and 7: every container of the protected-mode store but today's.
std::int64_t EmptyOldContainers(RunContext& worker, const std::string& store) {
  const std::string today = platform::UpperCase(DayContainerPrefix(worker.platform().system));
  std::vector<std::string> old;
  ForEachEntry(worker.platform().files, store, true, [&](const platform::FindData& entry) {
    if (platform::UpperCase(entry.name).find(today) == std::string::npos) old.push_back(entry.name);
    return true;
  });
  std::int64_t bytes = 0;
  for (const std::string& name : old) {
    if (worker.Stopped()) break;
    bytes += cleaning::DeleteFolderContents(worker, store + "\\" + name, true, true, "", worker.ItemCount);
  }
  return bytes;
}

// Every index.dat below `folder`'s subfolders, at any depth.
void OverwriteNestedIndexes(RunContext& worker, const std::string& folder, int depth) {
  if (depth >= platform::kMaxDeleteTreeDepth || worker.Stopped()) return;
  platform::Files& files = worker.platform().files;
  ForEachEntry(files, folder, true, [&](const platform::FindData& sub) {
    const std::string path = folder + "\\" + sub.name;
    ForEachEntry(files, path, false, [&](const platform::FindData& file) {
      if (platform::EqualsIgnoreCase(file.name, kIndexName)) Overwrite(worker, path + "\\" + file.name);
      return true;
    });
    OverwriteNestedIndexes(worker, path, depth + 1);
    return true;
  });
}

void VisitedHistory(RunContext& worker) {
  platform::Files& files = worker.platform().files;
  const std::string history = cleaning::SessionFolder(worker.platform(), platform::csidl::kHistory);
  HistoryObject(worker);
  HistoryCacheEntries(worker);
  if (!cleaning::IsAbsoluteFolder(history) || !cleaning::FolderExists(files, history)) return;
  std::string store;
  if (worker.OsCode() == 11 || worker.OsCode() == 12) {
    const std::string low = cleaning::WithBackslash(history) + std::string(kLowHistoryStore);
    if (cleaning::FolderExists(files, low)) worker.SetItemSize(EmptyOldContainers(worker, low));
    store = history;
  } else {
    store = cleaning::WithBackslash(history) + std::string(kHistoryStore);
    worker.SetItemSize(cleaning::DeleteFolderContents(worker, store, false, true, kIndexName, worker.ItemCount));
  }
  if (!worker.IsTest()) OverwriteNestedIndexes(worker, store, 0);
}

}  // namespace

std::vector<std::string> ReadCookieKeepList(platform::IniFiles& ini, const std::string& data_folder) {
  const std::string file = cleaning::WithBackslash(data_folder) + std::string(kCookiesIni);
  const std::string count_text = ini.GetString(file, kKeepSection, kKeepCount, "0");
  long long count = 0;
  std::from_chars(count_text.data(), count_text.data() + count_text.size(), count);
  std::vector<std::string> keep;
  // Only the keys that are there are read: a hostile Count cannot make this loop long.
  for (const std::string& key : ini.GetKeys(file, kKeepSection)) {
    unsigned long long n = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), n);
    const bool plain_number = error == std::errc() && end == key.data() + key.size() && (key == "0" || key[0] != '0');
    if (!plain_number || n >= static_cast<unsigned long long>(std::max(count, 0LL))) continue;
    std::string name = ini.GetString(file, kKeepSection, key, "");
    if (!name.empty()) keep.push_back(std::move(name));
  }
  return keep;
}

void RegisterIeCleaners(cleaning::CleanerTable& table) {
  table.Register("Internet Explorer - Temporary Internet Files", TemporaryInternetFiles);
  table.Register("Internet Explorer - Cookies", Cookies);
  table.Register("Internet Explorer - Visited URL History", VisitedHistory);
  RegisterIeListCleaners(table);
}

}  // namespace norvik::cleaners
