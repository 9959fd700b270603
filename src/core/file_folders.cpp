#include "core/file_folders.h"

namespace norvik::core {

std::string ProgramFolderOf(platform::System& system) {
  const std::string module = system.ModuleFileName();
  const auto cut = module.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : module.substr(0, cut + 1);
}

FileFolders ChooseFileFolders(platform::Platform platform) {
  FileFolders folders;
  folders.program = ProgramFolderOf(platform.system);
  folders.data = folders.program;
  // A folder of that name is no marker: only the installer's file is.
  const auto marker = platform.files.GetAttributes(folders.program + std::string(kInstalledMarker));
  if (folders.program.empty() || !marker || (*marker & platform::file_attr::kDirectory) != 0) return folders;

  const auto app_data = platform.shell.SpecialFolder(platform::csidl::kAppData);
  if (!app_data || app_data->empty()) return folders;
  std::string data = *app_data;
  if (data.back() != '\\') data += '\\';
  data += std::string(kDataFolderName);
  // Already there from an earlier start, or made now; a failure shows when the settings
  // cannot be saved, with this folder's name in the message.
  (void)platform.files.CreateDirectory(data);
  folders.data = data + '\\';
  return folders;
}

}  // namespace norvik::core
