#pragma once
// The user's own clean list: Custom.dat in the data folder, section "<New List>", one
// entry per key. File entries go under DelFile1, DelFile2 ..., registry entries under
// DelRegValue1, DelRegValue2 ..., each family numbered in the order of the editor's rows.
// The list cleaner carries the entries out; this module reads and writes the file.

#include <string>
#include <string_view>
#include <vector>

#include "cleaning/clean_item_tree.h"
#include "cleaning/list_cleaner.h"
#include "platform/status.h"
#include "platform/system.h"

namespace norvik::tools {

// The same file and section the list cleaner reads.
inline constexpr std::string_view kCustomListFileName = cleaning::kCustomListFile;
inline constexpr std::string_view kCustomListSection = cleaning::kNewListItem;
inline constexpr std::string_view kFileKeyPrefix = "DelFile";
inline constexpr std::string_view kRegistryKeyPrefix = "DelRegValue";
// Entries may be long paths: read them with a buffer no path can outgrow.
inline constexpr std::size_t kEntryBufferChars = 32768;

// Custom.dat in `data_folder` (which ends with its backslash).
std::string CustomListFile(std::string_view data_folder);

// A row whose upper-cased text begins with "HKEY_"; every other row is a file entry.
bool IsRegistryRow(std::string_view row);

// The rows of the list in file order; none when the file or section is missing.
std::vector<std::string> LoadCustomList(platform::IniFiles& ini, const std::string& file);
// Replaces the section by `rows`. A row holding a line break or NUL is refused with
// kErrInvalidParameter before anything is written, since it would read back as
// other entries. The first failed write is returned; keys written before it stay.
platform::Status SaveCustomList(platform::IniFiles& ini, const std::string& file,
                                const std::vector<std::string>& rows);

}  // namespace norvik::tools
