#include "app/dialogs/options_dialog.h"

#include <algorithm>
#include <utility>

#include "cleaners/ie_cleaners.h"
#include "cleaning/deletion_primitives.h"
#include "core/utility_routines.h"
#include "platform/status.h"

namespace norvik::app::dialogs {
namespace {

constexpr std::string_view kFallbackCookieFolder = "c:\\windows\\cookies\\";

std::string KeyName(std::uint16_t key) {
  switch (key) {
    case 8: return "BackSpace";
    case 9: return "Tab";
    case 12: return "Clear";
    case 13: return "Enter";
    case 19: return "Pause";
    case 20: return "CapsLock";
    case 27: return "Esc";
    case 32: return "Space";
    case 33: return "PageUp";
    case 34: return "PageDown";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "LeftArrow";
    case 38: return "UpArrow";
    case 39: return "RightArrow";
    case 40: return "DownArrow";
    case 44: return "PrintScreen";
    case 45: return "Ins";
    case 46: return "Del";
    case 47: return "Help";
    case 106: return "*";
    case 107: return "+";
    case 108: return "Separator";
    case 109: return "-";
    case 110: return ".";
    case 111: return "/";
    case 144: return "Numlock";
    case 145: return "Scroll";
    default: break;
  }
  if (key >= 48 && key <= 90) return std::string(1, static_cast<char>(key));
  // Appended rather than concatenated: GCC 12 warns wrongly about the overlap of the latter.
  std::string name;
  if (key >= 96 && key <= 105) name.append("Num ").push_back(static_cast<char>(key - 48));
  if (key >= 112 && key <= 135) name.append("F").append(std::to_string(key - 111));
  return name;
}

bool AnyMatch(platform::Files& files, const std::string& pattern) {
  auto found = files.FindFirst(pattern);
  if (!found) return false;
  for (platform::Result<platform::FindData> entry = std::move(found->first); entry; entry = found->rest.Next()) {
    if (!entry->is_directory()) return true;
  }
  return false;
}

void MoveRow(std::vector<std::string>& from, std::optional<std::size_t>& from_selection, std::vector<std::string>& to,
             std::optional<std::size_t>& to_selection) {
  if (!from_selection) return;
  const std::size_t taken = *from_selection;
  to.push_back(from[taken]);
  to_selection = 0;
  from.erase(from.begin() + static_cast<std::ptrdiff_t>(taken));
  // The row that followed the taken one, or the first when it was the last.
  from_selection = from.empty() ? std::nullopt : std::optional<std::size_t>(taken < from.size() ? taken : 0);
}

void MoveAll(std::vector<std::string>& from, std::optional<std::size_t>& from_selection, std::vector<std::string>& to,
             std::optional<std::size_t>& to_selection) {
  to.insert(to.end(), from.begin(), from.end());
  from.clear();
  from_selection.reset();
  if (!to.empty()) to_selection = 0;
}

}  // namespace

KeyCapture CaptureHotkey(std::uint16_t key, bool ctrl, bool shift, bool alt) {
  KeyCapture capture;
  capture.text = core::HotkeyText(ctrl, shift, alt, "", true);
  if (key >= 16 && key <= 18) return capture;  // a modifier alone names no key
  capture.code = key;
  capture.char_string = KeyName(key);
  if (capture.char_string.empty()) {
    capture.text.clear();
    return capture;
  }
  // The window swallows every key, Delete included, so the edit's own Delete handling never
  // takes a character off the text: Delete alone reads "Del", and with a modifier the
  // "Ctrl  " before it stays whole.
  capture.text += capture.char_string;
  return capture;
}

void OptionsDialog::Create() {
  working_ = store_.settings();
  FillControls();
  const auto autostart = core::ReadAutostart(platform_);
  controls_.auto_start = autostart && autostart->find("/Auto") != std::string::npos;
  for (const auto& v : working_.IgnoreValues) values_.push_back({v, false});
  for (const auto& k : working_.IgnoreKeys) keys_.push_back({k, false});
  created_enabled_ = working_.EnableHotkey;
  created_text_ = controls_.hotkey_text;
  created_char_ = working_.CharString;
  created_code_ = working_.CharAscII;
  (void)platform_.system.EndBrowserSession();
  FillCookieLists();
}

void OptionsDialog::FillControls() {
  const core::Settings& s = working_;
  OptionsControls& c = controls_;
  c.ask_clear = s.IsAskBeforeClear;
  c.wipe_file = s.IsWipeFile;
  c.wipe_index = std::clamp(s.WipeNumber - 1, 0, 9);
  c.delete_backup_file = s.DeleteBackupFile;
  c.ignore_remove_media = s.IncludeRemoveMedia;
  c.include_cd_drive = s.IncludeCDdrive;
  c.create_restore = s.RestorePoint;
  c.fast_scan = s.FastScan;
  c.log_temp_internet_files = s.ShowLogTempInternetFiles;
  c.log_recycle_bin = s.ShowLogRecycleBin;
  c.output_folder = s.OutputDirectory;
  c.auto_wash = s.AutoClean;
  c.interval_index = std::clamp(s.CleanInterval, 0, 4);
  c.start_wash = s.StartClean;
  c.shutdown_wash = s.ShutdownClean;
  c.use_boss_key = s.EnableHotkey;
  c.hotkey_text = core::HotkeyText(s.IsCtrl, s.IsShift, s.IsAlt, s.CharString, true);
  c.ie = s.EnableIE;
  c.netscape = s.EnableNetscape;
  c.firefox = s.EnableFirefox;
  c.opera = s.EnableOpera;
}

void OptionsDialog::ReadControls() {
  core::Settings& s = working_;
  const OptionsControls& c = controls_;
  s.IsAskBeforeClear = c.ask_clear;
  s.IsWipeFile = c.wipe_file;
  s.WipeNumber = c.wipe_index + 1;
  s.DeleteBackupFile = c.delete_backup_file;
  s.IncludeRemoveMedia = c.ignore_remove_media;
  s.IncludeCDdrive = c.include_cd_drive;
  s.RestorePoint = c.create_restore;
  s.FastScan = c.fast_scan;
  s.ShowLogTempInternetFiles = c.log_temp_internet_files;
  s.ShowLogRecycleBin = c.log_recycle_bin;
  s.OutputDirectory = c.output_folder;
  s.AutoClean = c.auto_wash;
  s.CleanInterval = c.interval_index;
  s.StartClean = c.start_wash;
  s.ShutdownClean = c.shutdown_wash;
  s.EnableHotkey = c.use_boss_key;
  s.IsCtrl = c.hotkey_text.find("Ctrl") != std::string::npos;
  s.IsShift = c.hotkey_text.find("Shift") != std::string::npos;
  s.IsAlt = c.hotkey_text.find("Alt") != std::string::npos;
  s.EnableIE = c.ie;
  s.EnableNetscape = c.netscape;
  s.EnableFirefox = c.firefox;
  s.EnableOpera = c.opera;
  s.IgnoreValues.clear();
  for (const auto& row : values_) s.IgnoreValues.push_back(row.text);
  s.IgnoreKeys.clear();
  for (const auto& row : keys_) s.IgnoreKeys.push_back(row.text);
}

void OptionsDialog::HotkeyKeyDown(std::uint16_t key, bool ctrl, bool shift, bool alt) {
  KeyCapture capture = CaptureHotkey(key, ctrl, shift, alt);
  controls_.hotkey_text = std::move(capture.text);
  working_.CharString = std::move(capture.char_string);
  working_.CharAscII = capture.code;
}

void OptionsDialog::FillCookieLists() {
  to_keep_ = cleaners::ReadCookieKeepList(platform_.ini, store_.Folders().data);
  platform::Files& files = platform_.files;
  std::string folder;
  if (auto special = platform_.shell.SpecialFolder(platform::csidl::kCookies);
      special && cleaning::FolderExists(files, *special)) {
    folder = cleaning::WithBackslash(*special);
  } else if (cleaning::FolderExists(files, kFallbackCookieFolder)) {
    folder = kFallbackCookieFolder;
  } else {
    return;
  }
  // Protected mode keeps the cookies in "Low" while the folder itself stays empty.
  if (cleaning::FolderExists(files, folder + "Low") && !AnyMatch(files, folder + "*.txt") &&
      AnyMatch(files, folder + "Low\\*.txt")) {
    folder += "Low\\";
  }
  cookie_folder_ = folder;
  auto found = files.FindFirst(folder + "*");
  if (!found) return;
  for (platform::Result<platform::FindData> entry = std::move(found->first); entry; entry = found->rest.Next()) {
    if (entry->is_directory() || entry->name.find(".txt") == std::string::npos) continue;
    if (std::find(to_keep_.begin(), to_keep_.end(), entry->name) == to_keep_.end()) to_delete_.push_back(entry->name);
  }
}

void OptionsDialog::KeepSelected() { MoveRow(to_delete_, delete_selection_, to_keep_, keep_selection_); }

void OptionsDialog::DeleteSelected() {
  MoveRow(to_keep_, keep_selection_, to_delete_, delete_selection_);
  if (to_delete_.size() == 1) delete_selection_ = 0;
}

void OptionsDialog::KeepAll() { MoveAll(to_delete_, delete_selection_, to_keep_, keep_selection_); }
void OptionsDialog::DeleteAll() { MoveAll(to_keep_, keep_selection_, to_delete_, delete_selection_); }

std::optional<std::string> OptionsDialog::ViewSelectedCookie() {
  if (!delete_selection_) return std::nullopt;
  const auto lines = core::ReadTextLines(platform_.files, cookie_folder_ + to_delete_[*delete_selection_]);
  if (lines.empty()) return std::nullopt;
  std::string shown;
  for (const std::string& line : lines) shown += "\r\n" + line;
  return shown;
}

void OptionsDialog::RemoveCheckedIgnoreRows(IgnorePage page) {
  std::erase_if(ignore_rows(page), [](const IgnoreRow& row) { return row.checked; });
}

std::string OptionsDialog::TestHotkey(HotkeyProbe& probe) {
  // A text of modifiers alone names no key: Windows would take the registration and the
  // boss key would never fire.
  if (controls_.hotkey_text.empty() || working_.CharAscII == 0) return std::string(kHotkeyBlankMessage);
  if (!probe.AddAtom()) return std::string(kHotkeyAtomMessage);
  if (controls_.hotkey_text != created_text_) {
    const unsigned modifiers =
        (working_.IsCtrl ? kModControl : 0) | (working_.IsShift ? kModShift : 0) | (working_.IsAlt ? kModAlt : 0);
    if (!probe.TryRegister(modifiers, working_.CharAscII)) {
      controls_.hotkey_text = created_text_;
      ReadControls();
      working_.CharString = created_char_;
      working_.CharAscII = created_code_;
      probe.DeleteAtom();
      return std::string(kHotkeyTakenMessage);
    }
    created_char_ = working_.CharString;
    created_code_ = working_.CharAscII;
  }
  probe.DeleteAtom();
  return {};
}

void OptionsDialog::WriteCookieKeepList() {
  const std::string file = store_.Folders().data + "Cookies.ini";
  std::vector<platform::IniEntry> entries{{"Cookies to Keep", "Count", std::to_string(to_keep_.size())}};
  for (std::size_t i = 0; i < to_keep_.size(); ++i) entries.push_back({"Cookies to Keep", std::to_string(i), to_keep_[i]});
  (void)platform_.ini.WriteStrings(file, entries);
}

OkOutcome OptionsDialog::Ok(HotkeyProbe& probe) {
  if (!cleaning::FolderExists(platform_.files, controls_.output_folder)) {
    return {false, controls_.output_folder + ",can not find the backup folder.", true};
  }
  ReadControls();
  const bool boss_changed = controls_.use_boss_key != created_enabled_ ||
                            (controls_.use_boss_key && controls_.hotkey_text != created_text_);
  if (boss_changed && controls_.use_boss_key) {
    if (std::string error = TestHotkey(probe); !error.empty()) return {false, std::move(error), false};
  }
  store_.settings() = working_;
  if (boss_changed) host_.RestartBossKey(working_.EnableHotkey);
  host_.ArmSchedule();
  if (working_.StartClean) controls_.auto_start = true;
  // A Run key that cannot be written is not worth an error box at this point.
  (void)core::SetAutostart(platform_, controls_.auto_start);
  OkOutcome outcome{true, {}, false};
  if (!store_.Save()) outcome.error = store_.SaveErrorText();
  WriteCookieKeepList();
  return outcome;
}

}  // namespace norvik::app::dialogs
