#include "cleaners/windows_cleaners.h"

#include <cstdint>
#include <initializer_list>
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

// The recycle bin: each fixed drive's bin folder, walked only when it holds both marker
// files, which the walk itself never deletes.
constexpr std::string_view kRecycleBinFolder = ":\\Recycled";
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

// The marker files in any letter case.
bool IsBinMarker(std::string_view name) {
  const std::string upper = platform::UpperCase(name);
  return upper == platform::UpperCase(kRecycleBinIndex) || upper == platform::UpperCase(kRecycleBinDesktopIni);
}

// One drive's bin: its files one by one, its folders through the folder primitive.
void WalkRecycleBin(RunContext& worker, const std::string& bin) {
  platform::Files& files = worker.platform().files;
  for (const std::string_view marker : {kRecycleBinIndex, kRecycleBinDesktopIni}) {
    if (!files.GetAttributes(bin + "\\" + std::string(marker)).ok()) return;
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
    } else if (!IsBinMarker(entry->name) && cleaning::DeleteOneFile(worker, path, log)) {
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
  for (char letter = 'c'; letter <= 'z' && !worker.Stopped(); ++letter) {
    const std::string drive(1, letter);
    if (worker.platform().files.GetDriveType(drive + ":\\") != platform::DriveType::Fixed) continue;
    WalkRecycleBin(worker, drive + std::string(kRecycleBinFolder));
  }
  // The shell empties every bin, including those the walk does not know.
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
