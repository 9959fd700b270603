#pragma once
// The cleaners of the "Google Chrome" group: cache, cookies, history, sessions, saved
// logins, form data, downloads and local storage of the Default profile. Whole files go
// through the deletion primitives; rows of Chrome's databases through the SQLite layer,
// in a Clean only.

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// Gives each item above its cleaner in the table.
void RegisterChromeCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
