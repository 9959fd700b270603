#pragma once
// TfrmOptions: a working copy of the settings, the cookie keep list, the autostart entry
// and the boss key, edited on five pages and applied together by "&OK". The window draws
// the controls from `controls()` and writes the user's changes back into them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialogs/ignore_entry_dialog.h"
#include "core/settings_store.h"
#include "platform/platform.h"

namespace norvik::app::dialogs {

inline constexpr std::string_view kHotkeyTestAtom = "MyVESKHotkey_Test";
inline constexpr std::string_view kWipeFileHint =
    "The more times a file is overwritten,the higher the security,and the longer the wash will take.";
inline constexpr std::string_view kBrowseFolderTitle = "Please select the directory";
inline constexpr std::string_view kHotkeyBlankMessage = "The hotkey setting cannot be blank.";
inline constexpr std::string_view kHotkeyAtomMessage = "Hotkey setting failed, please run application again!";
inline constexpr std::string_view kHotkeyTakenMessage = "The hotkey for Boss Key failed, please try to use other key!";

// What the main window does for "&OK": the boss key registered again (or only dropped)
// and the schedule timer armed from the new settings.
class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  virtual void RestartBossKey(bool enabled) = 0;
  virtual void ArmSchedule() = 0;
};

// The hotkey test needs a window of the dialog's own and a global atom.
class HotkeyProbe {
 public:
  virtual ~HotkeyProbe() = default;
  virtual bool AddAtom() = 0;
  // RegisterHotKey with the atom; on success it is let go again at once.
  virtual bool TryRegister(unsigned modifiers, std::uint16_t key) = 0;
  virtual void DeleteAtom() = 0;
};
inline constexpr unsigned kModAlt = 1, kModControl = 2, kModShift = 4;

// One key pressed in the hotkey edit.
struct KeyCapture {
  std::string text;         // what the edit shows afterwards
  std::string char_string;  // the key's name
  std::uint16_t code = 0;   // CharAscII
};
KeyCapture CaptureHotkey(std::uint16_t key, bool ctrl, bool shift, bool alt);

// Every control except the lists, as the window shows it.
struct OptionsControls {
  // Common
  bool auto_start = false;
  bool ask_clear = false;
  bool wipe_file = false;
  int wipe_index = 0;  // "1".."10" at 0..9
  bool delete_backup_file = false;
  bool ignore_remove_media = false;
  bool include_cd_drive = false;
  bool create_restore = false;
  bool fast_scan = false;
  bool log_temp_internet_files = false;
  bool log_recycle_bin = false;
  std::string output_folder;
  // Schedule
  bool auto_wash = false;
  int interval_index = 0;
  bool start_wash = false;
  bool shutdown_wash = false;
  // Boss Key
  bool use_boss_key = false;
  std::string hotkey_text;
  bool ie = false, netscape = false, firefox = false, opera = false;
  friend bool operator==(const OptionsControls&, const OptionsControls&) = default;
};

struct IgnoreRow {
  std::string text;
  bool checked = false;
};
enum class IgnorePage { Values, Keys };

// The end of "&OK": whether the dialog closes, a message for an error box (shown before
// closing), and whether the backup folder's edit takes the focus on the "Common" page.
struct OkOutcome {
  bool close = false;
  std::string error;
  bool focus_output_folder = false;
};

class OptionsDialog {
 public:
  OptionsDialog(platform::Platform platform, core::SettingsStore& store, OptionsHost& host)
      : platform_(platform), store_(store), host_(host) {}

  // The working copy, the controls, the lists; ends the browser session so that the
  // cookie files can be read and moved freely.
  void Create();

  OptionsControls& controls() { return controls_; }
  const OptionsControls& controls() const { return controls_; }
  // The schedule's intervals take input only while the automatic clean is on.
  bool IntervalsEnabled() const { return controls_.auto_wash; }
  // cbWipeFile's hint shows only while the box is checked.
  bool WipeHintEnabled() const { return controls_.wipe_file; }

  // A key pressed in the hotkey edit.
  void HotkeyKeyDown(std::uint16_t key, bool ctrl, bool shift, bool alt);

  // Cookies: ListBox1 (to delete) and ListBox2 (to keep) with their selected rows.
  const std::string& cookie_folder() const { return cookie_folder_; }
  const std::vector<std::string>& cookies_to_delete() const { return to_delete_; }
  const std::vector<std::string>& cookies_to_keep() const { return to_keep_; }
  std::optional<std::size_t> delete_selection() const { return delete_selection_; }
  std::optional<std::size_t> keep_selection() const { return keep_selection_; }
  void SelectToDelete(std::optional<std::size_t> row) { delete_selection_ = Valid(row, to_delete_); }
  void SelectToKeep(std::optional<std::size_t> row) { keep_selection_ = Valid(row, to_keep_); }
  void KeepSelected();
  void DeleteSelected();
  void KeepAll();
  void DeleteAll();
  // "&View": the selected cookie file's lines, each after a line break; nothing when no
  // row is selected or the file cannot be read (or is empty).
  std::optional<std::string> ViewSelectedCookie();

  std::vector<IgnoreRow>& ignore_rows(IgnorePage page) { return page == IgnorePage::Values ? values_ : keys_; }
  void AddIgnoreRow(IgnorePage page, std::string text) { ignore_rows(page).push_back({std::move(text), false}); }
  void RemoveCheckedIgnoreRows(IgnorePage page);
  // The entry dialog for "&Add" (empty) and "&Edit" (the row's text).
  IgnoreEntryDialog NewIgnoreEntry(std::string text) const { return IgnoreEntryDialog(platform_.shell, std::move(text)); }

  // "&OK" in its order of steps; `probe` tests a changed hotkey with the dialog's window.
  OkOutcome Ok(HotkeyProbe& probe);

 private:
  static std::optional<std::size_t> Valid(std::optional<std::size_t> row, const std::vector<std::string>& list) {
    return row && *row < list.size() ? row : std::nullopt;
  }
  void FillControls();
  void ReadControls();
  void FillCookieLists();
  std::string TestHotkey(HotkeyProbe& probe);
  void WriteCookieKeepList();

  platform::Platform platform_;
  core::SettingsStore& store_;
  OptionsHost& host_;
  core::Settings working_;
  OptionsControls controls_;
  // The boss key as the dialog opened.
  bool created_enabled_ = false;
  std::string created_text_;
  std::string created_char_;
  std::uint16_t created_code_ = 0;

  std::string cookie_folder_;
  std::vector<std::string> to_delete_;
  std::vector<std::string> to_keep_;
  std::optional<std::size_t> delete_selection_;
  std::optional<std::size_t> keep_selection_;
  std::vector<IgnoreRow> values_;
  std::vector<IgnoreRow> keys_;
};

}  // namespace norvik::app::dialogs
