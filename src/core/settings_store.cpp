#include "core/settings_store.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/registry_access.h"
#include "platform/text_encoding.h"

namespace norvik::core {

namespace {

constexpr std::size_t kIniBufferChars = 2048;

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

namespace {

using namespace field;

constexpr SettingsField kTable[] = {
    {"Options", "IsAskBeforeClear", Flag{&Settings::IsAskBeforeClear}, "1"},
    {"Options", "IsWipeFile", Flag{&Settings::IsWipeFile}, "0"},
    {"Options", "WipeNumber", Number{&Settings::WipeNumber, 1, 10}, "1"},
    {"Hotkey", "EnableHotkey", Flag{&Settings::EnableHotkey}, "0"},
    {"Hotkey", "IsCtrl", Flag{&Settings::IsCtrl}, "1"},
    {"Hotkey", "IsShift", Flag{&Settings::IsShift}, "0"},
    {"Hotkey", "IsAlt", Flag{&Settings::IsAlt}, "0"},
    {"Hotkey", "CharString", Text{&Settings::CharString}, "F5"},
    {"Hotkey", "CharAscII", Word{&Settings::CharAscII}, "116"},  // VK_F5
    {"Hotkey", "EnableIE", Flag{&Settings::EnableIE}, "0"},
    {"Hotkey", "EnableNetscape", Flag{&Settings::EnableNetscape}, "0"},
    {"Hotkey", "EnableFirefox", Flag{&Settings::EnableFirefox}, "0"},
    {"Hotkey", "EnableOpera", Flag{&Settings::EnableOpera}, "0"},
    {"SChedule", "AutoClean", Flag{&Settings::AutoClean}, "0"},
    {"SChedule", "CleanInterval", Number{&Settings::CleanInterval}, "0"},
    {"SChedule", "StartClean", Flag{&Settings::StartClean}, "0"},
    {"SChedule", "ShutdownClean", Flag{&Settings::ShutdownClean}, "0"},
    // Keys above a new, shorter count stay behind from older saves; the count hides them.
    {"NodeSelected", "SelectedCount", List{&Settings::SelectedItems, "", false}, "0"},
    {"FirstNodeExpand", "", Slots{[](Settings& s) { return std::span<bool>(s.FirstNodeExpand); }}, "1"},
    {"Settings", "ShowLogTempInternetFiles", Flag{&Settings::ShowLogTempInternetFiles}, "0"},
    {"Settings", "ShowLogRecycleBin", Flag{&Settings::ShowLogRecycleBin}, "0"},
    {"Settings", "FastScan", Flag{&Settings::FastScan}, "1"},
    {"Options", "OutputDirectory", Text{&Settings::OutputDirectory, true}, "Backup"},
    {"Options", "DeleteBackupFile", Flag{&Settings::DeleteBackupFile}, "1"},
    {"Options", "IncludeRemoveMedia", Flag{&Settings::IncludeRemoveMedia}, "1"},
    {"Options", "IncludeCDdrive", Flag{&Settings::IncludeCDdrive}, "0"},
    {"TreeViewNodeCheck", "", Slots{[](Settings& s) { return std::span<bool>(s.TreeViewNodeCheck); }}, "1"},
    {"IgnoreValue", "Count", List{&Settings::IgnoreValues, "Value", true}, "0"},
    {"IgnoreKey", "Count", List{&Settings::IgnoreKeys, "Key", true}, "0"},
    {"Window", "State", Placement{}, "1"},
    {"Options", "RestorePoint", Flag{&Settings::RestorePoint}, "0"},
};

constexpr std::string_view kBoundsKeys[] = {"Left", "Top", "Width", "Height"};
int WindowBounds::* const kBoundsFields[] = {&WindowBounds::left, &WindowBounds::top, &WindowBounds::width,
                                             &WindowBounds::height};

// One pass over the table in either direction. `get` reads a key (`fallback` when it is
// absent), `keys` names a section's keys; `put` collects one to write.
class Mapper {
 public:
  using Get = std::function<std::string(std::string_view section, std::string_view key, std::string_view fallback)>;
  using Keys = std::function<std::vector<std::string>(std::string_view section)>;
  using Put = std::function<void(std::string_view section, std::string_view key, std::string_view value)>;

  Mapper(Settings& s, std::string_view data_folder) : s_(s), data_folder_(data_folder) {}

  void Read(const Get& get, const Keys& keys, WindowBounds window) {
    for (const SettingsField& row : kTable) {
      row_ = &row;
      get_ = &get;
      keys_ = &keys;
      std::visit([&](const auto& kind) { ReadField(kind, window); }, row.field);
    }
  }

  void Write(const Put& put) {
    for (const SettingsField& row : kTable) {
      row_ = &row;
      put_ = &put;
      std::visit([&](const auto& kind) { WriteField(kind); }, row.field);
    }
  }

 private:
  std::string String(std::string_view key, std::string_view fallback) const {
    return (*get_)(row_->section, key, fallback);
  }
  int Integer(std::string_view key, int fallback) const {
    const std::string text = String(key, "");
    return text.empty() ? fallback : ParseIniInteger(text, fallback);
  }
  int Default() const { return ParseIniInteger(row_->fallback, 0); }
  void Out(std::string_view key, std::string_view value) const { (*put_)(row_->section, key, value); }
  void Out(std::string_view key, int value) const { Out(key, std::to_string(value)); }

