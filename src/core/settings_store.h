#pragma once
// The settings record, its file options.ini beside the program, and the automatic start
// entry. The record is owned by the SettingsStore; code reaches it through a reference.
// The trees and the main window take part through SettingsView, which the main window
// implements.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace norvik::core {

namespace settings_detail {
template <std::size_t N>
constexpr std::array<bool, N> AllTrue() {
  std::array<bool, N> a{};
  a.fill(true);
  return a;
}
}  // namespace settings_detail

struct Settings {
  // In-memory window state: 2 means maximised, anything else uses the bounds.
  static constexpr std::uint8_t kWindowNormal = 0;
  static constexpr std::uint8_t kWindowMaximised = 2;
  static constexpr int kExpandSlots = 11;    // FirstNodeExpand "1".."11"
  static constexpr int kSectionSlots = 25;   // TreeViewNodeCheck "1".."25"

  // [Options]
  bool IsAskBeforeClear = true;
  bool IsWipeFile = false;
  int WipeNumber = 1;  // 1..10
  // [Hotkey]
  bool EnableHotkey = false;
  bool IsCtrl = true;
  bool IsShift = false;
  bool IsAlt = false;
  std::string CharString = "F5";
  std::uint16_t CharAscII = 116;  // VK_F5
  bool EnableIE = false;
  bool EnableNetscape = false;
  bool EnableFirefox = false;
  bool EnableOpera = false;
  // [SChedule]
  bool AutoClean = false;
  int CleanInterval = 0;
  bool StartClean = false;
  bool ShutdownClean = false;
  // [Settings]
  bool FastScan = true;
  bool ShowLogTempInternetFiles = false;
  bool ShowLogRecycleBin = false;
  // [NodeSelected]
  int SelectedCount = 0;
  // Indexed by a top-level node's image index 1..11 / a section node's 1..25; slot 0 unused.
  std::array<bool, kExpandSlots + 1> FirstNodeExpand = settings_detail::AllTrue<kExpandSlots + 1>();
  std::array<bool, kSectionSlots + 1> TreeViewNodeCheck = settings_detail::AllTrue<kSectionSlots + 1>();
  // [Options], continued
  std::string OutputDirectory;  // program folder + "Backup" unless stored
  bool DeleteBackupFile = true;
  bool IncludeRemoveMedia = true;
  bool IncludeCDdrive = false;
  bool RestorePoint = false;
  // [IgnoreValue], [IgnoreKey]
  std::vector<std::string> IgnoreValues;
  std::vector<std::string> IgnoreKeys;
  // [Window]
  std::uint8_t WindowState = kWindowNormal;
  int WindowLeft = 0;
  int WindowTop = 0;
  int WindowWidth = 0;
  int WindowHeight = 0;

  bool IsMaximised() const { return WindowState == kWindowMaximised; }
  friend bool operator==(const Settings&, const Settings&) = default;

  // Defaults of a fresh start for a program living in `program_folder` (with its
  // trailing backslash).
  static Settings Defaults(std::string_view program_folder);
};

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// What loading and saving need from the main window and its two trees.
class SettingsView {
 public:
  enum class Tree { RegistrySections, CleanItems };

  virtual ~SettingsView() = default;

  // Clean-item tree.
  virtual void UncheckAllItems() = 0;
  // Ticks the node with exactly this name; an unknown name is ignored.
  virtual void CheckItemByName(std::string_view name) = 0;
  // Names of every ticked node, groups included, in flat order (each node, then its
  // children).
  virtual std::vector<std::string> CheckedItemNames() = 0;

  // Top-level nodes of either tree, in order.
  virtual std::size_t TopLevelCount(Tree tree) = 0;
  virtual int TopLevelImageIndex(Tree tree, std::size_t i) = 0;
  virtual bool IsTopLevelExpanded(Tree tree, std::size_t i) = 0;
  virtual void ExpandTopLevel(Tree tree, std::size_t i) = 0;

  // Every node of the registry section tree in walk order (node, its children, the
  // next sibling).
  virtual std::size_t SectionNodeCount() = 0;
  virtual int SectionNodeImageIndex(std::size_t i) = 0;
  virtual bool IsSectionNodeChecked(std::size_t i) = 0;
  virtual void SetSectionNodeChecked(std::size_t i, bool checked) = 0;

  // The main window: the placement's show command (nothing when it cannot be read), its
  // current bounds (right after creation: its initial size) and the screen size.
  virtual std::optional<int> WindowShowCommand() = 0;
  virtual WindowBounds CurrentWindowBounds() = 0;
  virtual ScreenSize GetScreenSize() = 0;
};

// A write to options.ini failed; what() is "Unable to write to <file>".
class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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

  // Reads every key (missing ones take their defaults) and re-applies the stored clean
  // item ticks. The clean-item tree must already be built.
  void LoadSettings(SettingsView& view);
  // Writes the record, the current ticks and the window placement. Throws
  // EIniFileException at the first write that fails; earlier keys stay written.
  void SaveSettings(SettingsView& view);

  // Top-level nodes of the registry tree, then of the clean-item tree, into / from
  // FirstNodeExpand by image index. A false flag leaves a node as it is.
  void SaveExpandedState(SettingsView& view);
  void RestoreExpandedState(SettingsView& view);
  // The registry section tree's ticks into / from TreeViewNodeCheck by image index.
  void StoreSectionChecks(SettingsView& view);
  void ApplySectionChecks(SettingsView& view);

  // A count in the file is trusted only this far, so a damaged file cannot stall loading.
  static constexpr int kMaxListEntries = 4096;

 private:
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback);
  int ReadInteger(std::string_view section, std::string_view key, int fallback);
  bool ReadBool(std::string_view section, std::string_view key, bool fallback);
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

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
