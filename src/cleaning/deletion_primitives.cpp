#include "cleaning/deletion_primitives.h"

#include <array>
#include <cctype>
#include <chrono>
#include <optional>
#include <random>
#include <vector>

#include "cleaning/protected_places.h"
#include "core/registry_access.h"
#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::cleaning {

using platform::FindData;
using platform::RegRoot;
namespace file_attr = platform::file_attr;

namespace {

constexpr std::size_t kWipeBlock = 4096;
// Detail lines of files scroll the log every 50 lines in a test, 25 in a clean.
constexpr int kFileScrollInterval = 50;
// Deeper folders are left alone rather than walked: a path that long cannot be
// deleted through the shell anyway, and the walk's recursion stays bounded.
constexpr int kMaxFolderDepth = 256;

std::string_view TrimBackslashes(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

// Always written, fast mode or not: the user should see why a listed place stayed.
void AppendRefusal(RunContext& worker, std::string_view target) {
  worker.AppendDetail(kProtectedPlaceWords, target);
  worker.ScrollLog(0);
}

// What a folder walk's listing said of a file in `folder`: the file routine then asks the
// system once about it rather than again from its name alone.
struct ListedFile {
  std::string_view folder;
  const FindData& entry;
};

bool TakeOneFile(RunContext& worker, std::string_view path, bool log, const ListedFile* listed) {
  platform::Files& files = worker.platform().files;
  // The delete refuses a link (Wine would delete what it points to), so a test must not
  // count one either.
  if (worker.IsTest() && (listed ? files.IsListedLink(listed->folder, listed->entry) : files.IsLink(path))) {
    return false;
  }
  if (log && !worker.options().FastScan) {
    worker.AppendDetail(kDeletingWord, path);
    worker.ScrollLog(kFileScrollInterval);
  }
  if (worker.IsTest()) return true;
  if (worker.options().IsWipeFile && !core::IsFileInUse(files, path)) {
    WipeFile(worker, path, worker.options().WipeNumber);
    // A stopped wipe leaves the file where it is, and it is not counted as removed.
    if (worker.Stopped()) return false;
  }
  return (listed ? files.DeleteListedFile(listed->folder, listed->entry) : files.ShellDelete(path)).ok();
}

// One folder walk: the run, and the places it must ask about or leave alone.
class FolderWalk {
 public:
  explicit FolderWalk(RunContext& worker) : worker_(worker), files_(worker.platform().files) {}

  // The folder as the walk names it: absolute (so "C:\x\.." is the drive root it
  // means) with one trailing backslash. Nothing when the run is stopped or the folder
  // is missing, is no folder, or is itself a link: emptying a link would empty what it
  // points to.
  std::optional<std::string> Start(std::string_view folder) {
    if (worker_.Stopped() || folder.empty() || folder == "\\") return std::nullopt;
    auto full = files_.GetFullPathName(folder);
    if (!full) return std::nullopt;
    auto attributes = files_.GetAttributes(*full);
    if (!attributes || (*attributes & file_attr::kDirectory) == 0 ||
        (*attributes & file_attr::kReparsePoint) != 0) {
      return std::nullopt;
    }
    places_ = ReadProtectedPlaces(worker_.platform());
    start_ = WithBackslash(std::move(full).value());
    long_start_ = WithBackslash(LongSpelling(files_, start_));
    return start_;
  }

  // How a folder of this walk ranks, whatever spelling its start was given in.
  FolderRank Rank(const std::string& folder) const {
    return places_.Rank(folder.starts_with(start_) ? long_start_ + folder.substr(start_.size()) : folder);
  }
  bool Ask(const std::string& question) { return worker_.AskYesNo(question); }
  // A protected place named by the caller: one line says why nothing happens.
  void Refuse(const std::string& folder) { AppendRefusal(worker_, folder); }

  // Calls `visit` for each entry of `folder` (which ends with a backslash) until the
  // end or a stop request. "." and "..", and links of every kind, are never handed on.
  template <typename Visit>
  void ForEachEntry(const std::string& folder, Visit visit) {
    auto start = files_.FindFirst(folder + "*");
    if (!start) return;
    FindData entry = std::move(start->first);
    for (;;) {
      if (!entry.is_dot() && !entry.is_reparse_point()) visit(entry);
      if (worker_.Stopped()) return;
      auto next = start->rest.Next();
      if (!next) return;
      entry = std::move(next).value();
    }
  }

  // A file found by the walk: deleted (or in a test counted) and added up.
  void TakeFile(const std::string& folder, const FindData& entry, bool log, std::uint32_t& counter,
                std::int64_t& bytes) {
    const ListedFile listed{folder, entry};
    if (!TakeOneFile(worker_, folder + entry.name, log, &listed)) return;
    ++counter;
    bytes += static_cast<std::int64_t>(entry.size);
    worker_.ReportWalkProgress(counter);
  }

  RunContext& worker() { return worker_; }
  platform::Files& files() { return files_; }

 private:
  RunContext& worker_;
  platform::Files& files_;
  ProtectedPlaces places_;
  std::string start_;
  std::string long_start_;
};

// Deleting runs ask before emptying a drive root or the My Documents folders; protected
// places are never emptied.
bool MayEmpty(FolderWalk& walk, const std::string& folder) {
  switch (walk.Rank(folder)) {
    case FolderRank::Protected:
      return false;
    case FolderRank::VolumeRoot:
    case FolderRank::MyDocuments:
      return walk.worker().IsTest() || walk.Ask(DeleteAllQuestion(folder));
    case FolderRank::Ordinary:
      break;
  }
  return true;
}

std::int64_t EmptyEntries(FolderWalk& walk, const std::string& folder, int depth, bool log,
                          std::string_view excluded_name, std::uint32_t& counter) {
  RunContext& worker = walk.worker();
  std::int64_t bytes = 0;
  walk.ForEachEntry(folder, [&](const FindData& entry) {
    const std::string path = folder + entry.name;
    if (entry.is_directory()) {
      if (worker.Stopped() || depth >= kMaxFolderDepth || !MayEmpty(walk, path + "\\")) return;
      bytes += EmptyEntries(walk, path + "\\", depth + 1, log, excluded_name, counter);
      // A folder that kept something (an excluded or locked file, a link) stays.
      if (!worker.IsTest()) (void)walk.files().RemoveDirectory(path);
    } else if (excluded_name.empty() || !platform::EqualsIgnoreCase(entry.name, excluded_name)) {
      walk.TakeFile(folder, entry, log, counter, bytes);
    }
  });
  return bytes;
}

std::int64_t DeleteMatching(FolderWalk& walk, const std::string& folder, int depth, std::string_view mask,
                            std::uint32_t& counter, bool recurse) {
  RunContext& worker = walk.worker();
  if (worker.Stopped() || depth > kMaxFolderDepth) return 0;
  switch (walk.Rank(folder)) {
    case FolderRank::Protected:
      // Masks that name some files stay allowed; one that takes them all is refused.
      if (MaskTakesEverything(mask)) {
        if (depth == 0) walk.Refuse(folder);
        return 0;
      }
      break;
    case FolderRank::VolumeRoot:
      if (!worker.IsTest() && (mask.empty() || mask.find('*') != std::string_view::npos) &&
          !walk.Ask(DeleteAllQuestion(folder))) {
        return 0;
      }
      break;
    case FolderRank::MyDocuments:
      if (!worker.IsTest() && !walk.Ask(DeleteFilesQuestion(folder))) return 0;
      break;
    case FolderRank::Ordinary:
      break;
  }
  std::int64_t bytes = 0;
  walk.ForEachEntry(folder, [&](const FindData& entry) {
    const std::string path = folder + entry.name;
    if (entry.is_directory()) {
      if (recurse) bytes += DeleteMatching(walk, path + "\\", depth + 1, mask, counter, recurse);
    } else if (MaskMatches(mask, entry.name)) {
      walk.TakeFile(folder, entry, true, counter, bytes);
    }
  });
  return bytes;
}

std::string KeyText(RegRoot root, std::string_view key_path) {
  std::string text(platform::RootName(root));
  text += '\\';
  text += key_path;
  return text;
}

}  // namespace

std::string DeleteAllQuestion(std::string_view folder) {
  return "Do you want to delete all files and folders under " + std::string(folder) + "?";
}

std::string DeleteFilesQuestion(std::string_view folder) {
  return "Do you want to delete the files on " + std::string(folder) + "?";
}

bool DeleteOneFile(RunContext& worker, std::string_view path, bool log) {
  return TakeOneFile(worker, path, log, nullptr);
}

void WipeFile(RunContext& worker, std::string_view path, int passes) {
  platform::Files& files = worker.platform().files;
  if (!files.GetAttributes(path)) return;
  std::mt19937 generator(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> byte_value(0, 254);
  (void)OverwriteFile(
      files, path, passes, [&] { return static_cast<std::uint8_t>(byte_value(generator)); },
      [&] { return worker.Stopped(); });
}

bool OverwriteFile(platform::Files& files, std::string_view path, int passes,
                   const std::function<std::uint8_t()>& next_byte, const std::function<bool()>& stopped) {
  // Writing through a link would overwrite whatever it points to.
  auto attributes = files.GetAttributes(path);
  if (!attributes || (*attributes & (file_attr::kDirectory | file_attr::kReparsePoint)) != 0 || files.IsLink(path)) {
    return false;
  }
  bool written = false;
  std::array<std::uint8_t, kWipeBlock> block{};
  for (int pass = 0; pass < passes; ++pass) {
    block.fill(next_byte());
    auto file = files.Open(path, platform::FileAccess::ReadWrite, platform::file_share::kNone,
                           platform::FileDisposition::OpenExisting);
    if (!file) return written;
    // Another name of the same data would keep it "deleted" yet overwritten; the
    // caller only unlinks this name, so the data stays as it was.
    if (file->LinkCount().value_or(0) != 1) return written;
    auto size = file->Size();
    if (!size || !file->Seek(0)) return written;
    for (std::uint64_t left = *size; left > 0;) {
      if (stopped && stopped()) return written;
      const std::size_t chunk = left < kWipeBlock ? static_cast<std::size_t>(left) : kWipeBlock;
      auto put = file->Write(block.data(), chunk);
      if (!put || *put != chunk) return written;
      written = true;
      left -= chunk;
    }
    if (!file->Flush()) return written;
  }
  return written;
}

std::int64_t DeleteFolderContents(RunContext& worker, std::string_view folder, bool remove_folder,
                                  bool log, std::string_view excluded_name, std::uint32_t& counter) {
  FolderWalk walk(worker);
  const auto start = walk.Start(folder);
  if (!start) return 0;
  const FolderRank rank = walk.Rank(*start);
  if (rank == FolderRank::Protected) walk.Refuse(*start);
  // A refused question skips the removal as well as the contents.
  if (!MayEmpty(walk, *start)) return 0;
  const std::int64_t bytes = EmptyEntries(walk, *start, 0, log, excluded_name, counter);
  if (remove_folder && !worker.IsTest() && rank == FolderRank::Ordinary) {
    (void)worker.platform().files.RemoveDirectory(start->substr(0, start->size() - 1));
  }
  return bytes;
}

std::int64_t DeleteFilesByMask(RunContext& worker, std::string_view folder, std::string_view mask,
                               std::uint32_t& counter, bool recurse) {
  FolderWalk walk(worker);
  const auto start = walk.Start(folder);
  if (!start) return 0;
  return DeleteMatching(walk, *start, 0, mask, counter, recurse);
}

bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*" || mask == name) return true;
  const std::size_t star = mask.find('*');
  if (star == std::string_view::npos) return false;
  const std::string prefix = platform::UpperCase(mask.substr(0, star));
  const std::string suffix = platform::UpperCase(mask.substr(star + 1));
  const std::string upper = platform::UpperCase(name);
  // The star stands for what lies between the two, so they must not overlap.
  return upper.size() >= prefix.size() + suffix.size() && upper.starts_with(prefix) &&
         upper.ends_with(suffix);
}

bool IsRegistryLink(platform::Registry& registry, RegRoot root, std::string_view key_path) {
  auto key = registry.Root(root).OpenLink(TrimBackslashes(key_path), platform::reg_access::kRead);
  return key && key->IsLink();
}

std::uint32_t CountValuesInTree(platform::Registry& registry, RegRoot root, std::string_view key_path) {
  // A listed key that is a link counts as itself, as it is deleted.
  auto key = registry.Root(root).OpenLink(TrimBackslashes(key_path), platform::reg_access::kRead);
  if (!key) return 0;
  std::uint32_t count = 0;
  platform::WalkSubtree(*key, [&](const platform::WalkEntry& entry) {
    if (auto info = entry.key.Info()) count += info->value_count;
    return platform::WalkAction::Continue;
  });
  return count;
}

std::uint32_t DeleteRegKey(RunContext& worker, RegRoot root, std::string_view key_path) {
  // The root itself (an empty path) is one of them.
  if (IsProtectedKey(root, key_path)) {
    AppendRefusal(worker, KeyText(root, TrimBackslashes(key_path)));
    return 0;
  }
  platform::Registry& registry = worker.platform().registry;
  std::uint32_t count = CountValuesInTree(registry, root, key_path);
  core::RegistryAccess reg(registry);
  reg.SetRootKey(root);
  reg.SetAccess(platform::reg_access::kRead);
  if (!reg.KeyExists(key_path)) return count;
  if (!worker.options().FastScan) {
    worker.AppendDetail(kDeletingKeyWords, KeyText(root, key_path));
    worker.ScrollLog(0);
  }
  if (!worker.IsTest()) {
    reg.SetAccess(platform::reg_access::kAllAccess);
    (void)reg.DeleteKey(key_path);
  }
  return count == 0 ? 1 : count;
}

std::uint32_t DeleteUserRegKey(RunContext& worker, std::string_view key_path) {
  return DeleteRegKey(worker, RegRoot::CurrentUser, key_path);
}

std::uint32_t DeleteRegValue(RunContext& worker, RegRoot root, std::string_view key_path,
                             std::string_view value_name) {
  // Emptying a protected key (the root itself among them) would take as much as
  // deleting it.
  if (value_name.empty() && IsProtectedKey(root, key_path)) {
    AppendRefusal(worker, KeyText(root, TrimBackslashes(key_path)));
    return 0;
  }
  if (TrimBackslashes(key_path).empty()) return 0;
  // The values of a registry link are its target's: only the link itself may go.
  if (IsRegistryLink(worker.platform().registry, root, key_path)) return 0;
  core::RegistryAccess reg(worker.platform().registry);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key_path, false)) return 0;

  const auto take_value = [&](std::string_view name) {
    if (!worker.options().FastScan) {
      worker.AppendDetail(kDeletingValueWords, KeyText(root, key_path) + "\\" + std::string(name));
      worker.ScrollLog(0);
    }
    if (!worker.IsTest()) (void)reg.DeleteValue(name);
  };

  if (!value_name.empty()) {
    if (!reg.ValueExists(value_name)) return 0;
    take_value(value_name);
    return 1;
  }
  std::uint32_t count = 0;
  std::vector<std::string> names;
  reg.GetValueNames(names);
  for (const auto& name : names) {
    take_value(name);
    ++count;
  }
  reg.GetKeyNames(names);
  reg.CloseKey();
  std::string base(key_path);
  while (!base.empty() && base.back() == '\\') base.pop_back();
  for (const auto& name : names) count += DeleteRegKey(worker, root, base + "\\" + name);
  return count;
}

