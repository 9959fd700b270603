#pragma once
// Sections that check the shell's own records: the Start menu's order keys, shortcut
// files and event sounds.

#include <string>

namespace norvik::regscan {

class TScanTaskThread;

void ScanStartMenu(TScanTaskThread& scan);  // code 9
void ScanShortcuts(TScanTaskThread& scan);  // code 18
void ScanSounds(TScanTaskThread& scan);     // code 19

// Reports every shortcut below `folder` whose target is gone. Links to other folders
// are never entered.
void ScanShortcutFolder(TScanTaskThread& scan, const std::string& folder, int depth = 0);

}  // namespace norvik::regscan
