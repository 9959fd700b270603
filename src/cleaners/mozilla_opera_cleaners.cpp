#include "cleaners/mozilla_opera_cleaners.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cleaners/browser_files.h"
#include "cleaning/deletion_primitives.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

constexpr std::string_view kFirefoxProfiles = "Mozilla\\Firefox\\Profiles";
constexpr std::string_view kNetscapeProfiles = "Netscape\\NSB\\Profiles";
constexpr std::string_view kNetscapeProfile = "pbzik8cu.default";
constexpr std::string_view kOperaFolder = "Opera\\";
constexpr std::string_view kOperaCache = "profile\\cache4";
// Only profiles whose path holds this are opened for their history rows.
constexpr std::string_view kDefaultProfileMark = ".default";

// Every visited place that is not the target of a bookmark goes, then every visit.
constexpr TableStatement kPlacesRows[] = {
    {"moz_places", "DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks where fk is not null)"},
    {"moz_historyvisits", "DELETE FROM moz_historyvisits"},
};

using FolderLookup = std::function<std::string(RunContext&)>;

std::string FirefoxProfiles(RunContext& worker) {
  return ExistingFolder(worker, cleaning::AppDataFolder(worker.platform()) + std::string(kFirefoxProfiles));
}

std::string FirefoxLocalProfiles(RunContext& worker) {
  const std::string local = LocalAppDataFolder(worker);
  return local.empty() ? local : ExistingFolder(worker, local + std::string(kFirefoxProfiles));
}

// The fixed profile name when it exists, else the first profile marked ".default";
// empty when there is neither.
std::string NetscapeProfile(RunContext& worker) {
  const std::string profiles = ExistingFolder(worker, cleaning::AppDataFolder(worker.platform()) + std::string(kNetscapeProfiles));
  if (profiles.empty()) return profiles;
  if (std::string fixed = ExistingFolder(worker, profiles + std::string(kNetscapeProfile)); !fixed.empty()) return fixed;
  for (const std::string& name : SubfolderNames(worker, profiles)) {
    if ((profiles + name).find(kDefaultProfileMark) != std::string::npos) return profiles + name + "\\";
  }
  return {};
}

std::string OperaFolder(RunContext& worker) {
  return ExistingFolder(worker, cleaning::AppDataFolder(worker.platform()) + std::string(kOperaFolder));
}

std::string OperaLocalFolder(RunContext& worker) {
  const std::string local = LocalAppDataFolder(worker);
  return local.empty() ? local : ExistingFolder(worker, local + std::string(kOperaFolder));
}

// An item that deletes files by name below one folder.
cleaning::Cleaner Masks(FolderLookup folder, std::initializer_list<std::string_view> masks, bool descend) {
  return [folder = std::move(folder), masks = std::vector<std::string_view>(masks), descend](RunContext& worker) {
    const std::string base = folder(worker);
    if (base.empty()) return;
    std::int64_t bytes = 0;
    for (const std::string_view mask : masks) bytes += DeleteFilesByMasks(worker, base, {mask}, descend);
    worker.SetItemSize(bytes);
  };
}

// Empties `cache` below each subfolder of `folder`; the caches themselves stay.
std::int64_t EmptyProfileCaches(RunContext& worker, const std::string& folder, std::string_view cache, bool log) {
  std::int64_t bytes = 0;
  for (const std::string& name : SubfolderNames(worker, folder)) {
    if (worker.Stopped()) break;
    const std::string path = folder + name + "\\" + std::string(cache);
    if (cleaning::FolderExists(worker.platform().files, path)) {
      bytes += cleaning::DeleteFolderContents(worker, path, false, log, "", worker.ItemCount);
    }
  }
  return bytes;
}

void WritePleaseWait(RunContext& worker) {
  if (!worker.IsTest() && !worker.options().ShowLogTempInternetFiles) {
    worker.AppendLine(std::string(kPleaseWaitLine));
  }
}

