#include "cleaners/browser_files.h"

#include <map>

#include "cleaning/deletion_primitives.h"
#include "core/utility_routines.h"
#include "stores/sqlite_database.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

constexpr std::string_view kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Profiles are shallow; a deeper tree is left alone rather than walked.
constexpr int kMaxProfileDepth = 64;

struct FolderListing {
  std::map<std::string, std::uint64_t, std::less<>> files;  // exact names
  std::vector<std::string> folders;
};

FolderListing List(RunContext& worker, const std::string& folder) {
  FolderListing listing;
  auto found = worker.platform().files.FindFirst(folder + "*");
  if (!found) return listing;
  platform::FindHandle& rest = found->rest;
  for (auto entry = platform::Result<platform::FindData>(std::move(found->first)); entry; entry = rest.Next()) {
    if (worker.Stopped()) break;
    if (entry->is_dot() || entry->is_reparse_point()) continue;
    if (entry->is_directory()) {
      listing.folders.push_back(entry->name);
    } else {
      listing.files.emplace(entry->name, entry->size);
    }
  }
  return listing;
}

// Deletes (in a Test: counts) one listed file; false when it stays.
bool TakeFile(RunContext& worker, const std::string& path, std::uint64_t size, std::int64_t& bytes) {
  if (!cleaning::DeleteOneFile(worker, path, true)) return false;
  ++worker.ItemCount;
  bytes += static_cast<std::int64_t>(size);
  worker.ReportWalkProgress(worker.ItemCount);
  return true;
}

std::int64_t DeleteNamedFiles(RunContext& worker, const std::string& folder, std::string_view name,
                              bool descend, int depth) {
  const FolderListing listing = List(worker, folder);
  std::int64_t bytes = 0;
  bool gone = true;
  if (const auto it = listing.files.find(name); it != listing.files.end()) {
    gone = TakeFile(worker, folder + it->first, it->second, bytes);
  }
  // A companion of a database still in use belongs to it: deleting a hot journal
  // would corrupt the database.
  if (gone) {
    for (const std::string_view suffix : kDatabaseCompanions) {
      const auto it = listing.files.find(std::string(name) + std::string(suffix));
      if (it != listing.files.end()) TakeFile(worker, folder + it->first, it->second, bytes);
    }
  }
  if (!descend || depth >= kMaxProfileDepth) return bytes;
  for (const std::string& sub : listing.folders) {
    if (worker.Stopped()) break;
    bytes += DeleteNamedFiles(worker, folder + sub + "\\", name, true, depth + 1);
  }
  return bytes;
}

}  // namespace

std::string LocalAppDataFolder(RunContext& worker) {
  std::string folder =
      core::ReadRegString(worker.platform().registry, platform::RegRoot::CurrentUser, kShellFoldersKey, "Local AppData");
  return folder.empty() ? folder : cleaning::WithBackslash(std::move(folder));
}

std::string ExistingFolder(RunContext& worker, std::string folder) {
  if (!cleaning::IsAbsoluteFolder(folder) || !cleaning::FolderExists(worker.platform().files, folder)) return {};
  return cleaning::WithBackslash(std::move(folder));
}

std::vector<std::string> SubfolderNames(RunContext& worker, const std::string& folder) {
  return List(worker, cleaning::WithBackslash(folder)).folders;
}

std::int64_t DeleteFilesByMasks(RunContext& worker, const std::string& folder,
                                std::initializer_list<std::string_view> masks, bool descend) {
  std::int64_t bytes = 0;
  for (const std::string_view mask : masks) {
    if (mask.find('*') != std::string_view::npos) {
      bytes += cleaning::DeleteFilesByMask(worker, folder, mask, worker.ItemCount, descend);
    } else if (!ExistingFolder(worker, folder).empty()) {
      bytes += DeleteNamedFiles(worker, cleaning::WithBackslash(folder), mask, descend, 0);
    }
  }
  return bytes;
}

void DeleteRows(RunContext& worker, const std::string& database_file,
                std::span<const TableStatement> statements) {
  platform::Files& files = worker.platform().files;
  if (worker.IsTest()) return;
  const auto attributes = files.GetAttributes(database_file);
  // A link is not opened: the rows deleted would be those of whatever it points to.
  if (!attributes || (*attributes & (platform::file_attr::kDirectory | platform::file_attr::kReparsePoint)) != 0) {
    return;
  }
  stores::TSQLiteDatabase database(files.LibraryPath(database_file));
  for (const TableStatement& step : statements) {
    if (database.TableExists(step.table)) database.Execute(step.statement);
  }
}

}  // namespace norvik::cleaners
