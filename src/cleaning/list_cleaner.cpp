#include "cleaning/list_cleaner.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cleaning/deletion_primitives.h"
#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::cleaning {
namespace {

using platform::RegRoot;

constexpr std::string_view kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kCurrentVersionKey = "\\Software\\Microsoft\\Windows\\CurrentVersion";
// GetPrivateProfileString cuts what does not fit; a long path entry must arrive whole.
constexpr std::size_t kValueBufferChars = 32768;

constexpr std::string_view kRegistryWord = "DelRegValue";
constexpr std::string_view kFileWord = "DelFile";
constexpr std::string_view kWholeFolderMask = "*.*";

bool Contains(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

bool IsDriveToken(std::string_view token) {
  return token.size() == 2 && std::isalpha(static_cast<unsigned char>(token[0])) && token[1] == ':';
}

// "\\server\share": both names present, no third backslash.
bool IsShareToken(std::string_view token) {
  if (!token.starts_with("\\\\")) return false;
  const std::size_t cut = token.find('\\', 2);
  return cut != std::string_view::npos && cut > 2 && cut + 1 < token.size() &&
         token.find('\\', cut + 1) == std::string_view::npos;
}

// The path below a base folder, its empty parts dropped. Nothing when a part would leave
// the base ("..", also the "..." and ". ." forms Windows shortens to it) or names a
// drive or stream (":").
std::optional<std::string> ContainedPath(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty()) {
      if (part.find(':') != std::string_view::npos) return std::nullopt;
      if (part.find_first_not_of(". ") == std::string_view::npos) return std::nullopt;
      if (!out.empty()) out += '\\';
      out += part;
    }
    start = end + 1;
  }
  return out;
}

// One item's pass over its section.
class ListRun {
 public:
  ListRun(RunContext& worker, TokenFolders folders) : worker_(worker), folders_(std::move(folders)) {}

  void RegistryEntry(std::string_view value) {
    const cleaning::RegistryEntry entry = ParseRegistryEntry(value);
    // Without a key path the entry would name a whole root.
    if (!entry.root || entry.key_path.find_first_not_of('\\') == std::string::npos) return;
    if (!entry.value_name) {
      worker_.ItemCount += DeleteRegKey(worker_, *entry.root, entry.key_path);
      return;
    }
    if (*entry.root == RegRoot::LocalMachine && !core::Is9xFamily(worker_.OsCode()) && !IsAdmin()) {
      if (!admin_message_given_) {
        admin_message_given_ = true;
        if (worker_.kind() != RunKind::AutomaticClean) worker_.ShowMessage(kAdministratorsMessage);
      }
      return;
    }
    worker_.ItemCount += DeleteRegValue(worker_, *entry.root, entry.key_path, *entry.value_name);
  }

  void FileEntry(std::string_view value) {
    const cleaning::FileEntry entry = ParseFileEntry(value);
    const std::optional<std::string> sub = ContainedPath(entry.path);
    if (!sub) return;
    // An empty mask matches no file name.
    if (entry.mask && entry.mask->empty()) return;
    const bool whole_folder = !entry.mask || *entry.mask == kWholeFolderMask;
    // The primitives refuse protected places and ask about drive and share roots,
    // whatever the spelling.
    for (const std::string& base : folders_.BaseFolders(entry.token)) {
      const std::string folder = base + *sub;
      if (!entry.mask) {
        bytes_ += DeleteFolderContents(worker_, folder, true, true, "", worker_.ItemCount);
      } else if (whole_folder) {
        bytes_ += DeleteFolderContents(worker_, folder, false, true, "", worker_.ItemCount);
      } else {
        bytes_ += DeleteFilesByMask(worker_, folder, *entry.mask, worker_.ItemCount, false);
      }
    }
  }

  std::int64_t bytes() const { return bytes_; }

 private:
  bool IsAdmin() {
    if (!admin_) admin_ = core::IsAdmin(worker_.platform().system);
    return *admin_;
  }

  RunContext& worker_;
  TokenFolders folders_;
  std::int64_t bytes_ = 0;
  std::optional<bool> admin_;
  bool admin_message_given_ = false;
};

// The section's keys in file order, each once: a repeated key reads the first line's
// value anyway, and running it twice would count it twice in a test.
std::vector<std::string> DistinctKeys(std::vector<std::string> keys) {
  std::set<std::string> seen;
  std::vector<std::string> out;
  for (std::string& key : keys) {
    if (seen.insert(platform::UpperCase(key)).second) out.push_back(std::move(key));
  }
  return out;
}

}  // namespace

std::string SectionForRunName(std::string_view run_name) {
  const std::size_t dash = run_name.find('-');
  if (dash == std::string_view::npos || dash + 2 > run_name.size()) return {};
  return std::string(run_name.substr(dash + 2));
}

