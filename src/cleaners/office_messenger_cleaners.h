#pragma once
// The cleaners of the "Microsoft Office" and "Instant Messengers" groups that are code
// rather than entries of the definitions file: the Office recent lists (versions 8 to
// 12) and the logs and received files of MSN, Yahoo! and Skype.

#include <string_view>

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// PowerPoint keeps its "Recent File List" and "Recent Folder List" below this key of
// each version.
inline constexpr std::string_view kPowerPointAppKey = "PowerPoint";

// Gives each item above its cleaner in the table.
void RegisterOfficeMessengerCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