  void ReadField(const Flag& f, WindowBounds) { s_.*f.member = Integer(row_->key, Default()) != 0; }
  void ReadField(const Number& f, WindowBounds) {
    const int n = Integer(row_->key, Default());
    s_.*f.member = n < f.min || n > f.max ? Default() : n;
  }
  void ReadField(const Word& f, WindowBounds) {
    s_.*f.member = static_cast<std::uint16_t>(Integer(row_->key, Default()));
  }
  void ReadField(const Text& f, WindowBounds) {
    const std::string fallback = (f.in_data_folder ? std::string(data_folder_) : "") + std::string(row_->fallback);
    s_.*f.member = String(row_->key, fallback);
  }
  void ReadField(const Slots& f, WindowBounds) {
    const auto slots = f.slots(s_);
    for (std::size_t i = 1; i < slots.size(); ++i) slots[i] = Integer(std::to_string(i), Default()) != 0;
  }
  // Up to the count, but only while the keys are there: a damaged count costs nothing,
  // and no stored entry is left behind to be lost at the next save.
  void ReadField(const List& f, WindowBounds) {
    auto& items = s_.*f.member;
    items.clear();
    const int count = Integer(row_->key, Default());
    if (count <= 0) return;
    std::unordered_set<std::string> present;
    for (const std::string& key : (*keys_)(row_->section)) present.insert(platform::UpperCase(key));
    for (int i = 1; i <= count; ++i) {
      const std::string key = std::string(f.item_prefix) + std::to_string(i);
      if (!present.contains(platform::UpperCase(key))) break;
      items.push_back(String(key, ""));
    }
  }
  void ReadField(const Placement&, WindowBounds window) {
    s_.WindowState = Integer(row_->key, Default());
    if (s_.IsMaximised()) return;
    for (std::size_t i = 0; i < std::size(kBoundsKeys); ++i) {
      s_.Window.*kBoundsFields[i] = Integer(kBoundsKeys[i], window.*kBoundsFields[i]);
    }
  }

  void WriteField(const Flag& f) { Out(row_->key, s_.*f.member ? "1" : "0"); }
  void WriteField(const Number& f) { Out(row_->key, s_.*f.member); }
  void WriteField(const Word& f) { Out(row_->key, s_.*f.member); }
  void WriteField(const Text& f) { Out(row_->key, s_.*f.member); }
  void WriteField(const Slots& f) {
    const auto slots = f.slots(s_);
    for (std::size_t i = 1; i < slots.size(); ++i) Out(std::to_string(i), slots[i] ? "1" : "0");
  }
  void WriteField(const List& f) {
    const auto& items = s_.*f.member;
    const int count = static_cast<int>(items.size());
    if (f.count_first) Out(row_->key, count);
    for (std::size_t i = 0; i < items.size(); ++i) Out(std::string(f.item_prefix) + std::to_string(i + 1), items[i]);
    if (!f.count_first) Out(row_->key, count);
  }
  void WriteField(const Placement&) {
    if (s_.WindowState) Out(row_->key, *s_.WindowState);
    for (std::size_t i = 0; i < std::size(kBoundsKeys); ++i) Out(kBoundsKeys[i], s_.Window.*kBoundsFields[i]);
  }

  Settings& s_;
  std::string_view data_folder_;
  const SettingsField* row_ = nullptr;
  const Get* get_ = nullptr;
  const Keys* keys_ = nullptr;
  const Put* put_ = nullptr;
};

}  // namespace

std::span<const SettingsField> SettingsTable() { return kTable; }

Settings Settings::Defaults(std::string_view data_folder, WindowBounds window) {
  Settings s;
  Mapper(s, data_folder)
      .Read([](std::string_view, std::string_view, std::string_view fallback) { return std::string(fallback); },
            [](std::string_view) { return std::vector<std::string>(); }, window);
  return s;
}

SettingsStore::SettingsStore(platform::IniFiles& ini, FileFolders folders)
    : ini_(ini),
      folders_(std::move(folders)),
      file_name_(folders_.data + "options.ini"),
      settings_(Settings::Defaults(folders_.data)) {}

void SettingsStore::Load(WindowBounds window) {
  // Read once: a damaged or very long file costs one pass, not one per key.
  const platform::IniReader file = ini_.ReadWhole(file_name_);
  Mapper(settings_, folders_.data)
      .Read(
          [&](std::string_view section, std::string_view key, std::string_view fallback) {
            return file.GetString(section, key, fallback, kIniBufferChars);
          },
          [&](std::string_view section) { return file.GetKeys(section); }, window);
}

bool SettingsStore::Save() {
  std::vector<platform::IniEntry> entries;
  Mapper(settings_, folders_.data).Write([&](std::string_view section, std::string_view key, std::string_view value) {
    entries.push_back({std::string(section), std::string(key), std::string(value)});
  });
  return ini_.WriteStrings(file_name_, entries).ok();
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
