#pragma once
// Where the program's files live, decided once at start. qolt.dat ships with the program
// and always stays beside it. The user's own files (options.ini, Custom.dat, Cookies.ini
// and the default Backup folder) stay beside the program too, so that a copy run from a
// stick or any folder carries them along; the one exception is a copy the installer put
// under Program Files, which a normal user cannot write. The installer marks such a copy
// with a small file beside it, and its user files go to the user's application-data folder.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace norvik::core {

struct FileFolders {
  std::string program;  // the program file's folder, with its trailing backslash
  std::string data;     // the user's files, with its trailing backslash
};

// The file the installer puts beside an installed copy.
inline constexpr std::string_view kInstalledMarker = "installed.txt";
// The installed copy's folder inside the user's application-data folder.
inline constexpr std::string_view kDataFolderName = "Norvik Cleaner";

// Folder of System::ModuleFileName() with its trailing backslash.
std::string ProgramFolderOf(platform::System& system);

// Creates the application-data folder for an installed copy. When that folder cannot be
// named, the user's files stay beside the program as in any other copy.
FileFolders ChooseFileFolders(platform::Platform platform);

}  // namespace norvik::core
