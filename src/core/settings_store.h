#pragma once
// options.ini beside the program, read into the settings record and written back through
// the settings table; and the automatic start entry. The store owns the record; code
// reaches it through a reference it is handed.

#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "platform/platform.h"

namespace norvik::core {

// How a number in options.ini is read: optional leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x" or "0x"; nothing may follow.
// Anything else, or a value outside 32 bits, gives `fallback`.
int ParseIniInteger(std::string_view text, int fallback);

class SettingsStore {
 public:
  // `ini` is the private-profile service; `system` names the program file, whose folder
  // holds options.ini.
  SettingsStore(platform::IniFiles& ini, platform::System& system);

  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  // Folder of the program file with its trailing backslash.
  const std::string& ProgramFolder() const { return program_folder_; }
  const std::string& FileName() const { return file_name_; }

  // Reads every key; missing ones take their defaults, the window's bounds `window`.
  void Load(WindowBounds window);
  // Writes the record in one pass, keeping what else the file holds; false when the file
  // could not be replaced, which leaves it as it was.
  bool Save();
  // "Unable to write to <file>", for a failed Save.
  std::string SaveErrorText() const { return "Unable to write to " + file_name_; }

 private:
  platform::IniFiles& ini_;
  std::string program_folder_;
  std::string file_name_;
  Settings settings_;
};

// Folder of System::ModuleFileName() with its trailing backslash.
std::string ProgramFolderOf(platform::System& system);

// The Run-key entry that starts the program at log-on with "/Auto".
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kAutostartValueName = "Norvik Cleaner";
// Writes (program path + " /Auto", unquoted) or deletes the entry; true on success.
bool SetAutostart(platform::Platform platform, bool enable);
// The entry's text; nothing when it is absent.
std::optional<std::string> ReadAutostart(platform::Platform platform);

}  // namespace norvik::core
