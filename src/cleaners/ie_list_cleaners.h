#pragma once
// The "Internet Explorer" items that remove lists and stores rather than cache folders:
// typed addresses, the three index.dat files (removed at the next start), the last
// download folder and the form-autocomplete store.

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

void RegisterIeListCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
