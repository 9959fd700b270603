#include "defrag/hive_list.h"

#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::defrag {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool Exists(platform::Files& files, std::string_view path) { return !path.empty() && files.GetAttributes(path).ok(); }

std::string ExistingFile(platform::Files& files, std::string path, bool is_wow64) {
  if (is_wow64) path = ToSysnativePath(files, path);
  return Exists(files, path) ? path : std::string();
}

// The first fixed drive whose device name occurs in the text; the letters in the order
// Windows lists them.
std::string MatchFixedDrive(platform::Files& files, std::string_view device_path) {
  constexpr std::size_t kMaxDeviceChars = 127;
  const std::string upper = platform::UpperCase(device_path);
  const std::uint32_t drives = files.LogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((drives & (1u << i)) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    if (files.GetDriveType(std::string{letter, ':', '\\'}) != platform::DriveType::Fixed) continue;
    auto devices = files.QueryDosDevice(std::string{letter, ':'});
    if (!devices || devices->empty() || devices->front().empty()) continue;
    const std::string device = platform::UpperCase(devices->front().substr(0, kMaxDeviceChars));
    if (const auto at = upper.find(device); at != std::string::npos) {
      return std::string{letter, ':'} + std::string(device_path.substr(at + device.size()));
    }
  }
  return {};
}

}  // namespace

std::string ToSysnativePath(platform::Files& files, std::string_view path) {
  constexpr std::string_view kSystem32 = "system32";
  const auto at = LowerAscii(path).find(kSystem32);
  if (at == std::string::npos) return std::string(path);
  std::string native(path);
  native.replace(at, kSystem32.size(), "sysnative");
  return Exists(files, native) ? native : std::string(path);
}

std::string HivePathToFile(platform::Files& files, std::string_view device_path, bool is_wow64) {
  if (platform::UpperCase(device_path).find("DEVICE\\HARDDISK") != std::string::npos) {
    const std::string found = ExistingFile(files, MatchFixedDrive(files, device_path), is_wow64);
    if (!found.empty()) return found;
  }
  return ExistingFile(files, core::DevicePathToDosPath(files, device_path), is_wow64);
}

HiveList LoadHiveList(platform::Registry& registry, platform::Files& files, bool is_wow64) {
  HiveList list;
  auto key = registry.Root(platform::RegRoot::LocalMachine).Open(kHiveListKey, platform::reg_access::kRead);
  if (!key) return list;
  auto names = key->ValueNames();
  if (!names) return list;
  for (const auto& name : *names) {
    auto value = key->Query(name);
    if (!value || !value->IsString()) continue;
    const std::string text = value->AsString();
    if (text.empty()) continue;
    std::string file = HivePathToFile(files, text, is_wow64);
    if (file.empty()) continue;
    list.names.push_back(name);
    list.files.push_back(std::move(file));
  }
  return list;
}

}  // namespace norvik::defrag
