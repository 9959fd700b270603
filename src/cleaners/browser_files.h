#pragma once
// What the browser cleaners share: their profile folders, whole files deleted by name
// together with the files SQLite keeps beside a database, and rows deleted from the
// tables of a browser's database.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/clear_task.h"
#include "cleaning/run_context.h"

namespace norvik::cleaners {

// The line a Clean writes first when a cache's files are not listed one by one.
inline constexpr std::string_view kPleaseWaitLine = "Clearing, please wait...";

// Files SQLite keeps beside a database "X": "X-journal", "X-wal", "X-shm". They hold
// rows of the database, and SQLite replays them into the next database of that name.
inline constexpr std::string_view kDatabaseCompanions[] = {"-journal", "-wal", "-shm"};

// The user's local application-data folder as Explorer records it (HKCU Shell Folders
// "Local AppData"), with a trailing backslash; empty when it is not recorded.
std::string LocalAppDataFolder(cleaning::RunContext& worker);
// `folder` with a trailing backslash when it is an absolute path to an existing folder;
// otherwise empty.
std::string ExistingFolder(cleaning::RunContext& worker, std::string folder);
// The names of the folders directly in `folder` (links left out), read until the run
// is stopped.
std::vector<std::string> SubfolderNames(cleaning::RunContext& worker, const std::string& folder);

// Deletes the files of `folder` (with `descend` also of its subfolders) that match
// each mask in turn, counting them in the item; returns the bytes. A mask without "*"
// names a file exactly, and such a file takes its database companions with it:
// counted as files of their own, deleted once the file itself is gone (or is absent),
// left alone while the file stays (in use by its browser).
std::int64_t DeleteFilesByMasks(cleaning::RunContext& worker, const std::string& folder,
                                std::initializer_list<std::string_view> masks, bool descend);

// One table of a database and the statement that empties it.
struct TableStatement {
  std::string_view table;
  std::string_view statement;
};
// In a Clean, when the database file exists, runs each statement whose table exists,
// in order. A database error escapes as an ESQLiteException; the database is closed.
void DeleteRows(cleaning::RunContext& worker, const std::string& database_file,
                std::span<const TableStatement> statements);

}  // namespace norvik::cleaners
