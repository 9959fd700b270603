#include "regscan/folder_listings.h"

#include "platform/text_encoding.h"

namespace norvik::regscan {
namespace {

// Paths the system would rewrite before looking them up.
bool NeedsTheSystem(std::string_view path) {
  if (path.size() < 4 || path.compare(1, 2, ":\\") != 0) return true;
  for (const char c : path) {
    if (c == '/' || c == '*' || c == '?' || static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return path.find("\\.\\") != std::string_view::npos || path.find("\\..") != std::string_view::npos ||
         path.find("\\\\") != std::string_view::npos;
}

}  // namespace

std::optional<bool> FolderListings::Exists(std::string_view path, bool want_folder) {
  if (NeedsTheSystem(path)) return std::nullopt;
  if (path.ends_with('\\')) {
    if (!want_folder) return false;  // a name ending in a backslash is never a file
    path.remove_suffix(1);
  }
  const auto slash = path.rfind('\\');
  if (slash < 2) return std::nullopt;  // a drive root
  std::string_view name = path.substr(slash + 1);
  // The system drops trailing blanks and dots from the last name.
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.remove_suffix(1);
  if (name.empty()) return std::nullopt;
  const Listing& listing = ListingOf(std::string(path.substr(0, slash)));
  if (!listing.usable) return std::nullopt;
  const auto it = listing.is_folder.find(platform::UpperCase(name));
  return it != listing.is_folder.end() && it->second == want_folder;
}

const FolderListings::Listing& FolderListings::ListingOf(const std::string& folder) {
  const std::string key = platform::UpperCase(folder);
  if (const auto it = listings_.find(key); it != listings_.end()) return it->second;
  Listing& listing = listings_[key];
  auto found = files_.FindFirst(folder + "\\*");
  if (!found) {
    // A folder that is not there (or a file standing in its place) holds nothing.
    listing.usable = found.code() == platform::kErrFileNotFound || found.code() == platform::kErrPathNotFound;
    return listing;
  }
  platform::Result<platform::FindData> entry = std::move(found->first);
  for (; entry.ok(); entry = found->rest.Next()) {
    if (entry->is_dot()) continue;
    if (listing.is_folder.size() >= kMaxEntries) {
      listing.is_folder.clear();
      return listing;
    }
    listing.is_folder[platform::UpperCase(entry->name)] = entry->is_directory();
    if (!entry->short_name.empty()) listing.is_folder[platform::UpperCase(entry->short_name)] = entry->is_directory();
  }
  listing.usable = entry.code() == platform::kErrNoMoreFiles;
  return listing;
}

}  // namespace norvik::regscan
