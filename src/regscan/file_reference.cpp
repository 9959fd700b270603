#include "regscan/file_reference.h"

#include <exception>

#include "platform/text_encoding.h"

namespace norvik::regscan {
namespace {

using platform::UpperCase;

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Where arguments may start inside a path text.
bool IsSeparator(char c) {
  switch (c) {
    case ' ': case '*': case ',': case '/': case ':': case ';': case '<': case '>': case '?': case '|':
      return true;
    default:
      return false;
  }
}

// ExpandEnvironmentStrings with the caller's 1,024-character buffer.
constexpr std::size_t kExpandBufferChars = 1024;

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

class Probe {
 public:
  Probe(const FileCheck& check, bool folder_counts)
      : check_(check), folder_counts_(folder_counts), upper_drives_(UpperCase(check.scan_drives)) {
    if (!check_.listings) check_.listings = std::make_unique<FolderListings>(check_.files);
  }

  // An existing entry that is not a folder, found the way FindFirstFile finds it, so a
  // name holding '*' is matched as a pattern. A partial path shorter than a drive root
  // would be looked up in the current folder, which says nothing about the reference.
  bool FileExists(const std::string& path) const {
    if (path.size() < 3) return false;
    if (const auto listed = check_.listings->Exists(path, false)) return *listed;
    auto found = check_.files.FindFirst(path);
    return found.ok() && !found->first.is_directory();
  }
  bool FolderExists(const std::string& path) const {
    if (path.size() < 3) return false;
    if (const auto listed = check_.listings->Exists(path, true)) return *listed;
    auto attributes = check_.files.GetAttributes(path);
    return attributes.ok() && (*attributes & platform::file_attr::kDirectory) != 0;
  }
  bool FileWithRunExtension(const std::string& path) const {
    return FileExists(path + ".exe") || FileExists(path + ".com") || FileExists(path + ".bat");
  }
  bool Present(const std::string& path) const {
    return FileExists(path) || (folder_counts_ && FolderExists(path)) || FileWithRunExtension(path);
  }

  // A drive letter the scan may report, then ":\" (already upper-cased `upper`).
  bool OnScannedDrive(const std::string& upper) const {
    return !upper.empty() && Contains(upper_drives_, std::string_view(upper).substr(0, 1)) &&
           upper.size() >= 3 && upper.compare(1, 2, ":\\") == 0;
  }
  // A reference on a floppy drive without a medium is missing; the drive is not touched.
  bool OnEmptyFloppy(const std::string& upper) const {
    if (check_.include_remove_media) return false;
    return (upper.starts_with("A:\\") && !check_.floppy_a_ready) || (upper.starts_with("B:\\") && !check_.floppy_b_ready);
  }

 private:
  const FileCheck& check_;
  bool folder_counts_;
  std::string upper_drives_;
};

bool HasRedirectedFolder(const std::string& upper) {
  return Contains(upper, "SYSTEM32") || Contains(upper, "PROGRAM FILES");
}

// The path part of a text with a known extension: up to the extension, on a scanned drive.
bool MissingWithExtension(const Probe& probe, std::string w, std::string_view required_ext) {
  const auto at = UpperCase(w).find(UpperCase(required_ext));
  if (at == std::string::npos) return false;
  w = w.substr(0, at) + std::string(required_ext);
  const std::string upper = UpperCase(w);
  if (!probe.OnScannedDrive(upper)) return false;
  if (probe.OnEmptyFloppy(upper)) return true;
  return !probe.FileExists(w);
}

// A path that may carry arguments: every separator is tried as the end of the path.
bool MissingWithArguments(const Probe& probe, const std::string& w) {
  const std::string upper = UpperCase(w);
  if (!probe.OnScannedDrive(upper)) return false;
  if (probe.OnEmptyFloppy(upper)) return true;
  if (Contains(std::string_view(w).substr(3), ":\\")) return false;  // two paths in one text
  const std::string folder = w.substr(0, w.rfind('\\') + 1);
  const bool folder_exists = probe.FolderExists(folder);
  if (folder == w && folder_exists) return false;
  if (folder_exists) {
    std::string p = folder;
    for (std::size_t i = folder.size(); i < w.size(); ++i) {
      if (IsSeparator(w[i]) && probe.Present(p)) return false;
      p += w[i];
    }
    for (;;) {
      if (probe.Present(p)) return false;
      if (!p.ends_with(';')) return true;
      p.pop_back();
      if (p.empty()) return true;
    }
  }
  std::string p;
  for (const char c : w) {
    if (IsSeparator(c) && probe.FileWithRunExtension(p)) return false;
    p += c;
    if (probe.FileExists(p)) return false;
  }
  return true;
}

bool IsMissing(const FileCheck& check, std::string_view text, std::string_view required_ext, bool folder_counts,
               bool redirected_view) {
  if (text.empty() || Contains(text, "?")) return false;
  const std::string upper_text = UpperCase(text);
  if (Contains(upper_text, "\\HP")) return false;
  if (redirected_view && (HasRedirectedFolder(upper_text) || Contains(upper_text, "PROGRAMFILES") ||
                          Contains(upper_text, "\\WINDOWS\\SYSWOW64"))) {
    return false;
  }

  std::string w(text);
  if (w.starts_with('"')) {
    w.erase(0, 1);
    if (w.empty()) return false;
    if (const auto quote = w.find('"'); quote != std::string::npos) w.resize(quote);
  }
  if (w.starts_with('%')) {
    const std::string rest = w.substr(1);
    if (rest.empty()) return false;
    const auto close = rest.find('%');
    if (close == std::string::npos) return false;  // "%" with no partner stays unexpanded
    const std::string variable = w.substr(0, close + 2);  // "%NAME%"
    const std::string expanded = ExpandIfFolder(check.files, check.system, variable);
    if (expanded.starts_with('%')) return false;
    w = expanded + rest.substr(close + 1);
  }
  if (redirected_view && HasRedirectedFolder(UpperCase(w))) return false;

  const Probe probe(check, folder_counts);
  if (!required_ext.empty()) return MissingWithExtension(probe, std::move(w), required_ext);
  if (w.empty()) return false;
  return MissingWithArguments(probe, w);
}

}  // namespace

bool IsMissingFileReference(const FileCheck& check, std::string_view text, std::string_view required_ext,
                            bool folder_counts, bool redirected_view) {
  try {
    return IsMissing(check, text, required_ext, folder_counts, redirected_view);
  } catch (const std::exception&) {
    return false;  // an error while testing never reports an entry
  }
}

std::string ExpandIfFolder(platform::Files& files, platform::System& system, std::string_view text) {
  const std::string expanded = system.ExpandEnvironment(text);
  if (expanded.size() >= kExpandBufferChars) return std::string(text);
  const std::string trimmed(Trim(expanded));
  if (trimmed.empty()) return std::string(text);
  auto attributes = files.GetAttributes(trimmed);
  if (!attributes.ok() || (*attributes & platform::file_attr::kDirectory) == 0) return std::string(text);
  return trimmed;
}

std::string BuildScanDrives(platform::Files& files, bool include_remove_media) {
  std::string drives = include_remove_media ? "" : "ab";
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (!include_remove_media || files.GetDriveType(root) == platform::DriveType::Fixed) drives += letter;
  }
  return drives;
}

FloppyReadiness ProbeFloppies(platform::Files& files) {
  return FloppyReadiness{files.IsVolumeReady("a:\\"), files.IsVolumeReady("b:\\")};
}

}  // namespace norvik::regscan
