#include "cleaning/protected_places.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "cleaning/deletion_primitives.h"
#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::cleaning {
namespace {

using platform::RegRoot;

// Below each profile: the folders that hold its settings and documents.
constexpr std::array<std::string_view, 9> kProfileParts = {
    "APPDATA",          "APPDATA\\ROAMING", "APPDATA\\LOCAL",  "APPDATA\\LOCALLOW",
    "DOCUMENTS",        "MY DOCUMENTS",     "APPLICATION DATA", "LOCAL SETTINGS",
    "LOCAL SETTINGS\\APPLICATION DATA",
};

// Core keys of a machine or user hive, upper case, after the views are folded away.
constexpr std::array<std::string_view, 12> kCoreKeys = {
    "SOFTWARE\\MICROSOFT",
    "SOFTWARE\\POLICIES",
    "SOFTWARE\\MICROSOFT\\WINDOWS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
    "SOFTWARE\\POLICIES\\MICROSOFT",
    "SYSTEM\\CURRENTCONTROLSET",
    "SYSTEM\\SETUP",
    "SYSTEM\\CURRENTCONTROLSET\\CONTROL",
    "SYSTEM\\CURRENTCONTROLSET\\SERVICES",
    "SYSTEM\\CURRENTCONTROLSET\\ENUM",
};

std::vector<std::string> SplitNames(std::string_view text) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) names.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::string Join(const std::vector<std::string>& names, std::size_t from = 0) {
  std::string out;
  for (std::size_t i = from; i < names.size(); ++i) {
    if (i > from) out += '\\';
    out += names[i];
  }
  return out;
}

bool IsAdminShare(std::string_view share) {
  return share.size() == 2 && std::isalpha(static_cast<unsigned char>(share[0])) && share[1] == '$';
}

bool IsVolumeRootText(std::string_view canonical) {
  if (canonical.size() == 3 && canonical[1] == ':') return true;
  return canonical.starts_with("\\\\") && std::count(canonical.begin(), canonical.end(), '\\') == 3;
}

// "ControlSet001" and the like stand for CurrentControlSet.
std::string FoldControlSet(std::vector<std::string> names) {
  if (names.size() >= 2 && names[0] == "SYSTEM" && names[1].starts_with("CONTROLSET")) names[1] = "CURRENTCONTROLSET";
  return Join(names);
}

}  // namespace

