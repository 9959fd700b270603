#pragma once
// The cleaners of the "Windows" and "Advanced" groups that are code rather than entries
// of the definitions file: recent documents, the recycle bin, the temporary folder, the
// clipboard, memory dumps, chkdsk fragments and the Explorer lists kept in the registry.

#include "cleaning/clear_task.h"

namespace norvik::cleaners {

// Gives each item above its cleaner in the table.
void RegisterWindowsCleaners(cleaning::CleanerTable& table);

}  // namespace norvik::cleaners
