#include "cleaners/windows_cleaners.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "cleaning/deletion_primitives.h"
#include "platform/text_encoding.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

// HKEY_CURRENT_USER keys the registry items delete.
constexpr std::string_view kRecentDocsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
constexpr std::string_view kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr std::string_view kSearchAssistantKey = "Software\\Microsoft\\Search Assistant\\ACMru";
constexpr std::string_view kOpenSaveMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr std::string_view kMenuOrderKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder";
constexpr std::string_view kPaintRecentKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
constexpr std::string_view kUserAssistKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count",
};
constexpr std::string_view kTrayNotifyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
constexpr std::string_view kTrayNotifyValues[] = {"IconStreams", "PastIconsStream"};

// The recycle bin. The 95 family keeps one shared "Recycled" folder per drive, walked
// only when it holds both of its own files. NT keeps one folder per user, named by the
// user's SID, under "RECYCLER" (up to XP) or "$Recycle.Bin" (Vista on); only the current
// user's is walked. Neither the bin's own index (INFO2) nor its desktop.ini is ever
// counted or deleted: the shell's emptying keeps them too.
constexpr std::string_view kSharedBinFolder = "Recycled";
constexpr std::string_view kUserBinsUpToXp = "RECYCLER";
constexpr std::string_view kUserBinsFromVista = "$Recycle.Bin";
constexpr std::string_view kRecycleBinIndex = "INFO2";
constexpr std::string_view kRecycleBinDesktopIni = "desktop.ini";
// The line a Clean writes first when the bin's files are not listed one by one.
constexpr std::string_view kRecycleBinWaitLine = "Clearing, please wait...";

void RecentDocuments(RunContext& worker) {
  const std::string recent = cleaning::RecentFolder(worker.platform());
  worker.ItemCount = cleaning::DeleteUserRegKey(worker, kRecentDocsKey);
  // Without the folder the mask would apply to the current folder instead.
  if (!cleaning::IsAbsoluteFolder(recent)) return;
  worker.SetItemSize(cleaning::DeleteFilesByMask(worker, recent, "*.*", worker.ItemCount, false));
}

// The items that delete one or more whole keys and report the values they held.
cleaning::Cleaner DeleteKeys(std::initializer_list<std::string_view> keys) {
  return [keys = std::vector<std::string_view>(keys)](RunContext& worker) {
    std::uint32_t count = 0;
    for (const std::string_view key : keys) count += cleaning::DeleteUserRegKey(worker, key);
    worker.ItemCount = count;
  };
}

void TrayNotifications(RunContext& worker) {
  for (const std::string_view value : kTrayNotifyValues) {
    worker.ItemCount += cleaning::DeleteUserRegValue(worker, kTrayNotifyKey, value);
  }
}

// Where this system keeps the bin a Clean empties, below each drive's root.
struct BinPlace {
  std::string folder;      // below the root: "Recycled", "$Recycle.Bin\S-1-5-21-..."
  bool index_kept = true;  // INFO2 is the bin's own (95 family and 2000/XP)
  bool needs_markers = false;
};

// A SID's text is "S-" and digits and dashes; anything else must not become a path.
bool IsSidText(std::string_view sid) {
  return sid.size() > 2 && sid.starts_with("S-") && sid.find_first_not_of("0123456789-", 2) == std::string_view::npos;
}

std::optional<BinPlace> UsersBin(RunContext& worker) {
  platform::System& system = worker.platform().system;
  const platform::OsVersion version = system.GetVersion();
  if (version.platform_id == 1) return BinPlace{std::string(kSharedBinFolder), true, true};
  // Without the user's SID no folder is surely the user's own.
  auto sid = system.CurrentUserSid();
  if (!sid || !IsSidText(*sid)) return std::nullopt;
  const bool vista_on = version.major >= 6;
  return BinPlace{std::string(vista_on ? kUserBinsFromVista : kUserBinsUpToXp) + "\\" + *sid, !vista_on, false};
}

bool IsKeptInBin(std::string_view name, const BinPlace& place) {
  return platform::EqualsIgnoreCase(name, kRecycleBinDesktopIni) ||
         (place.index_kept && platform::EqualsIgnoreCase(name, kRecycleBinIndex));
}

// True when every folder from the drive's root down to the bin is a plain folder: a link
// on the way would lead the walk into another place.
bool IsPlainFolderPath(platform::Files& files, const std::string& root, std::string_view below) {
  std::string path = root;
  for (std::size_t start = 0; start <= below.size();) {
    const std::size_t end = std::min(below.find('\\', start), below.size());
    path += below.substr(start, end - start);
    const auto attributes = files.GetAttributes(path);
    if (!attributes || (*attributes & platform::file_attr::kDirectory) == 0 ||
        (*attributes & platform::file_attr::kReparsePoint) != 0) {
      return false;
    }
    path += '\\';
    start = end + 1;
  }
  return true;
}

