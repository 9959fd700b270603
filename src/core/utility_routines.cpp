#include "core/utility_routines.h"

#include "core/registry_access.h"
#include "platform/text_encoding.h"

namespace norvik::core {

using platform::RegRoot;

std::uint8_t GetOsCode(const platform::OsVersion& v) {
  if (v.platform_id == 1) {  // 95, 98, Me
    if (v.major == 4 && v.minor == 0) return 1;
    if (v.major == 4 && v.minor == 10) return 3;
    if (v.major == 4 && v.minor == 90) return 8;
    return 10;
  }
  if (v.platform_id == 2) {
    switch (v.major) {
      case 3: return 5;
      case 4: return 6;
      case 5:
        if (v.minor == 0) return 7;
        if (v.minor == 1) return 9;
        return 10;  // 5.2 and anything unknown in the 5.x line
      case 6: return v.minor == 1 ? 12 : 11;
      default: return 10;
    }
  }
  return 10;
}

std::uint8_t GetOsCode(platform::System& system) { return GetOsCode(system.GetVersion()); }

bool Is9xFamily(std::uint8_t os_code) { return os_code == 1 || os_code == 3 || os_code == 8; }

std::string ReadRegString(platform::Registry& registry, RegRoot root, std::string_view key_path,
                          std::string_view value_name) {
  RegistryAccess reg(registry);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key_path, false)) return {};
  return reg.ReadString(value_name).value_or({});
}

