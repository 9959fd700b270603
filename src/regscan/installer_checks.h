#pragma once
// Sections that check what installers leave behind: the uninstall list, the installer's
// folder list and Explorer's cache of installed programs.

namespace norvik::regscan {

class TScanTaskThread;

void ScanInstaller(TScanTaskThread& scan);         // code 21
void ScanAddRemovePrograms(TScanTaskThread& scan);  // code 15

}  // namespace norvik::regscan
