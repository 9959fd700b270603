#pragma once
// The settings record and the one table that names where each field lives in
// options.ini and what it holds when the file does not say. The record is plain data;
// the settings store reads and writes it through the table, in the table's order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace norvik::core {

struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

struct Settings {
  static constexpr int kExpandSlots = 11;    // FirstNodeExpand "1".."11"
  static constexpr int kSectionSlots = 25;   // TreeViewNodeCheck "1".."25"
  // The show command GetWindowPlacement gives a maximised window.
  static constexpr int kShowMaximized = 3;

  // [Options]
  bool IsAskBeforeClear{};
  bool IsWipeFile{};
  int WipeNumber{};  // 1..10
  // [Hotkey]
  bool EnableHotkey{};
  bool IsCtrl{};
  bool IsShift{};
  bool IsAlt{};
  std::string CharString;
  std::uint16_t CharAscII{};  // a virtual-key code
  bool EnableIE{};
  bool EnableNetscape{};
  bool EnableFirefox{};
  bool EnableOpera{};
  // [SChedule]
  bool AutoClean{};
  int CleanInterval{};
  bool StartClean{};
  bool ShutdownClean{};
  // [NodeSelected]: the ticked clean items, groups included, in tree order.
  std::vector<std::string> SelectedItems;
  // Indexed by a top-level node's image index 1..11 / a section node's 1..25; slot 0 unused.
  std::array<bool, kExpandSlots + 1> FirstNodeExpand{};
  // [Settings]
  bool ShowLogTempInternetFiles{};
  bool ShowLogRecycleBin{};
  bool FastScan{};
  // [Options], continued
  std::string OutputDirectory;
  bool DeleteBackupFile{};
  bool IncludeRemoveMedia{};
  bool IncludeCDdrive{};
  std::array<bool, kSectionSlots + 1> TreeViewNodeCheck{};
  // [IgnoreValue], [IgnoreKey]
  std::vector<std::string> IgnoreValues;
  std::vector<std::string> IgnoreKeys;
  // [Window]: the placement's show command (not written when it could not be read) and
  // the bounds, which are read only for a window that is not maximised.
  std::optional<int> WindowState;
  WindowBounds Window;
  bool RestorePoint{};

  bool IsMaximised() const { return WindowState == kShowMaximized; }
  friend bool operator==(const Settings&, const Settings&) = default;

  // Defaults of a fresh start for a program whose user files live in `data_folder` (with
  // its trailing backslash), the window at `window`.
  static Settings Defaults(std::string_view data_folder, WindowBounds window = {});
};

// The slot of a node's image index in FirstNodeExpand or TreeViewNodeCheck; nothing for
// an index outside 1..N, whose node keeps its state.
template <std::size_t N>
bool* Slot(std::array<bool, N>& slots, int index) {
  return index >= 1 && static_cast<std::size_t>(index) < N ? &slots[static_cast<std::size_t>(index)] : nullptr;
}
template <std::size_t N>
const bool* Slot(const std::array<bool, N>& slots, int index) {
  return index >= 1 && static_cast<std::size_t>(index) < N ? &slots[static_cast<std::size_t>(index)] : nullptr;
}

// The kinds of field the table knows.
namespace field {
struct Flag {  // "0" or "1"; any other number reads as true
  bool Settings::* member;
};
struct Number {  // a value outside min..max reads as the default
  int Settings::* member;
  int min = INT32_MIN;
  int max = INT32_MAX;
};
struct Word {  // kept in 16 bits
  std::uint16_t Settings::* member;
};
struct Text {  // with `in_data_folder`, the default is a name inside it
  std::string Settings::* member;
  bool in_data_folder = false;
};
struct Slots {  // one flag per key "1".."N", slot 0 unused
  std::span<bool> (*slots)(Settings&);
};
struct List {  // a count key, then item keys prefix + "1".."count" (count last: after them)
  std::vector<std::string> Settings::* member;
  std::string_view item_prefix;
  bool count_first;
};
struct Placement {};  // keys State, Left, Top, Width, Height; defaults from the caller
}  // namespace field

using SettingsFieldKind =
    std::variant<field::Flag, field::Number, field::Word, field::Text, field::Slots, field::List, field::Placement>;

struct SettingsField {
  std::string_view section;
  std::string_view key;  // for a list: its count key
  SettingsFieldKind field;
  std::string_view fallback;  // the default, as the file would hold it
};

// Every field in the order options.ini is written.
std::span<const SettingsField> SettingsTable();

}  // namespace norvik::core