std::string CanonicalPath(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '/', '\\');
  if (text.starts_with("\\\\?\\") || text.starts_with("\\\\.\\")) {
    text.erase(0, 4);
    if (platform::UpperCase(text.substr(0, 4)) == "UNC\\") text.replace(0, 4, "\\\\");
  }
  std::string head;
  std::vector<std::string> names;
  if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':') {
    if (text.size() > 2 && text[2] != '\\') return {};  // relative to the drive's current folder
    head = platform::UpperCase(text.substr(0, 2));
    names = SplitNames(std::string_view(text).substr(2));
  } else if (text.starts_with("\\\\")) {
    names = SplitNames(std::string_view(text).substr(2));
    if (names.size() < 2) return {};
    if (IsAdminShare(names[1])) {
      head = platform::UpperCase(names[1].substr(0, 1)) + ":";
    } else {
      head = "\\\\" + platform::UpperCase(names[0]) + "\\" + platform::UpperCase(names[1]);
    }
    names.erase(names.begin(), names.begin() + 2);
  } else {
    return {};
  }
  std::vector<std::string> kept;
  for (const std::string& name : names) {
    // Windows drops trailing dots and blanks; a name of dots alone is "." or "..".
    const std::size_t end = name.find_last_not_of(". ");
    if (end == std::string::npos) {
      if (name.find("..") != std::string::npos && !kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(platform::UpperCase(std::string_view(name).substr(0, end + 1)));
  }
  if (head.size() == 2 && kept.empty()) return head + "\\";
  return kept.empty() ? head : head + "\\" + Join(kept);
}

void ProtectedPlaces::Add(std::string_view folder) {
  std::string canonical = CanonicalPath(folder);
  if (!canonical.empty()) places_.push_back(std::move(canonical));
}

void ProtectedPlaces::AddProfilesRoot(std::string_view folder) {
  std::string canonical = CanonicalPath(folder);
  if (canonical.empty()) return;
  places_.push_back(canonical);
  profile_roots_.push_back(std::move(canonical) + "\\");
}

void ProtectedPlaces::SetMyDocuments(std::string_view folder) { my_documents_ = CanonicalPath(folder); }

FolderRank ProtectedPlaces::Rank(std::string_view folder) const {
  const std::string canonical = CanonicalPath(folder);
  if (canonical.empty()) return FolderRank::Ordinary;
  if (IsVolumeRootText(canonical)) return FolderRank::VolumeRoot;
  if (!my_documents_.empty() && (canonical == my_documents_ || canonical == my_documents_ + "\\MY PICTURES")) {
    return FolderRank::MyDocuments;
  }
  if (std::find(places_.begin(), places_.end(), canonical) != places_.end()) return FolderRank::Protected;
  for (const std::string& root : profile_roots_) {
    if (!canonical.starts_with(root)) continue;
    const std::vector<std::string> below = SplitNames(std::string_view(canonical).substr(root.size()));
    const std::string inside = Join(below, 1);
    if (below.size() == 1 || std::find(kProfileParts.begin(), kProfileParts.end(), inside) != kProfileParts.end()) {
      return FolderRank::Protected;
    }
  }
  return FolderRank::Ordinary;
}

std::string LongSpelling(platform::Files& files, std::string_view path) {
  const std::string canonical = CanonicalPath(path);
  if (canonical.empty()) return std::string(path);
  auto long_form = files.GetLongPathName(canonical);
  return long_form ? std::move(long_form).value() : canonical;
}

ProtectedPlaces ReadProtectedPlaces(platform::Platform platform) {
  namespace csidl = platform::csidl;
  ProtectedPlaces places;
  platform::Files& files = platform.files;
  const auto add = [&](const std::string& folder) {
    if (!folder.empty()) places.Add(LongSpelling(files, folder));
  };
  const auto special = [&](int id) { return platform.shell.SpecialFolder(id).value_or(std::string()); };
  add(files.WindowsFolder());
  add(files.SystemFolder());
  add(ProgramFilesFolder(platform));
  for (int id : {csidl::kWindows, csidl::kSystem, csidl::kProgramFiles, csidl::kProgramFilesX86, csidl::kCommonAppData,
                 csidl::kAppData, csidl::kLocalAppData, csidl::kPersonal, csidl::kProfile}) {
    add(special(id));
  }
  // The profiles root holds the user's own profile; without one, My Documents sits in it.
  std::string profile = special(csidl::kProfile);
  if (profile.empty()) profile = special(csidl::kPersonal);
  while (!profile.empty() && profile.back() == '\\') profile.pop_back();
  if (const auto cut = profile.rfind('\\'); cut != std::string::npos && cut > 2) {
    places.AddProfilesRoot(LongSpelling(files, profile.substr(0, cut)));
  }
  const std::string my_documents = MyDocumentsFolder(platform);
  if (!my_documents.empty()) places.SetMyDocuments(LongSpelling(files, my_documents));
  return places;
}

bool MaskTakesEverything(std::string_view mask) { return mask == "*" || mask == "*.*"; }

bool IsProtectedKey(RegRoot root, std::string_view key_path) {
  std::vector<std::string> names = SplitNames(platform::UpperCase(key_path));
  bool classes = root == RegRoot::ClassesRoot;
  if (root == RegRoot::Users) {
    // HKEY_USERS\<sid> is a user's hive, HKEY_USERS\<sid>_Classes its classes.
    if (names.size() <= 1) return true;
    classes = names[0].ends_with("_CLASSES");
    names.erase(names.begin());
  }
  // The 32-bit view and the classes view are the same places under other names.
  if (!classes && names.size() >= 2 && names[0] == "SOFTWARE" && names[1] == "WOW6432NODE") {
    names.erase(names.begin() + 1);
  }
  if (!classes && names.size() >= 2 && names[0] == "SOFTWARE" && names[1] == "CLASSES") {
    classes = true;
    names.erase(names.begin(), names.begin() + 2);
  }
  if (names.size() <= 1) return true;
  if (classes) return false;
  const std::string path = FoldControlSet(std::move(names));
  return std::find(kCoreKeys.begin(), kCoreKeys.end(), path) != kCoreKeys.end();
}

}  // namespace norvik::cleaning