std::uint32_t DeleteUserRegValue(RunContext& worker, std::string_view key_path, std::string_view value_name) {
  return DeleteRegValue(worker, RegRoot::CurrentUser, key_path, value_name);
}

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

bool IsAbsoluteFolder(std::string_view folder) {
  const auto drive_letter = [&] { return std::isalpha(static_cast<unsigned char>(folder[0])) != 0; };
  if (folder.size() >= 3 && drive_letter() && folder[1] == ':' && folder[2] == '\\') return true;
  return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

bool FolderExists(platform::Files& files, std::string_view folder) {
  const auto attributes = files.GetAttributes(folder);
  return attributes.ok() && (*attributes & platform::file_attr::kDirectory) != 0;
}

std::string MyDocumentsFolder(platform::Platform platform) {
  auto folder = platform.shell.SpecialFolder(platform::csidl::kPersonal);
  if (!folder || folder->empty()) return {};
  return WithBackslash(std::move(folder).value());
}

std::string ProgramFilesFolder(platform::Platform platform) {
  return core::ReadRegString(platform.registry, RegRoot::LocalMachine,
                             "\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
}

// The browser session is ended first so that the files it holds there are let go.
std::string SessionFolder(platform::Platform platform, int csidl) {
  (void)platform.system.EndBrowserSession();
  auto folder = platform.shell.SpecialFolder(csidl);
  if (!folder) return {};
  std::string path = std::move(folder).value();
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string AppDataFolder(platform::Platform platform) {
  std::string folder = SessionFolder(platform, platform::csidl::kAppData);
  return folder.empty() ? folder : WithBackslash(std::move(folder));
}

std::string InternetCacheFolder(platform::Platform platform) {
  return SessionFolder(platform, platform::csidl::kInternetCache);
}

std::string RecentFolder(platform::Platform platform) { return SessionFolder(platform, platform::csidl::kRecent); }

}  // namespace norvik::cleaning
