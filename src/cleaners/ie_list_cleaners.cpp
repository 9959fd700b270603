#include "cleaners/ie_list_cleaners.h"

#include <cstdint>
#include <string>
#include <vector>

#include "cleaning/deletion_primitives.h"
#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "formats/index_dat.h"
#include "platform/text_encoding.h"
#include "stores/protected_storage.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

constexpr std::string_view kIeKey = "Software\\Microsoft\\Internet Explorer";
constexpr std::string_view kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr std::string_view kSearchBarKey =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
constexpr std::string_view kDownloadValue = "Download Directory";
constexpr std::string_view kFormStoreKeys[] = {
    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1",
    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2",
};
constexpr std::string_view kIeStoreType = "Internet Explorer";
constexpr std::string_view kRebootWarning = "Warning: This will take effect next time windows is rebooted.";
constexpr std::string_view kWininit = "Wininit.ini";
constexpr std::string_view kRenameHeader = "[rename]";

void TypedUrls(RunContext& worker) {
  if (!worker.options().FastScan) {
    core::RegistryAccess reg(worker.platform().registry);
    reg.SetRootKey(platform::RegRoot::CurrentUser);
    reg.SetAccess(platform::reg_access::kRead);
    std::vector<std::string> names;
    if (reg.OpenKey(kTypedUrlsKey, false) && reg.GetValueNames(names)) {
      for (const std::string& name : names) {
        const std::string url =
            core::ReadRegString(worker.platform().registry, platform::RegRoot::CurrentUser, kTypedUrlsKey, name);
        worker.AppendDetail(cleaning::kDeletingWord, url);
      }
      worker.ScrollLog(0);
    }
  }
  worker.ItemCount = cleaning::DeleteUserRegKey(worker, kTypedUrlsKey);
  worker.ItemCount += cleaning::DeleteUserRegKey(worker, std::string(kSearchBarKey) + "FilesNamedMRU");
  worker.ItemCount += cleaning::DeleteUserRegKey(worker, std::string(kSearchBarKey) + "ContainingTextMRU");
}

// The 95 family's pending removals: three "url=" lines right below the first rename
// header (so in reverse order), or a new header with the lines in order at the end.
void AddToWininit(platform::Files& files, const std::vector<std::string>& entries) {
  const std::string path = cleaning::WithBackslash(files.WindowsFolder()) + std::string(kWininit);
  std::vector<std::string> lines = core::ReadTextLines(files, path);
  const std::string header = platform::UpperCase(kRenameHeader);
  auto found = std::find_if(lines.begin(), lines.end(),
                            [&](const std::string& line) { return platform::UpperCase(line) == header; });
  if (found == lines.end()) {
    lines.emplace_back(kRenameHeader);
    lines.insert(lines.end(), entries.begin(), entries.end());
  } else {
    const auto at = found - lines.begin() + 1;
    for (const std::string& entry : entries) lines.insert(lines.begin() + at, entry);
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  auto file = files.Open(path, platform::FileAccess::Write, platform::file_share::kNone,
                         platform::FileDisposition::CreateAlways);
  if (file) (void)file->WriteAll(text);
}

void IndexDatFiles(RunContext& worker) {
  worker.AppendLine(std::string(kRebootWarning));
  platform::Platform platform = worker.platform();
  const std::string paths[] = {
      cleaning::SessionFolder(platform, platform::csidl::kCookies) + "\\index.dat",
      cleaning::InternetCacheFolder(platform) + "\\Content.IE5\\index.dat",
      cleaning::SessionFolder(platform, platform::csidl::kHistory) + "\\History.IE5\\index.dat",
  };
  std::int64_t bytes = 0;
  for (const std::string& path : paths) bytes += static_cast<std::int64_t>(core::FileSizeOf(platform.files, path));
  worker.SetItemSize(bytes);
  worker.ItemCount = bytes > 0 ? 3 : 0;
  if (worker.IsTest()) return;
  for (const std::string& path : paths) {
    // A folder the shell cannot name leaves a relative path: never touched.
    if (!cleaning::IsAbsoluteFolder(path)) continue;
    formats::OverwriteIndexDat(platform.files, path, worker.options().IsWipeFile, worker.options().WipeNumber);
  }
  if (core::Is9xFamily(worker.OsCode())) {
    std::vector<std::string> entries;
    for (const std::string& path : paths) entries.push_back("url=" + core::ShortPathOf(platform.files, path));
    AddToWininit(platform.files, entries);
    return;
  }
  for (const std::string& path : paths) {
    auto attributes = platform.files.GetAttributes(path);
    const bool exists = attributes && (*attributes & platform::file_attr::kDirectory) == 0;
    if (cleaning::IsAbsoluteFolder(path) && exists) (void)platform.files.DeleteOnReboot(path);
  }
}

void DownloadLocation(RunContext& worker) {
  worker.ItemCount += cleaning::DeleteUserRegValue(worker, kIeKey, kDownloadValue);
}

void Autocomplete(RunContext& worker) {
  stores::TPStorage store(worker.platform().system);
  if (!store.Available() || !store.Connect()) return;
  for (const stores::StoreGuid& type : store.Types()) {
    if (store.TypeName(type) != kIeStoreType) continue;
    for (const stores::StoreGuid& subtype : store.Subtypes(type)) {
      const stores::TItemList items = store.Items(type, subtype);
      // Each entry keeps a pair of items (the text and its index), a lone one counts.
      worker.ItemCount += items.size() == 1 ? 1 : static_cast<std::uint32_t>(items.size() / 2);
      for (const std::string& item : items) {
        if (item.starts_with("http://") && item.find("StringData") != std::string::npos) {
          worker.ReportWalkProgress(worker.ItemCount);
        }
        if (!worker.IsTest()) (void)store.DeleteItem(type, subtype, item);
      }
    }
  }
  for (const std::string_view key : kFormStoreKeys) worker.ItemCount += cleaning::DeleteUserRegKey(worker, key);
}

}  // namespace

void RegisterIeListCleaners(cleaning::CleanerTable& table) {
  table.Register("Internet Explorer - Recently Typed URLs", TypedUrls);
  table.Register("Internet Explorer - Index.dat Files", IndexDatFiles);
  table.Register("Internet Explorer - Last Download Location", DownloadLocation);
  table.Register("Internet Explorer - Autocomplete History", Autocomplete);
}

}  // namespace norvik::cleaners
