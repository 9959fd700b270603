#include "core/settings_store.h"

#include <algorithm>

#include "core/registry_access.h"

namespace norvik::core {

namespace {

constexpr std::size_t kIniBufferChars = 2048;

constexpr std::string_view kOptions = "Options";
constexpr std::string_view kHotkey = "Hotkey";
constexpr std::string_view kSchedule = "SChedule";
constexpr std::string_view kSettings = "Settings";
constexpr std::string_view kNodeSelected = "NodeSelected";
constexpr std::string_view kFirstNodeExpand = "FirstNodeExpand";
constexpr std::string_view kTreeViewNodeCheck = "TreeViewNodeCheck";
constexpr std::string_view kIgnoreValue = "IgnoreValue";
constexpr std::string_view kIgnoreKey = "IgnoreKey";
constexpr std::string_view kWindow = "Window";

// The show command GetWindowPlacement gives a maximised window.
constexpr int kShowMaximized = 3;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int ParseIniInteger(std::string_view text, int fallback) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return fallback;

  std::uint64_t n = 0;
  for (; i < text.size(); ++i) {
    const int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return fallback;
    n = n * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    // Hexadecimal fills all 32 bits (FFFFFFFF is -1); decimal stays within the signed range.
    if (n > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return fallback;
  }
  if (!hex && !negative && n > 0x7FFFFFFFull) return fallback;
  const std::uint32_t bits = static_cast<std::uint32_t>(n);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

Settings Settings::Defaults(std::string_view program_folder) {
  Settings s;
  s.OutputDirectory = std::string(program_folder) + "Backup";
  return s;
}

std::string ProgramFolderOf(platform::System& system) {
  const std::string module = system.ModuleFileName();
  const auto cut = module.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : module.substr(0, cut + 1);
}

SettingsStore::SettingsStore(platform::IniFiles& ini, platform::System& system)
    : ini_(ini),
      program_folder_(ProgramFolderOf(system)),
      file_name_(program_folder_ + "options.ini"),
      settings_(Settings::Defaults(program_folder_)) {}

std::string SettingsStore::ReadString(std::string_view section, std::string_view key,
                                      std::string_view fallback) {
  return ini_.GetString(file_name_, section, key, fallback, kIniBufferChars);
}

int SettingsStore::ReadInteger(std::string_view section, std::string_view key, int fallback) {
  const std::string text = ReadString(section, key, "");
  return text.empty() ? fallback : ParseIniInteger(text, fallback);
}

bool SettingsStore::ReadBool(std::string_view section, std::string_view key, bool fallback) {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void SettingsStore::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!ini_.WriteString(file_name_, section, key, value)) {
    throw EIniFileException("Unable to write to " + file_name_);
  }
}

void SettingsStore::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void SettingsStore::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void SettingsStore::LoadSettings(SettingsView& view) {
  Settings& s = settings_;

  s.IsAskBeforeClear = ReadBool(kOptions, "IsAskBeforeClear", true);
  s.IsWipeFile = ReadBool(kOptions, "IsWipeFile", false);
  s.WipeNumber = ReadInteger(kOptions, "WipeNumber", 1);
  if (s.WipeNumber < 1 || s.WipeNumber > 10) s.WipeNumber = 1;
  s.EnableHotkey = ReadBool(kHotkey, "EnableHotkey", false);
  s.IsCtrl = ReadBool(kHotkey, "IsCtrl", true);
  s.IsShift = ReadBool(kHotkey, "IsShift", false);
  s.IsAlt = ReadBool(kHotkey, "IsAlt", false);
  s.CharString = ReadString(kHotkey, "CharString", "F5");
  s.CharAscII = static_cast<std::uint16_t>(ReadInteger(kHotkey, "CharAscII", 116));
  s.EnableIE = ReadBool(kHotkey, "EnableIE", false);
  s.EnableNetscape = ReadBool(kHotkey, "EnableNetscape", false);
  s.EnableFirefox = ReadBool(kHotkey, "EnableFirefox", false);
  s.EnableOpera = ReadBool(kHotkey, "EnableOpera", false);
  s.AutoClean = ReadBool(kSchedule, "AutoClean", false);
  s.CleanInterval = ReadInteger(kSchedule, "CleanInterval", 0);
  s.StartClean = ReadBool(kSchedule, "StartClean", false);
  s.ShutdownClean = ReadBool(kSchedule, "ShutdownClean", false);

  view.UncheckAllItems();
  s.SelectedCount = ReadInteger(kNodeSelected, "SelectedCount", 0);
  const int selected = std::min(s.SelectedCount, kMaxListEntries);
  for (int i = 1; i <= selected; ++i) {
    view.CheckItemByName(ReadString(kNodeSelected, std::to_string(i), ""));
  }

  for (int i = 1; i <= Settings::kExpandSlots; ++i) {
    s.FirstNodeExpand[i] = ReadBool(kFirstNodeExpand, std::to_string(i), true);
  }
  s.ShowLogTempInternetFiles = ReadBool(kSettings, "ShowLogTempInternetFiles", false);
  s.ShowLogRecycleBin = ReadBool(kSettings, "ShowLogRecycleBin", false);
  s.FastScan = ReadBool(kSettings, "FastScan", true);
  s.OutputDirectory = ReadString(kOptions, "OutputDirectory", program_folder_ + "Backup");
  s.DeleteBackupFile = ReadBool(kOptions, "DeleteBackupFile", true);
  s.IncludeRemoveMedia = ReadBool(kOptions, "IncludeRemoveMedia", true);
  s.IncludeCDdrive = ReadBool(kOptions, "IncludeCDdrive", false);
  for (int i = 1; i <= Settings::kSectionSlots; ++i) {
    s.TreeViewNodeCheck[i] = ReadBool(kTreeViewNodeCheck, std::to_string(i), true);
  }

  s.IgnoreValues.clear();
  const int values = std::min(ReadInteger(kIgnoreValue, "Count", 0), kMaxListEntries);
  for (int i = 1; i <= values; ++i) {
    s.IgnoreValues.push_back(ReadString(kIgnoreValue, "Value" + std::to_string(i), ""));
  }
  s.IgnoreKeys.clear();
  const int keys = std::min(ReadInteger(kIgnoreKey, "Count", 0), kMaxListEntries);
  for (int i = 1; i <= keys; ++i) {
    s.IgnoreKeys.push_back(ReadString(kIgnoreKey, "Key" + std::to_string(i), ""));
  }

  if (ReadInteger(kWindow, "State", 1) == kShowMaximized) {
    s.WindowState = Settings::kWindowMaximised;
  } else {
    s.WindowState = Settings::kWindowNormal;
    const WindowBounds initial = view.CurrentWindowBounds();
    const ScreenSize screen = view.GetScreenSize();
    s.WindowLeft = ReadInteger(kWindow, "Left", (screen.width - initial.width) / 2);
    s.WindowTop = ReadInteger(kWindow, "Top", (screen.height - initial.height) / 2);
    s.WindowWidth = ReadInteger(kWindow, "Width", initial.width);
    s.WindowHeight = ReadInteger(kWindow, "Height", initial.height);
  }

  s.RestorePoint = ReadBool(kOptions, "RestorePoint", false);
}

void SettingsStore::SaveSettings(SettingsView& view) {
  Settings& s = settings_;

  WriteBool(kOptions, "IsAskBeforeClear", s.IsAskBeforeClear);
  WriteBool(kOptions, "IsWipeFile", s.IsWipeFile);
  WriteInteger(kOptions, "WipeNumber", s.WipeNumber);
  WriteBool(kHotkey, "EnableHotkey", s.EnableHotkey);
  WriteBool(kHotkey, "IsCtrl", s.IsCtrl);
  WriteBool(kHotkey, "IsShift", s.IsShift);
  WriteBool(kHotkey, "IsAlt", s.IsAlt);
  WriteString(kHotkey, "CharString", s.CharString);
  WriteInteger(kHotkey, "CharAscII", s.CharAscII);
  WriteBool(kHotkey, "EnableIE", s.EnableIE);
  WriteBool(kHotkey, "EnableNetscape", s.EnableNetscape);
  WriteBool(kHotkey, "EnableFirefox", s.EnableFirefox);
  WriteBool(kHotkey, "EnableOpera", s.EnableOpera);
  WriteBool(kSchedule, "AutoClean", s.AutoClean);
  WriteInteger(kSchedule, "CleanInterval", s.CleanInterval);
  WriteBool(kSchedule, "StartClean", s.StartClean);
  WriteBool(kSchedule, "ShutdownClean", s.ShutdownClean);

  // Keys above the new count stay behind from older saves; the count hides them.
  int k = 0;
  for (const std::string& name : view.CheckedItemNames()) {
    WriteString(kNodeSelected, std::to_string(++k), name);
  }
  s.SelectedCount = k;
  WriteInteger(kNodeSelected, "SelectedCount", k);

  for (int i = 1; i <= Settings::kExpandSlots; ++i) {
    WriteBool(kFirstNodeExpand, std::to_string(i), s.FirstNodeExpand[i]);
  }
  WriteBool(kSettings, "ShowLogTempInternetFiles", s.ShowLogTempInternetFiles);
  WriteBool(kSettings, "ShowLogRecycleBin", s.ShowLogRecycleBin);
  WriteBool(kSettings, "FastScan", s.FastScan);
  WriteString(kOptions, "OutputDirectory", s.OutputDirectory);
  WriteBool(kOptions, "DeleteBackupFile", s.DeleteBackupFile);
  WriteBool(kOptions, "IncludeRemoveMedia", s.IncludeRemoveMedia);
  WriteBool(kOptions, "IncludeCDdrive", s.IncludeCDdrive);

  StoreSectionChecks(view);
  for (int i = 1; i <= Settings::kSectionSlots; ++i) {
    WriteBool(kTreeViewNodeCheck, std::to_string(i), s.TreeViewNodeCheck[i]);
  }

  WriteInteger(kIgnoreValue, "Count", static_cast<int>(s.IgnoreValues.size()));
  for (std::size_t i = 0; i < s.IgnoreValues.size(); ++i) {
    WriteString(kIgnoreValue, "Value" + std::to_string(i + 1), s.IgnoreValues[i]);
  }
  WriteInteger(kIgnoreKey, "Count", static_cast<int>(s.IgnoreKeys.size()));
  for (std::size_t i = 0; i < s.IgnoreKeys.size(); ++i) {
    WriteString(kIgnoreKey, "Key" + std::to_string(i + 1), s.IgnoreKeys[i]);
  }

  if (const auto show = view.WindowShowCommand()) WriteInteger(kWindow, "State", *show);
  const WindowBounds bounds = view.CurrentWindowBounds();
  WriteInteger(kWindow, "Left", bounds.left);
  WriteInteger(kWindow, "Top", bounds.top);
  WriteInteger(kWindow, "Width", bounds.width);
  WriteInteger(kWindow, "Height", bounds.height);

  WriteBool(kOptions, "RestorePoint", s.RestorePoint);
}

namespace {

constexpr SettingsView::Tree kBothTrees[] = {SettingsView::Tree::RegistrySections,
                                             SettingsView::Tree::CleanItems};

bool InSlots(int index, int slots) { return index >= 1 && index <= slots; }

}  // namespace

void SettingsStore::SaveExpandedState(SettingsView& view) {
  // The registry tree goes first so that a clean-item group sharing its image index
  // (Internet Explorer and the registry root are both 1) has the last word.
  for (const auto tree : kBothTrees) {
    for (std::size_t i = 0; i < view.TopLevelCount(tree); ++i) {
      const int index = view.TopLevelImageIndex(tree, i);
      if (InSlots(index, Settings::kExpandSlots)) {
        settings_.FirstNodeExpand[index] = view.IsTopLevelExpanded(tree, i);
      }
    }
  }
}

void SettingsStore::RestoreExpandedState(SettingsView& view) {
  for (const auto tree : kBothTrees) {
    for (std::size_t i = 0; i < view.TopLevelCount(tree); ++i) {
      const int index = view.TopLevelImageIndex(tree, i);
      if (InSlots(index, Settings::kExpandSlots) && settings_.FirstNodeExpand[index]) {
        view.ExpandTopLevel(tree, i);
      }
    }
  }
}

void SettingsStore::StoreSectionChecks(SettingsView& view) {
  for (std::size_t i = 0; i < view.SectionNodeCount(); ++i) {
    const int index = view.SectionNodeImageIndex(i);
    if (InSlots(index, Settings::kSectionSlots)) {
      settings_.TreeViewNodeCheck[index] = view.IsSectionNodeChecked(i);
    }
  }
}

void SettingsStore::ApplySectionChecks(SettingsView& view) {
  // A node whose image index has no slot keeps its tick.
  for (std::size_t i = 0; i < view.SectionNodeCount(); ++i) {
    const int index = view.SectionNodeImageIndex(i);
    if (InSlots(index, Settings::kSectionSlots)) {
      view.SetSectionNodeChecked(i, settings_.TreeViewNodeCheck[index]);
    }
  }
}

bool SetAutostart(platform::Platform platform, bool enable) {
  RegistryAccess reg(platform.registry);
  reg.SetRootKey(platform::RegRoot::CurrentUser);
  if (!reg.OpenKey(kRunKeyPath, true)) return false;
  const bool done = enable ? reg.WriteString(kAutostartValueName, platform.system.ModuleFileName() + " /Auto")
                           : reg.DeleteValue(kAutostartValueName) || !reg.ValueExists(kAutostartValueName);
  reg.CloseKey();
  return done;
}

std::optional<std::string> ReadAutostart(platform::Platform platform) {
  RegistryAccess reg(platform.registry);
  reg.SetRootKey(platform::RegRoot::CurrentUser);
  if (!reg.OpenKey(kRunKeyPath, false)) return std::nullopt;
  auto text = reg.ReadString(kAutostartValueName);
  if (!text) return std::nullopt;
  return std::move(text).value();
}

}  // namespace norvik::core