// One drive's bin: its files one by one, its folders through the folder primitive.
void WalkRecycleBin(RunContext& worker, const std::string& root, const BinPlace& place) {
  platform::Files& files = worker.platform().files;
  if (!IsPlainFolderPath(files, root, place.folder)) return;
  const std::string bin = root + place.folder;
  if (place.needs_markers) {
    for (const std::string_view marker : {kRecycleBinIndex, kRecycleBinDesktopIni}) {
      if (!files.GetAttributes(bin + "\\" + std::string(marker)).ok()) return;
    }
  }
  auto found = files.FindFirst(bin + "\\*.*");
  if (!found) return;
  const bool log = worker.options().ShowLogRecycleBin;
  std::int64_t bytes = worker.ItemSize();
  platform::FindHandle& rest = found->rest;
  for (auto entry = platform::Result<platform::FindData>(std::move(found->first)); entry; entry = rest.Next()) {
    if (worker.Stopped()) break;
    // A link is neither followed nor counted: a Test must show what a Clean deletes.
    if (entry->is_dot() || entry->is_reparse_point()) continue;
    const std::string path = bin + "\\" + entry->name;
    if (entry->is_directory()) {
      bytes += cleaning::DeleteFolderContents(worker, path, true, log, "", worker.ItemCount);
    } else if (!IsKeptInBin(entry->name, place) && cleaning::DeleteOneFile(worker, path, log)) {
      ++worker.ItemCount;
      bytes += static_cast<std::int64_t>(entry->size);
      worker.ReportWalkProgress(worker.ItemCount);
    }
  }
  worker.SetItemSize(bytes);
}

void RecycleBin(RunContext& worker) {
  if (!worker.IsTest() && !worker.options().ShowLogRecycleBin) {
    worker.AppendLine(std::string(kRecycleBinWaitLine));
  }
  if (const std::optional<BinPlace> place = UsersBin(worker)) {
    for (char letter = 'c'; letter <= 'z' && !worker.Stopped(); ++letter) {
      const std::string root = std::string(1, letter) + ":\\";
      if (worker.platform().files.GetDriveType(root) != platform::DriveType::Fixed) continue;
      WalkRecycleBin(worker, root, *place);
    }
  }
  // The shell empties the user's bins, including those the walk does not know.
  if (!worker.IsTest()) (void)worker.platform().shell.EmptyRecycleBins();
}

void TemporaryFiles(RunContext& worker) {
  const std::string temp = worker.platform().files.TempFolder();
  // An unknown temp folder must not become the current folder.
  if (!cleaning::IsAbsoluteFolder(temp)) return;
  worker.SetItemSize(cleaning::DeleteFolderContents(worker, temp, false, true, "", worker.ItemCount));
}

void Clipboard(RunContext& worker) {
  // Nothing to count; a clipboard another program holds open stays as it is.
  if (!worker.IsTest()) (void)worker.platform().system.EmptyClipboard();
}

// Windows writes its dump as MEMORY.DMP; the exact-name mask takes the name the file
// system reports, so the dump is found in whatever letter case it was written.
std::string StoredName(platform::Files& files, const std::string& folder, std::string_view name) {
  auto found = files.FindFirst(folder + std::string(name));
  if (!found || found->first.is_directory()) return std::string(name);
  return found->first.name;
}

void MemoryDumps(RunContext& worker) {
  platform::Files& files = worker.platform().files;
  const std::string windows = cleaning::WithBackslash(files.WindowsFolder());
  if (!cleaning::IsAbsoluteFolder(windows)) return;
  std::int64_t bytes =
      cleaning::DeleteFilesByMask(worker, windows, StoredName(files, windows, "memory.dmp"), worker.ItemCount, false);
  bytes += cleaning::DeleteFilesByMask(worker, windows + "MiniDump", "*.dmp", worker.ItemCount, false);
  worker.SetItemSize(bytes);
}

void ChkdskFragments(RunContext& worker) {
  const std::string system = worker.platform().files.SystemFolder();
  if (!cleaning::IsAbsoluteFolder(system)) return;
  worker.SetItemSize(cleaning::DeleteFilesByMask(worker, system, "File*.chk", worker.ItemCount, false));
}

}  // namespace

void RegisterWindowsCleaners(cleaning::CleanerTable& table) {
  table.Register("Windows - Recent Documents", RecentDocuments);
  table.Register("Windows - Start Run", DeleteKeys({kRunMruKey}));
  table.Register("Windows - Search Assistant", DeleteKeys({kSearchAssistantKey}));
  table.Register("Windows - Empty Recycle Bin", RecycleBin);
  table.Register("Windows - Temporary Files", TemporaryFiles);
  table.Register("Windows - Clipboard", Clipboard);
  table.Register("Windows - Memory Dumps", MemoryDumps);
  table.Register("Windows - Chkdsk File Fragments", ChkdskFragments);
  table.Register("Advanced - Open File History", DeleteKeys({kOpenSaveMruKey}));
  table.Register("Advanced - Menu Order Cache", DeleteKeys({kMenuOrderKey}));
  table.Register("Advanced - Tray Notifications Cache", TrayNotifications);
  table.Register("Advanced - User Assist History", DeleteKeys({kUserAssistKeys[0], kUserAssistKeys[1]}));
  table.Register("Advanced - Paint", DeleteKeys({kPaintRecentKey}));
}

}  // namespace norvik::cleaners
