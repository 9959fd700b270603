#pragma once
// Sections that check the machine's lists of software files: application paths, shared
// DLL counts, fonts and help files.

namespace norvik::regscan {

class TScanTaskThread;

void ScanSoftwareLocations(TScanTaskThread& scan);  // code 8
void ScanSharedDlls(TScanTaskThread& scan);         // code 7
void ScanFonts(TScanTaskThread& scan);              // code 12
void ScanHelpFiles(TScanTaskThread& scan);          // code 13

}  // namespace norvik::regscan
