#pragma once
// Every cleaner of the catalogue that is code rather than definitions-file entries.

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

void RegisterBuiltInCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
