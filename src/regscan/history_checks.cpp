#include "regscan/history_checks.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"
#include "regscan/hive_scan.h"
#include "regscan/problem_row.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {
namespace {

using platform::UpperCase;

constexpr std::string_view kProblem = "Non-existent MRU and History Lists file";
constexpr std::string_view kOpenSaveKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr std::string_view kCountKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";
constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER\\";
constexpr std::size_t kMaxCounterBytes = 32768;

bool IsFile(platform::Files& files, const std::string& path) {
  const auto found = files.FindFirst(path);
  return found.ok() && !found->first.is_directory();
}

// A recent-file entry names a file with or without the extension its list is kept for.
bool RecentFilePresent(TScanTaskThread& scan, const std::string& text, const std::vector<std::string>& extensions) {
  const std::string upper = UpperCase(text);
  // An empty floppy drive is not touched: its entries are gone for now.
  if ((upper.starts_with("A:\\") && !scan.FloppyAReady) || (upper.starts_with("B:\\") && !scan.FloppyBReady)) {
    return false;
  }
  platform::Files& files = scan.platform().files;
  if (IsFile(files, text)) return true;
  return std::ranges::any_of(extensions, [&](const std::string& x) { return x != "*" && IsFile(files, text + "." + x); });
}

void ScanOpenSaveValues(TScanTaskThread& scan, const platform::RegKey& key) {
  const auto extensions = key.SubKeyNames();
  const auto names = key.ValueNames();
  if (!extensions || !names) return;
  const std::string upper_drives = UpperCase(scan.ScanDrives);
  for (const std::string& name : *names) {
    if (scan.Stopped()) return;
    const auto value = key.Query(name);
    if (!value || !value->IsString()) continue;
    const std::string text = value->AsString();
    if (text.size() < 3 || text.compare(1, 2, ":\\") != 0) continue;
    if (upper_drives.find(UpperCase(text.substr(0, 1))) == std::string::npos) continue;
    if (RecentFilePresent(scan, text, *extensions)) continue;
    if (name.find('\\') != std::string::npos) {
      scan.AddProblemRow(std::string(kProblem), name, std::string(kCurrentUser) + std::string(kOpenSaveKey),
                         kFixNamedValue);
    } else {
      scan.AddProblemRow(std::string(kProblem), text,
                         std::string(kCurrentUser) + std::string(kOpenSaveKey) + "\\" + name, kFixValuePath);
    }
  }
}

void ScanOpenSaveLists(TScanTaskThread& scan) {
  const auto key = scan.platform().registry.Root(platform::RegRoot::CurrentUser).Open(kOpenSaveKey);
  if (!key) return;
  scan.ShowKey(kOpenSaveKey);
  ScanOpenSaveValues(scan, *key);
  const auto extensions = key->SubKeyNames();
  if (!extensions) return;
  for (const std::string& x : *extensions) {
    if (scan.Stopped()) return;
    ScanKeyTreeValues(scan, "HKEY_CURRENT_USER", std::string(kOpenSaveKey) + "\\" + x, kProblem, "");
  }
}

// Explorer keeps one value per program started, its name in ROT13 and its use count in
// the data's second 32-bit word. A value too short to hold that word is judged by its
// name alone.
void ScanProgramCounters(TScanTaskThread& scan) {
  const auto key = scan.platform().registry.Root(platform::RegRoot::CurrentUser).Open(kCountKey);
  if (!key) return;
  scan.ShowKey(kCountKey);
  const auto names = key->ValueNames();
  if (!names) return;
  for (const std::string& name : *names) {
    if (scan.Stopped()) return;
    const auto value = key->Query(name);
    if (!value || value->data.size() >= kMaxCounterBytes) continue;
    const std::string plain = core::Rot13(name);
    bool missing = false;
    if (plain.find(".lnk") == std::string::npos) {
      if (const auto colon = plain.find(':'); colon != std::string::npos) {
        missing = scan.IsMissingFileReference(std::string_view(plain).substr(colon + 1), "", true);
      }
    }
    const auto& d = value->data;
    const bool unused = d.size() >= 8 && (d[4] | d[5] | d[6] | d[7]) == 0;
    if (unused || missing) {
      scan.AddProblemRow(std::string(kProblem), plain, std::string(kCurrentUser) + std::string(kCountKey),
                         kFixRot13Value);
    }
  }
}

}  // namespace

void ScanHistoryLists(TScanTaskThread& scan) {
  ScanOpenSaveLists(scan);
  ScanProgramCounters(scan);
}

}  // namespace norvik::regscan
