#pragma once
// The cleaners of the "Mozilla Firefox", "Netscape" and "Opera" groups: files found by
// name in the profile folders, caches emptied, and the visited places of Firefox's
// places.sqlite deleted (bookmarked places stay) in a Clean.

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// Gives each item above its cleaner in the table.
void RegisterMozillaOperaCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
