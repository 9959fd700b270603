#include "cleaners/chrome_cleaners.h"

#include <set>
#include <string>

#include "cleaners/browser_files.h"
#include "cleaning/deletion_primitives.h"
#include "platform/text_encoding.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

// Below Local AppData; only the Default profile is cleaned.
constexpr std::string_view kProfileFolder = "Google\\Chrome\\User Data\\Default\\";
constexpr std::string_view kHistoryIndex = "History Index";

constexpr TableStatement kShortcutRows[] = {{"omni_box_shortcuts", "DELETE FROM omni_box_shortcuts"}};
constexpr TableStatement kLoginRows[] = {{"logins", "DELETE FROM logins"}};
constexpr TableStatement kDownloadRows[] = {{"downloads", "DELETE FROM downloads"}};
constexpr TableStatement kFormRows[] = {
    {"autofill", "DELETE FROM autofill"},
    {"autofill_dates", "DELETE FROM autofill_dates"},
    {"autofill_profile_emails", "DELETE FROM autofill_profile_emails"},
    {"autofill_profile_names", "DELETE FROM autofill_profile_names"},
    {"autofill_profile_phones", "DELETE FROM autofill_profile_phones"},
    {"autofill_profiles", "DELETE FROM autofill_profiles"},
    {"autofill_profiles_trash", "DELETE FROM autofill_profiles_trash"},
};

// The Default profile with its trailing backslash; empty when there is none.
std::string Profile(RunContext& worker) {
  const std::string local = LocalAppDataFolder(worker);
  return local.empty() ? local : ExistingFolder(worker, local + std::string(kProfileFolder));
}

// A Chrome item: nothing at all without the Default profile.
template <typename Step>
cleaning::Cleaner WithProfile(Step step) {
  return [step](RunContext& worker) {
    const std::string profile = Profile(worker);
    if (!profile.empty()) step(worker, profile);
  };
}

void Cache(RunContext& worker, const std::string& profile) {
  const std::string cache = profile + "Cache";
  if (!cleaning::FolderExists(worker.platform().files, cache)) return;
  std::int64_t bytes = cleaning::DeleteFolderContents(worker, cache, false, true, "", worker.ItemCount);
  bytes += cleaning::DeleteFolderContents(worker, profile + "Media Cache", false, true, "", worker.ItemCount);
  worker.SetItemSize(bytes);
}

// The history index files Chrome names by month ("History Index 2010-05"), found in
// the profile folder itself; a companion counts under its database's name.
std::set<std::string> HistoryIndexNames(RunContext& worker, const std::string& profile) {
  std::set<std::string> names;
  auto found = worker.platform().files.FindFirst(profile + "*");
  if (!found) return names;
  const std::string wanted = platform::UpperCase(kHistoryIndex);
  platform::FindHandle& rest = found->rest;
  for (auto entry = platform::Result<platform::FindData>(std::move(found->first)); entry; entry = rest.Next()) {
    if (entry->is_directory() || entry->is_reparse_point()) continue;
    if (platform::UpperCase(entry->name).find(wanted) == std::string::npos) continue;
    std::string name = entry->name;
    for (const std::string_view suffix : kDatabaseCompanions) {
      if (name.ends_with(suffix)) name.resize(name.size() - suffix.size());
    }
    names.insert(std::move(name));
  }
  return names;
}

void History(RunContext& worker, const std::string& profile) {
  std::int64_t bytes = DeleteFilesByMasks(worker, profile,
                                          {"Archived History", "History", "Thumbnails", "Visited Links", "Current Tabs",
                                           "Last Tabs", "Top Sites", "History Provider Cache", "Network Action Predictor"},
                                          true);
  for (const std::string& name : HistoryIndexNames(worker, profile)) {
    if (worker.Stopped()) break;
    bytes += DeleteFilesByMasks(worker, profile, {name}, true);
  }
  worker.SetItemSize(bytes);
  DeleteRows(worker, profile + "Shortcuts", kShortcutRows);
}

void Logins(RunContext& worker, const std::string& profile) {
  DeleteRows(worker, profile + "Web Data", kLoginRows);
  worker.SetItemSize(DeleteFilesByMasks(worker, profile, {"Login Data"}, true));
}

}  // namespace

void RegisterChromeCleaners(cleaning::CleanerTable& table) {
  table.Register("Google Chrome - Temporary Internet Files", WithProfile(Cache));
  table.Register("Google Chrome - Cookies", WithProfile([](RunContext& worker, const std::string& profile) {
                   worker.SetItemSize(DeleteFilesByMasks(worker, profile, {"Cookies"}, true));
                 }));
  table.Register("Google Chrome - Visited URL History", WithProfile(History));
  table.Register("Google Chrome - Session", WithProfile([](RunContext& worker, const std::string& profile) {
                   worker.SetItemSize(DeleteFilesByMasks(worker, profile, {"Current Session", "Last Session"}, true));
                 }));
  table.Register("Google Chrome - Stored passwords in Forms", WithProfile(Logins));
  table.Register("Google Chrome - Saved Form Information",
                 WithProfile([](RunContext& worker, const std::string& profile) {
                   DeleteRows(worker, profile + "Web Data", kFormRows);
                 }));
  table.Register("Google Chrome - Download History", WithProfile([](RunContext& worker, const std::string& profile) {
                   DeleteRows(worker, profile + "History", kDownloadRows);
                 }));
  table.Register("Google Chrome - Local Storage", WithProfile([](RunContext& worker, const std::string& profile) {
                   worker.SetItemSize(cleaning::DeleteFolderContents(worker, profile + "Local Storage", false, true, "",
                                                                     worker.ItemCount));
                 }));
}

}  // namespace norvik::cleaners
