#include "platform/ini_file.h"

#include <algorithm>

namespace norvik::platform {

Result<IniDocument> ReadIniFile(Files& files, const std::string& path) {
  auto file = files.Open(path, FileAccess::Read, file_share::kRead | file_share::kWrite,
                         FileDisposition::OpenExisting);
  if (!file) {
    if (file.code() == kErrFileNotFound || file.code() == kErrPathNotFound) return IniDocument{};
    return file.status();
  }
  auto bytes = file->ReadAll(kMaxIniBytes);
  if (!bytes) return bytes.code() == kErrFileTooLarge ? Status(kErrNotSupported) : bytes.status();
  return IniDocument::Parse(*bytes);
}

Status WriteIniEntries(Files& files, const std::string& path, std::span<const IniEntry> entries) {
  // The W functions take zero-terminated texts: one holding a NUL cannot be written.
  const bool nul = std::any_of(entries.begin(), entries.end(), [](const IniEntry& e) {
    return (e.section + e.key + e.value).find('\0') != std::string::npos;
  });
  if (nul) return Status(kErrInvalidParameter);
  auto doc = ReadIniFile(files, path);
  if (!doc) return doc.status();
  if (!doc->Write(entries)) return Status::Ok();
  // A read-only file stays as it is, as with the profile functions; Wine's MoveFileEx
  // would replace it where Windows refuses.
  if (auto attributes = files.GetAttributes(path); attributes && (*attributes & file_attr::kReadOnly)) {
    return Status(kErrAccessDenied);
  }

  const std::string temporary = path + ".tmp";
  Status written = [&] {
    auto file = files.Open(temporary, FileAccess::Write, file_share::kNone, FileDisposition::CreateAlways);
    if (!file) return file.status();
    if (Status s = file->WriteAll(doc->Serialize()); !s) return s;
    return file->Flush();
  }();
  if (written) written = files.MoveFileOver(temporary, path);
  if (!written) (void)files.DeleteFile(temporary);
  return written;
}

}  // namespace norvik::platform
