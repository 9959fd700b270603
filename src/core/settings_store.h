#pragma once
// options.ini in the data folder (core/file_folders.h), read into the settings record and
// written back through the settings table; and the automatic start entry. The store owns the record; code
// reaches it through a reference it is handed.

#include <optional>
#include <string>
#include <string_view>

#include "core/file_folders.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace norvik::core {

// How a number in options.ini is read: optional leading blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x" or "0x"; nothing may follow.
// Anything else, or a value outside 32 bits, gives `fallback`.
int ParseIniInteger(std::string_view text, int fallback);

class SettingsStore {
 public:
  // `ini` is the private-profile service; options.ini and the default backup folder are
  // in `folders.data`.
  SettingsStore(platform::IniFiles& ini, FileFolders folders);

  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  const FileFolders& Folders() const { return folders_; }
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
  FileFolders folders_;
  std::string file_name_;
  Settings settings_;
};

// The Run-key entry that starts the program at log-on with "/Auto".
inline constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kAutostartValueName = "Norvik Cleaner";
// Writes (program path + " /Auto", unquoted) or deletes the entry; true on success.
bool SetAutostart(platform::Platform platform, bool enable);
// The entry's text; nothing when it is absent.
std::optional<std::string> ReadAutostart(platform::Platform platform);

}  // namespace norvik::core
