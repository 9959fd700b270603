#pragma once
// The cleaners of the "Windows" and "Advanced" groups that are code rather than entries
// of the definitions file: recent documents, the recycle bin, the temporary folder, the
// clipboard, memory dumps, chkdsk fragments and the Explorer lists kept in the registry.

#include <string_view>

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// HKEY_CURRENT_USER keys the registry items delete.
inline constexpr std::string_view kRecentDocsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
inline constexpr std::string_view kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
inline constexpr std::string_view kSearchAssistantKey = "Software\\Microsoft\\Search Assistant\\ACMru";
inline constexpr std::string_view kOpenSaveMruKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
inline constexpr std::string_view kMenuOrderKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder";
inline constexpr std::string_view kPaintRecentKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
inline constexpr std::string_view kUserAssistKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count",
};
inline constexpr std::string_view kTrayNotifyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
inline constexpr std::string_view kTrayNotifyValues[] = {"IconStreams", "PastIconsStream"};

// The recycle bin: each fixed drive's bin folder, walked only when it holds both marker
// files, which the walk itself never deletes.
inline constexpr std::string_view kRecycleBinFolder = ":\\Recycled";
inline constexpr std::string_view kRecycleBinIndex = "INFO2";
inline constexpr std::string_view kRecycleBinDesktopIni = "desktop.ini";
// The line a Clean writes first when the bin's files are not listed one by one.
inline constexpr std::string_view kRecycleBinWaitLine = "Clearing, please wait...";

// Gives each item above its cleaner in the table.
void RegisterWindowsCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
