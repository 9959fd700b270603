#pragma once
// The "Internet Explorer" items: the page cache, cookies (but those on the keep list in
// Cookies.ini), the visited-page history, typed addresses, the three index.dat files,
// the last download folder and the form-autocomplete store.

#include <string>
#include <vector>

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// Gives each item above its cleaner in the table.
void RegisterIeCleaners(cleaning::CleanerTable& table);

// The cookie keep list Cookies.ini in `data_folder`: the file names under keys "0" ..
// Count - 1 of section "Cookies to Keep" that are not empty. A missing file or Count
// keeps none.
std::vector<std::string> ReadCookieKeepList(platform::IniFiles& ini, const std::string& data_folder);

}  // namespace norvik::cleaners
