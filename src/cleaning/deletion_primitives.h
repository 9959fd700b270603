#pragma once
// The routines every cleaner removes things with. Each works inside a run: it writes
// detail lines unless fast mode is on, counts what it removes, and in a test only counts.
// A Test and a Clean walk the same entries, so a Test shows what a Clean would delete.
//
// Folder walks never follow a junction, symbolic link or other reparse point: such an
// entry is neither counted nor deleted, and nothing outside the named folder is reached.
// Protected places (see protected_places.h) are never emptied: named as the folder,
// a line says so; met inside a walk, they are left alone. Drive and share roots and the
// My Documents folders are asked about instead.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "cleaning/run_context.h"
#include "platform/platform.h"

namespace norvik::cleaning {

// Detail lines and questions.
inline constexpr std::string_view kDeletingWord = "deleting";
inline constexpr std::string_view kDeletingKeyWords = "deleting registry key";
inline constexpr std::string_view kDeletingValueWords = "deleting registry value";
// "<prefix>skipped, a protected place: <folder or key>", for a place never emptied or
// deleted as a whole.
inline constexpr std::string_view kProtectedPlaceWords = "skipped, a protected place:";
// "Do you want to delete all files and folders under <folder>?"
std::string DeleteAllQuestion(std::string_view folder);
// "Do you want to delete the files on <folder>?"
std::string DeleteFilesQuestion(std::string_view folder);

// Writes the file's detail line (unless fast mode or !log), then in a deleting run
// optionally wipes it and deletes it with the shell's silent delete. True when deleted;
// always true in a test.
bool DeleteOneFile(RunContext& worker, std::string_view path, bool log);

// Overwrites the file `passes` times, each pass with one random byte value (0..254)
// repeated over the whole file, flushing after each pass. Files of any size. A link
// or a file with more than one hard link is never overwritten. Any failure ends the
// wiping silently; the caller deletes the file anyway, unless the run was stopped.
void WipeFile(RunContext& worker, std::string_view path, int passes);
// The overwriting itself, with the byte source given; `stopped` is asked before each
// block. False when nothing was written.
bool OverwriteFile(platform::Files& files, std::string_view path, int passes,
                   const std::function<std::uint8_t()>& next_byte, const std::function<bool()>& stopped = {});

// Empties `folder` and its subfolders (subfolders removed in a deleting run), skipping
// files named `excluded_name` (letter case ignored); with `remove_folder` the folder
// itself is removed too when it ends up empty. Adds one to `counter` per file; returns
// the bytes. Asks before emptying a drive root or the My Documents folders.
std::int64_t DeleteFolderContents(RunContext& worker, std::string_view folder, bool remove_folder,
                                  bool log, std::string_view excluded_name, std::uint32_t& counter);

// Deletes the files of `folder` (and with `recurse` of its subfolders) that match `mask`:
// "*.*" matches all, a mask without "*" only the exact name (letter case included),
// otherwise prefix and suffix around the first "*" ignoring letter case. Folders stay.
std::int64_t DeleteFilesByMask(RunContext& worker, std::string_view folder, std::string_view mask,
                               std::uint32_t& counter, bool recurse);

// True when `name` matches `mask` by the rules above.
bool MaskMatches(std::string_view mask, std::string_view name);

// The key with its subtree: the number of values in it, at least 1 for an existing key;
// 0 for a missing key or an empty path (the root itself is never deleted).
std::uint32_t DeleteRegKey(RunContext& worker, platform::RegRoot root, std::string_view key_path);
std::uint32_t DeleteUserRegKey(RunContext& worker, std::string_view key_path);
// One value (1 when it existed), or with an empty name every value and every subkey of
// the key, which itself stays.
std::uint32_t DeleteRegValue(RunContext& worker, platform::RegRoot root, std::string_view key_path,
                             std::string_view value_name);
std::uint32_t DeleteUserRegValue(RunContext& worker, std::string_view key_path, std::string_view value_name);

// Keys that are protected places (IsProtectedKey) are neither deleted nor emptied: a
// line says so. A key that is a registry link is deleted itself, never its target, and
// never emptied.

// True when the key at `key_path` is a registry link.
bool IsRegistryLink(platform::Registry& registry, platform::RegRoot root, std::string_view key_path);

// Values of the key and of every key below it; 0 when it cannot be opened.
std::uint32_t CountValuesInTree(platform::Registry& registry, platform::RegRoot root, std::string_view key_path);

// Path helpers the cleaners share.
std::string WithBackslash(std::string path);
// A folder that names its drive ("C:\...") or share ("\\server\..."). Only such a
// folder may be the base of a delete: a relative one would be taken from whatever the
// current folder happens to be.
bool IsAbsoluteFolder(std::string_view folder);
// True for an existing folder, false for a file or nothing.
bool FolderExists(platform::Files& files, std::string_view folder);

// Special folders. My Documents and AppData end with a backslash (empty when the shell
// cannot tell); the Internet cache does not. AppData and the cache first end the
// browser session so its files are let go.
std::string MyDocumentsFolder(platform::Platform platform);
std::string ProgramFilesFolder(platform::Platform platform);
std::string AppDataFolder(platform::Platform platform);
std::string InternetCacheFolder(platform::Platform platform);
// Any special folder looked up that way, without a trailing backslash (empty when the
// shell cannot tell).
std::string SessionFolder(platform::Platform platform, int csidl);
// The Recent folder without a trailing backslash (empty when the shell cannot tell),
// looked up after ending the browser session like AppData.
std::string RecentFolder(platform::Platform platform);

}  // namespace norvik::cleaning
