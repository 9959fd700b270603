#pragma once
// Sections that check what Windows starts by itself: the run keys, the entries the
// system configuration tool has switched off, and the services.

namespace norvik::regscan {

class TScanTaskThread;

void ScanStartupPrograms(TScanTaskThread& scan);  // code 14
void ScanServices(TScanTaskThread& scan);         // code 17

}  // namespace norvik::regscan