void FirefoxHistory(RunContext& worker) {
  const std::string profiles = FirefoxProfiles(worker);
  if (profiles.empty()) return;
  worker.SetItemSize(DeleteFilesByMasks(worker, profiles, {"history.dat"}, true));
  if (worker.IsTest()) return;
  for (const std::string& name : SubfolderNames(worker, profiles)) {
    if (worker.Stopped()) break;
    const std::string profile = profiles + name;
    if (profile.find(kDefaultProfileMark) != std::string::npos) DeleteRows(worker, profile + "\\places.sqlite", kPlacesRows);
  }
}

void FirefoxCache(RunContext& worker) {
  WritePleaseWait(worker);
  const bool log = worker.options().ShowLogTempInternetFiles;
  std::int64_t bytes = 0;
  for (const std::string& folder : {FirefoxProfiles(worker), FirefoxLocalProfiles(worker)}) {
    if (!folder.empty()) bytes += EmptyProfileCaches(worker, folder, "Cache", log);
  }
  worker.SetItemSize(bytes);
}

void NetscapeCache(RunContext& worker) {
  WritePleaseWait(worker);
  const std::string profile = NetscapeProfile(worker);
  if (profile.empty() || !cleaning::FolderExists(worker.platform().files, profile + "Cache")) return;
  worker.SetItemSize(cleaning::DeleteFolderContents(worker, profile + "Cache", false,
                                                    worker.options().ShowLogTempInternetFiles, "", worker.ItemCount));
}

// Without the roaming Opera folder the local one is not looked at either.
void OperaCache(RunContext& worker) {
  const std::string opera = OperaFolder(worker);
  if (opera.empty()) return;
  std::int64_t bytes = EmptyProfileCaches(worker, opera, kOperaCache, true);
  if (const std::string local = OperaLocalFolder(worker); !local.empty()) {
    bytes += EmptyProfileCaches(worker, local, kOperaCache, true);
  }
  worker.SetItemSize(bytes);
}

}  // namespace

void RegisterMozillaOperaCleaners(cleaning::CleanerTable& table) {
  table.Register("Mozilla Firefox - Cookies", Masks(FirefoxProfiles, {"cookies*.txt", "cookies.sqlite"}, true));
  table.Register("Mozilla Firefox - Visited URL History", FirefoxHistory);
  table.Register("Mozilla Firefox - Temporary Internet Files", FirefoxCache);
  table.Register("Mozilla Firefox - Download Manager",
                 Masks(FirefoxProfiles, {"downloads.rdf", "downloads.sqlite"}, true));
  table.Register("Mozilla Firefox - Autocomplete History", Masks(FirefoxProfiles, {"signons.txt", "signons3.txt"}, true));
  table.Register("Mozilla Firefox - Preferences", Masks(FirefoxProfiles, {"prefs.js"}, true));
  table.Register("Mozilla Firefox - Saved Form Information",
                 Masks(FirefoxProfiles, {"formhistory.dat", "formhistory.sqlite"}, true));
  table.Register("Netscape - Cookies", Masks(NetscapeProfile, {"cookies*.txt"}, false));
  table.Register("Netscape - Temporary Internet Files", NetscapeCache);
  table.Register("Netscape - Visited URL History", Masks(NetscapeProfile, {"history.dat"}, false));
  table.Register("Netscape - Preferences", Masks(NetscapeProfile, {"prefs.js"}, false));
  table.Register("Netscape - Saved Form Information", Masks(NetscapeProfile, {"formhistory.dat"}, false));
  table.Register("Opera - Temporary Internet Files", OperaCache);
  table.Register("Opera - Cookies", Masks(OperaFolder, {"cookies4.dat"}, true));
  table.Register("Opera - Visited URL History", Masks(OperaFolder, {"global.dat", "vlink4.dat", "autosave.win"}, true));
  table.Register("Opera - Recently Typed URLs", Masks(OperaFolder, {"opera.dir", "typed_history.xml"}, true));
  table.Register("Opera - Autocomplete History", Masks(OperaFolder, {"wand.dat"}, true));
  table.Register("Opera - Transfers", Masks(OperaFolder, {"download.dat"}, true));
}

}  // namespace norvik::cleaners
