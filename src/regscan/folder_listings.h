#pragma once
// Existence answers for a whole scan from one listing per folder. A hive scan asks about
// the same folders tens of thousands of times (with and without .exe, .com, .bat); one
// listing answers them all. Anything a listing cannot answer exactly as the system would
// (patterns, relative parts, non-ASCII names, roots, unreadable or huge folders) is left
// to the real call.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/files.h"

namespace norvik::regscan {

class FolderListings {
 public:
  explicit FolderListings(platform::Files& files) : files_(files) {}

  // True / false when the listing of the path's folder decides whether the path is an
  // existing file (or, with `want_folder`, an existing folder); nothing otherwise.
  std::optional<bool> Exists(std::string_view path, bool want_folder);

  // A folder with more entries than this is not kept.
  static constexpr std::size_t kMaxEntries = 20000;

 private:
  struct Listing {
    bool usable = false;
    std::unordered_map<std::string, bool> is_folder;  // upper-case long and short names
  };
  const Listing& ListingOf(const std::string& folder);

  platform::Files& files_;
  std::unordered_map<std::string, Listing> listings_;  // by upper-case folder path
};

}  // namespace norvik::regscan
