#pragma once
// The cleaners of the "Microsoft Office" and "Instant Messengers" groups that are code
// rather than entries of the definitions file: the Office recent lists (versions 8 to
// 12) and the logs and received files of MSN, Yahoo! and Skype.

#include <string_view>

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// Office keeps each major version's settings under this key + "<n>.0".
inline constexpr std::string_view kOfficeKey = "Software\\Microsoft\\Office\\";
inline constexpr int kFirstOfficeVersion = 8;
inline constexpr int kLastOfficeVersion = 12;
// Below the AppData folder: the shortcuts to the documents Office opened.
inline constexpr std::string_view kOfficeRecentFolder = "Microsoft\\Office\\Recent";
// PowerPoint keeps its "Recent File List" and "Recent Folder List" below this key of
// each version.
inline constexpr std::string_view kPowerPointAppKey = "PowerPoint";
inline constexpr std::string_view kFrontPageListKeys[] = {
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List",
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List",
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Web List",
};

inline constexpr std::string_view kMsnPassportKey = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings";
inline constexpr std::string_view kMsnLogPathValue = "MessageLogPath";
inline constexpr std::string_view kMsnReceivedFolder = "My Received Files\\";
inline constexpr std::string_view kYahooFolder = "Yahoo!\\Messenger";
inline constexpr std::string_view kSkypeFolder = "Skype";

// "Software\Microsoft\Office\11.0" for 11.
std::string OfficeVersionKey(int version);

// Gives each item above its cleaner in the table.
void RegisterOfficeMessengerCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
