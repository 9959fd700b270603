#pragma once
// Clean items whose work is written in a definitions file: the user's Custom.dat and the
// supplied qolt.dat. Both are INI files; a run name's section
// holds its entries:
//   DelRegValue1=HKEY_CURRENT_USER\Software\X          the key with its subtree
//   DelRegValue2=HKEY_CURRENT_USER\Software\X,Last     one value
//   DelRegValue3=HKEY_CURRENT_USER\Software\X,         every value and subkey, key kept
//   DelFile1={Local AppData}\App\Cache                 empty and remove the folder
//   DelFile2={Local AppData}\App\Cache,*.*             empty it, keep it
//   DelFile3=%windir%\Temp,*.tmp                       matching files of that folder only

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/run_context.h"
#include "platform/platform.h"

namespace norvik::cleaning {

inline constexpr std::string_view kCustomListFile = "Custom.dat";
inline constexpr std::string_view kQoltFile = "qolt.dat";
inline constexpr std::string_view kAdministratorsMessage = "You must have administrators user.";
// "<prefix>skipped, too long to read whole: DelFile3"
inline constexpr std::string_view kTooLongWords = "skipped, too long to read whole:";

// "Windows - Windows Log Files" -> "Windows Log Files": the text after the first "-"
// less the character after it.
std::string SectionForRunName(std::string_view run_name);

// A registry entry's value split up, once. `root` is the root its name (in any letter
// case) stands for, nothing for an unknown one; `value_name` is set when the entry has a ",".
struct RegistryEntry {
  std::optional<platform::RegRoot> root;
  std::string key_path;
  std::optional<std::string> value_name;
};
RegistryEntry ParseRegistryEntry(std::string_view value);

// A file entry's value split up: the token before the first "\" (for a UNC path, the
// "\\server\share" before the third), the path after it, and the mask after the first
// "," (when there is one).
struct FileEntry {
  std::string token;
  std::string path;
  std::optional<std::string> mask;
};
FileEntry ParseFileEntry(std::string_view value);

// The folders the tokens stand for, read once per item.
struct TokenFolders {
  std::vector<std::string> program_files;  // both program folders on a 64-bit system
  std::string windows;
  std::string local_app_data;
  std::string current_app_data;
  std::string common_app_data;

  static TokenFolders Read(platform::Platform platform);
  // The base folders for a token, each with its trailing backslash; a drive token ("D:")
  // stands for that drive's root, a share token ("\\server\share") for that share. None
  // for any other token, or when a token resolves to an empty or relative folder: the
  // entry is then skipped rather than taken from the current drive or folder.
  std::vector<std::string> BaseFolders(std::string_view token) const;
};

// Runs the section of `run_name` from `data_file_name`: the user's Custom.dat from the
// data folder, any other (qolt.dat) from the program's folder. Counts go to ItemCount,
// bytes to SetItemSize.
void RunListItem(RunContext& worker, std::string_view data_file_name, std::string_view run_name);

}  // namespace norvik::cleaning