RegistryEntry ParseRegistryEntry(std::string_view value) {
  RegistryEntry entry;
  const std::size_t slash = value.find('\\');
  entry.root = core::RootFromName(platform::UpperCase(value.substr(0, slash)));
  if (slash == std::string_view::npos) return entry;
  std::string_view rest = value.substr(slash + 1);
  if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
    entry.value_name = std::string(rest.substr(comma + 1));
    rest = rest.substr(0, comma);
  }
  entry.key_path = std::string(rest);
  return entry;
}

FileEntry ParseFileEntry(std::string_view value) {
  FileEntry entry;
  // A UNC path's token is its share: "\\\\server\\share".
  const std::size_t share = value.starts_with("\\\\") ? value.find('\\', 2) : std::string_view::npos;
  const std::size_t slash = value.find('\\', share == std::string_view::npos ? 0 : share + 1);
  // Without a backslash the whole value is the token.
  entry.token = std::string(value.substr(0, slash));
  if (slash == std::string_view::npos) return entry;
  std::string_view rest = value.substr(slash + 1);
  if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
    entry.mask = std::string(rest.substr(comma + 1));
    rest = rest.substr(0, comma);
  }
  entry.path = std::string(rest);
  return entry;
}

TokenFolders TokenFolders::Read(platform::Platform platform) {
  TokenFolders folders;
  // A 64-bit system has two program folders, and the list's entries were written for
  // 32-bit programs, which land in the second. The registry names both in either view
  // (the 32-bit view's ProgramFilesDir is the second, its ProgramW6432Dir the first);
  // a 32-bit system names one.
  for (const std::string_view name : {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir"}) {
    std::string folder = core::ReadRegString(platform.registry, RegRoot::LocalMachine, kCurrentVersionKey, name);
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    const bool known = std::any_of(folders.program_files.begin(), folders.program_files.end(),
                                   [&](const std::string& seen) { return platform::EqualsIgnoreCase(seen, folder); });
    if (!folder.empty() && !known) folders.program_files.push_back(std::move(folder));
  }
  folders.windows = platform.files.WindowsFolder();
  folders.local_app_data = core::ReadRegString(platform.registry, RegRoot::CurrentUser, kShellFoldersKey, "Local AppData");
  folders.current_app_data = core::ReadRegString(platform.registry, RegRoot::CurrentUser, kShellFoldersKey, "AppData");
  folders.common_app_data =
      core::ReadRegString(platform.registry, RegRoot::LocalMachine, kShellFoldersKey, "Common AppData");
  return folders;
}

std::vector<std::string> TokenFolders::BaseFolders(std::string_view token) const {
  std::vector<std::string> found;
  if (token == "%ProgramFiles%") {
    found = program_files;
  } else if (token == "%windir%") {
    found = {windows};
  } else if (token == "{Local AppData}") {
    found = {local_app_data};
  } else if (token == "{Current AppData}") {
    found = {current_app_data};
  } else if (token == "{Common AppData}") {
    found = {common_app_data};
  } else if (token == "{C: Drive}") {
    found = {"C:\\"};
  } else if (IsDriveToken(token)) {
    found = {std::string(token) + "\\"};
  } else if (IsShareToken(token)) {
    found = {std::string(token)};
  }
  std::vector<std::string> bases;
  for (std::string& folder : found) {
    if (!IsAbsoluteFolder(folder)) continue;
    if (folder.back() != '\\') folder += '\\';
    bases.push_back(std::move(folder));
  }
  return bases;
}

void RunListItem(RunContext& worker, std::string_view data_file_name, std::string_view run_name) {
  std::int64_t bytes = 0;
  const std::string section = SectionForRunName(run_name);
  std::string folder = data_file_name == kCustomListFile ? worker.Folders().data : worker.Folders().program;
  // A bare file name would send the INI functions to the Windows folder.
  if (!section.empty() && !folder.empty()) {
    if (folder.back() != '\\') folder += '\\';
    const std::string file = folder + std::string(data_file_name);
    platform::IniFiles& ini = worker.platform().ini;
    const std::vector<std::string> keys = DistinctKeys(ini.GetKeys(file, section));
    if (!keys.empty()) {
      ListRun run(worker, TokenFolders::Read(worker.platform()));
      for (const std::string& key : keys) {
        if (worker.Stopped()) break;
        const std::string value = ini.GetString(file, section, key, "", kValueBufferChars);
        if (value.empty()) continue;
        // A value that filled the buffer may have been cut: acted on, what is left of it
        // (a folder without its mask) would name more than the entry does.
        if (platform::Utf8ToUtf16(value).size() + 1 >= kValueBufferChars) {
          worker.AppendDetail(kTooLongWords, key);
          continue;
        }
        const std::string line = key + "=" + value;
        if (Contains(line, kRegistryWord)) run.RegistryEntry(value);
        if (Contains(line, kFileWord)) run.FileEntry(value);
      }
      bytes = run.bytes();
    }
  }
  worker.SetItemSize(bytes);
}

}  // namespace norvik::cleaning
