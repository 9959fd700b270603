#include "regrepair/export_writer.h"

#include <optional>
#include <vector>

#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "platform/reg_text.h"
#include "platform/text_encoding.h"

namespace norvik::regrepair {
namespace {

using platform::RegRoot;

constexpr std::string_view kUnrestorable = "a name or text here cannot be written so that the backup restores it";

bool FitsKeyLine(std::string_view path) {
  return path.find_first_of("\r\n") == std::string_view::npos && platform::FitsCodePage(path);
}

// The section of `key_path`: with `value_name` that one value, else every value and then
// the sections of the subkeys, depth first. False when some part of it cannot be written
// so that an import gives it back.
bool WriteKeySection(core::RegistryAccess& access, std::string_view root_name, const std::string& key_path,
                     const std::string* value_name, std::string& out, int depth) {
  if (!FitsKeyLine(key_path) || depth > platform::kMaxRegistryDepth) return false;
  out += "\r\n[";
  out += root_name;
  if (!key_path.empty()) out += "\\" + key_path;  // values straight under a root
  out += "]\r\n";
  // A key that cannot be opened keeps its line with nothing under it.
  if (!access.OpenKey("\\" + key_path, false)) return true;
  std::vector<std::string> values;
  if (value_name != nullptr) {
    values.push_back(*value_name);
  } else {
    access.GetValueNames(values);
  }
  for (const std::string& name : values) {
    auto value = access.ReadValue(name);
    if (!value) continue;
    auto line = platform::BackupValueLine(name, *value);
    if (!line) return false;
    out += *line;
  }
  if (value_name != nullptr) return true;
  std::vector<std::string> subkeys;
  access.GetKeyNames(subkeys);
  access.CloseKey();
  for (const std::string& name : subkeys) {
    if (!WriteKeySection(access, root_name, key_path + "\\" + name, nullptr, out, depth + 1)) return false;
  }
  return true;
}

void AppendToFile(platform::Files& files, const std::string& file, std::string_view utf8_text) {
  std::string bytes = files.GetAttributes(file).ok() ? std::string() : std::string("REGEDIT4\r\n");
  bytes += platform::Utf8ToAnsi(utf8_text);
  auto out = files.Open(file, platform::FileAccess::Write, platform::file_share::kRead,
                        platform::FileDisposition::OpenAlways);
  if (!out) throw BackupError(file, "cannot open the backup file (error " + std::to_string(out.code()) + ")");
  platform::Status status = out->Seek(0, platform::SeekFrom::End).status();
  if (status) status = out->WriteAll(bytes);
  // On the disk before anything is deleted: a crash must not lose both.
  if (status) status = out->Flush();
  if (!status) throw BackupError(file, "cannot write the backup file (error " + std::to_string(status.code()) + ")");
}

bool IsMissing(std::uint32_t code) { return code == platform::kErrFileNotFound || code == platform::kErrPathNotFound; }

std::string CleanPath(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

}  // namespace

std::string MakeBackupFileName(std::string_view folder, const platform::CalendarTime& now) {
  std::string name(folder);
  if (name.empty() || name.back() != '\\') name += '\\';
  name += std::to_string(now.year) + "_" + core::TwoDigits(now.month) + "_" + core::TwoDigits(now.day) + "_" +
          core::TwoDigits(now.hour) + core::TwoDigits(now.minute) + core::TwoDigits(now.second) + ".reg";
  return name;
}

void SaveKeyToRegFile(platform::Registry& registry, platform::Files& files, const std::string& file, RegRoot root,
                      std::string_view key_path, std::string_view value_name, bool whole_key) {
  if (!key_path.empty() && key_path.back() == '\\') key_path.remove_suffix(1);
  core::RegistryAccess access(registry);
  access.SetRootKey(root);
  access.SetAccess(platform::reg_access::kRead);
  const std::string name(value_name);
  std::string text;
  if (!WriteKeySection(access, platform::RootName(root), std::string(key_path), whole_key ? nullptr : &name, text, 0)) {
    throw BackupError(file, std::string(kUnrestorable));
  }
  AppendToFile(files, file, text);
}

DeleteOutcome BackedUpDeletes::DeleteKey(std::string_view root_text, std::string_view key_path) {
  const auto root = core::RootFromName(platform::UpperCase(root_text));
  if (!root) return DeleteOutcome::BadRoot;
  const std::string path = CleanPath(key_path);
  if (path.empty()) return DeleteOutcome::Failed;  // a root is never deleted
  {
    // A key we cannot read is left alone: its backup would be empty.
    auto key = registry_.Root(*root).Open(path, platform::reg_access::kRead);
    if (!key) return IsMissing(key.code()) ? DeleteOutcome::Missing : DeleteOutcome::Failed;
  }
  SaveKeyToRegFile(registry_, files_, file_, *root, path, "", true);
  core::RegistryAccess access(registry_);
  access.SetRootKey(*root);
  return access.DeleteKey("\\" + path) ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
}

DeleteOutcome BackedUpDeletes::DeleteValue(std::string_view root_text, std::string_view key_path,
                                           std::string_view value_name, bool back_up) {
  const auto root = core::RootFromName(platform::UpperCase(root_text));
  if (!root) return DeleteOutcome::BadRoot;
  const std::string path = CleanPath(key_path);
  {
    auto key = registry_.Root(*root).Open(path, platform::reg_access::kRead);
    if (!key) return IsMissing(key.code()) ? DeleteOutcome::Missing : DeleteOutcome::Failed;
    auto value = key->Query(value_name);
    if (!value) return IsMissing(value.code()) ? DeleteOutcome::Missing : DeleteOutcome::Failed;
  }
  if (back_up) SaveKeyToRegFile(registry_, files_, file_, *root, path, value_name, false);
  core::RegistryAccess access(registry_);
  access.SetRootKey(*root);
  if (!access.OpenKey("\\" + path, false)) return DeleteOutcome::Failed;
  return access.DeleteValue(value_name) ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
}

}  // namespace norvik::regrepair
