#pragma once
// MRU History Lists: the file dialogs' recent-file lists and Explorer's program-use
// counters.

namespace norvik::regscan {

class TScanTaskThread;

void ScanHistoryLists(TScanTaskThread& scan);

}  // namespace norvik::regscan
