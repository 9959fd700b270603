#pragma once
// The recursive value scan that applies the file check to every string value of a key
// tree, and the four "Files and Folders" sections built on it.

#include <string_view>

namespace norvik::regscan {

class TScanTaskThread;

inline constexpr std::string_view kMissingFileProblem = "Non-existent File or Folder";

// Reports every REG_SZ / REG_EXPAND_SZ value below root\key_path whose text names a
// missing file. Keys other sections examine are left out by the running title.
void ScanKeyTreeValues(TScanTaskThread& scan, std::string_view root_name, std::string_view key_path,
                       std::string_view problem, std::string_view required_ext);

void ScanClassesRootFiles(TScanTaskThread& scan);
void ScanCurrentUserFiles(TScanTaskThread& scan);
void ScanLocalMachineFiles(TScanTaskThread& scan);
void ScanUsersFiles(TScanTaskThread& scan);

}  // namespace norvik::regscan
