#pragma once
// Windows path rules for the simulated drives: parsing drive-absolute paths, the
// wildcard match of FindFirstFile and 8.3 short names. Pure text; no host access.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace norvik::platform::sim {

// A drive-absolute path split into names, with "." and ".." already resolved.
struct WinPath {
  char drive = 0;          // upper case
  char drive_written = 0;  // as the caller wrote it (GetFullPathName keeps it)
  std::vector<std::string> parts;
  bool trailing_separator = false;  // "C:\dir\" names the folder itself

  bool is_root() const { return parts.empty(); }
  // "C:\a\b" (upper-case drive, no trailing separator unless root).
  std::string Text() const;
};

// Which characters ParseWinPath refuses in names.
enum class NameCheck {
  kStrict,           // <>:"|?* and control characters give kErrInvalidName
  kWildcardsInLast,  // the same, but the last name may hold '*' and '?'
  kNone,             // text only, as GetFullPathName treats it
};

// Parses "X:\..." with '\' or '/' separators. Repeated separators collapse, "." and ".."
// are resolved lexically (".." stops at the root) and trailing dots and spaces of the
// last name are dropped, as Windows normalises a path before it looks at the disk.
// Relative, drive-relative and UNC paths give kErrPathNotFound.
Result<WinPath> ParseWinPath(std::string_view path, NameCheck check = NameCheck::kStrict);

bool HasWildcards(std::string_view name);

// FindFirstFile's match of one name against a mask, letter case ignored. This follows
// the real implementation's quirks: after a '*' the scan jumps to the next literal
// character (so "*?" never matches), and trailing '.' and '*' in the mask match nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

// True when `name` already is a valid 8.3 name (letter case does not matter).
bool IsShortName(std::string_view name);

// Short names for the entries of one folder, as NTFS generates them: the first six
// usable characters in upper case, "~N", and up to three characters of extension,
// N counting up in the folder's sorted order so the result is stable. Names that
// already are 8.3 get no entry. Keys are the long names as given.
std::map<std::string, std::string> AssignShortNames(const std::vector<std::string>& names);

// Puts names in listing order: letter case ignored (upper-cased, as Wine and NTFS
// compare), then exact.
void SortForListing(std::vector<std::string>& names);

}  // namespace norvik::platform::sim