std::string FormatKB(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  const auto n = static_cast<std::uint64_t>(bytes);
  const std::uint64_t kb = n / 1024 + (n % 1024 != 0 ? 1 : 0);
  const std::string digits = std::to_string(kb);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string FormatSizeKB(std::int64_t bytes) { return FormatKB(bytes) + " KB"; }

std::string TwoDigits(int n) {
  std::string out = n < 10 ? "0" : "";
  out += std::to_string(n);
  return out;
}

bool IsFileInUse(platform::Files& files, std::string_view path) {
  auto attrs = files.GetAttributes(path);
  if (!attrs || (*attrs & platform::file_attr::kDirectory) != 0) return false;
  auto file = files.Open(path, platform::FileAccess::ReadWrite, platform::file_share::kNone,
                         platform::FileDisposition::OpenExisting);
  return !file.ok();  // an opened handle closes with `file`
}

std::uint64_t FileSizeOf(platform::Files& files, std::string_view path) {
  const std::string full = files.GetFullPathName(path).value_or(std::string(path));
  auto found = files.FindFirst(full);
  return found ? found->first.size : 0;
}

std::int64_t FileSizeOrError(platform::Files& files, std::string_view path) {
  if (!files.GetAttributes(path)) return 0;
  auto found = files.FindFirst(path);
  if (!found) return -1;
  return static_cast<std::int64_t>(found->first.size);
}

std::string ShortPathOf(platform::Files& files, std::string_view path) {
  constexpr std::size_t kBufferChars = 259;
  auto r = files.GetShortPathName(path);
  if (!r || r->size() >= kBufferChars) return {};
  return std::move(r).value();
}

namespace {

bool IsBareDrive(std::string_view path) {
  if (path.size() < 2 || path.size() > 3 || path[1] != ':') return false;
  return path.size() == 2 || path[2] == '\\' || path[2] == '/';
}

}  // namespace

bool DeleteFileSilently(platform::Files& files, std::string_view path) {
  if (path.empty() || IsBareDrive(path)) return false;
  return files.ShellDelete(path).ok();
}

bool IsWow64(platform::System& system) { return system.IsWow64Process().value_or(false); }

bool IsAdmin(platform::System& system) { return system.IsAdministrator().value_or(false); }

bool EnableBackupPrivilege(platform::System& system) {
  return system.EnablePrivilege("SeBackupPrivilege").ok();
}

bool EnableRestorePrivilege(platform::System& system) {
  return system.EnablePrivilege("SeRestorePrivilege").ok();
}

std::optional<HiveKey> HiveKeyOf(std::string_view hive_name) {
  constexpr std::string_view kMachine = "REGISTRY\\MACHINE\\";
  constexpr std::string_view kUser = "REGISTRY\\USER\\";
  const std::string name = platform::UpperCase(hive_name);
  if (const auto at = name.find(kMachine); at != std::string::npos) {
    return HiveKey{RegRoot::LocalMachine, name.substr(at + kMachine.size())};
  }
  if (const auto at = name.find(kUser); at != std::string::npos) {
    return HiveKey{RegRoot::Users, name.substr(at + kUser.size())};
  }
  return std::nullopt;
}

bool SaveHiveToFile(platform::Registry& registry, platform::Files& files,
                    std::string_view hive_name, const std::string& destination, bool is_64bit) {
  // RegOpenKey asks for MAXIMUM_ALLOWED; the 64-bit SOFTWARE view only needs to query.
  constexpr std::uint32_t kMaximumAllowed = 0x02000000;
  constexpr std::uint32_t kQuery64 =
      platform::reg_access::kQueryValue | platform::reg_access::kWow64_64Key;

  platform::RegKey key;
  if (const auto hive = HiveKeyOf(hive_name)) {
    const bool wide_view =
        is_64bit && hive->root == RegRoot::LocalMachine && hive->subkey.find("SOFTWARE") != std::string::npos;
    if (auto r = registry.Root(hive->root).Open(hive->subkey, wide_view ? kQuery64 : kMaximumAllowed)) {
      key = std::move(r).value();
    }
  }

  if (files.GetAttributes(destination).ok()) (void)files.DeleteFile(destination);

  if (!key.is_open()) return false;
  const bool saved = key.SaveToFile(destination).ok();
  key.Close();
  return saved;
}

namespace {

// Index of the n-th backslash (1-based), or npos.
std::size_t NthBackslash(std::string_view text, int n) {
  std::size_t pos = std::string_view::npos;
  for (int i = 0; i < n; ++i) {
    pos = text.find('\\', pos == std::string_view::npos ? 0 : pos + 1);
    if (pos == std::string_view::npos) break;
  }
  return pos;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && platform::EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::string DevicePathToDosPath(platform::Files& files, std::string_view device_path) {
  std::string path(device_path);
  if ((path.empty() || path.front() != '\\') && StartsWithIgnoreCase(path, "Device")) {
    path.insert(path.begin(), '\\');
  }

  const std::string upper = platform::UpperCase(path);
  std::size_t cut = std::string::npos;
  if (upper.find("DEVICE\\HARDDISKVOLUME") != std::string::npos) {
    cut = NthBackslash(path, 3);
  } else if (upper.find("DEVICE\\HARDDISK") != std::string::npos) {
    cut = NthBackslash(path, 4);
  }
  const std::string device = cut == std::string::npos ? path : path.substr(0, cut);
  const std::string rest = cut == std::string::npos ? std::string() : path.substr(cut);

  for (char letter = 'a'; letter <= 'z'; ++letter) {
    auto targets = files.QueryDosDevice(std::string{letter, ':'});
    if (!targets || targets->empty()) continue;
    const std::string& target = targets->front();
    if (platform::EqualsIgnoreCase(target, device) ||
        platform::EqualsIgnoreCase("\\" + target, device)) {
      return std::string{letter, ':'} + rest;
    }
  }
  return {};
}

std::string ResolveShortcut(platform::Shell& shell, std::string_view lnk_path) {
  return shell.ResolveShortcut(lnk_path).value_or(std::string());
}

std::vector<std::string> ReadTextLines(platform::Files& files, const std::string& path, std::uint64_t max_bytes) {
  std::vector<std::string> lines;
  auto file = files.Open(path, platform::FileAccess::Read, platform::file_share::kAll,
                         platform::FileDisposition::OpenExisting);
  if (!file) return lines;
  auto text = file->ReadAll(max_bytes);
  if (!text) return lines;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string HotkeyText(bool ctrl, bool shift, bool alt, std::string_view key_text, bool spaced) {
  const std::string_view sep = spaced ? "  " : "+";
  std::string out;
  if (ctrl) (out += "Ctrl") += sep;
  if (shift) (out += "Shift") += sep;
  if (alt) (out += "Alt") += sep;
  out += key_text;
  return out;
}

std::string Rot13(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>('a' + (c - 'a' + 13) % 26);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>('A' + (c - 'A' + 13) % 26);
    }
  }
  return out;
}

}  // namespace norvik::core
