#include "platform/sim/sim_ini_files.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "platform/sim/ini_text.h"
#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

// A file this large is not an INI file we should hold in memory.
constexpr std::uint64_t kMaxIniBytes = 64ull << 20;

// The file's lines; a missing file (or folder) is an empty document.
Result<IniDocument> Load(Files& files, const std::string& path) {
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

Status Save(Files& files, const std::string& path, const IniDocument& doc) {
  auto file = files.Open(path, FileAccess::Write, file_share::kNone, FileDisposition::CreateAlways);
  if (!file) return file.status();
  if (Status s = file->WriteAll(doc.Serialize()); !s) return s;
  return file->Flush();
}

// Loads, lets `change` edit the lines and writes the file back when it says it changed.
Status Update(Files& files, const std::string& path,
              const std::function<bool(IniDocument&)>& change) {
  auto doc = Load(files, path);
  if (!doc) return doc.status();
  if (!change(*doc)) return Status::Ok();
  return Save(files, path, *doc);
}

// The W functions take zero-terminated names and values; one holding a NUL cannot be
// passed on, and the real backend refuses it.
bool HasNul(std::initializer_list<std::string_view> texts) {
  return std::any_of(texts.begin(), texts.end(),
                     [](std::string_view t) { return t.find('\0') != std::string_view::npos; });
}

// A value in matching quotes is read without them.
std::string_view Unquote(std::string_view value) {
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// At most `buffer_chars` - 1 UTF-16 units, as a caller's buffer would hold.
std::string Cut(std::string_view text, std::size_t buffer_chars) {
  if (buffer_chars == 0) return std::string();
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() < buffer_chars) return std::string(text);
  return Utf16ToUtf8(std::u16string_view(wide).substr(0, buffer_chars - 1));
}

}  // namespace

std::string SimIniFiles::GetString(const std::string& file, std::string_view section,
                                   std::string_view key, std::string_view default_value,
                                   std::size_t buffer_chars) {
  // Trailing blanks of the default go, but never its first character.
  std::string_view answer = default_value;
  while (answer.size() > 1 && answer.back() == ' ') answer.remove_suffix(1);
  const auto doc = Load(files_, file);
  if (doc) {
    if (const IniSection* s = doc->FindSection(section)) {
      const IniLine* line = FindLine(*s, key);
      if (line && line->value) return Cut(Unquote(*line->value), buffer_chars);
    }
  }
  return Cut(Unquote(answer), buffer_chars);
}

std::vector<std::string> SimIniFiles::GetKeys(const std::string& file, std::string_view section) {
  std::vector<std::string> keys;
  const auto doc = Load(files_, file);
  if (!doc) return keys;
  const IniSection* s = doc->FindSection(section);
  if (!s) return keys;
  for (const auto& line : s->lines) {
    if (line.value && !line.name.empty() && line.name.front() != ';') keys.push_back(line.name);
  }
  return keys;
}

std::vector<std::string> SimIniFiles::GetSections(const std::string& file) {
  std::vector<std::string> names;
  const auto doc = Load(files_, file);
  if (!doc) return names;
  for (const auto& s : doc->sections) {
    if (!s.name.empty()) names.push_back(s.name);
  }
  return names;
}

Status SimIniFiles::WriteString(const std::string& file, std::string_view section,
                                std::string_view key, std::string_view value) {
  if (HasNul({section, key, value})) return Status(kErrInvalidParameter);
  return Update(files_, file, [&](IniDocument& doc) {
    IniSection* s = doc.FindSection(section);
    if (!s) s = &doc.sections.emplace_back(IniSection{std::string(TrimIni(section)), {}});
    const std::string text(TrimIni(value));
    if (IniLine* line = FindLine(*s, key)) {
      if (line->value == text) return false;
      line->value = text;
    } else {
      s->lines.push_back(IniLine{std::string(TrimIni(key)), text});
    }
    return true;
  });
}

Status SimIniFiles::DeleteKey(const std::string& file, std::string_view section,
                              std::string_view key) {
  if (HasNul({section, key})) return Status(kErrInvalidParameter);
  return Update(files_, file, [&](IniDocument& doc) {
    IniSection* s = doc.FindSection(section);
    if (!s) return false;
    IniLine* line = FindLine(*s, key);
    if (!line) return false;
    s->lines.erase(s->lines.begin() + (line - s->lines.data()));
    return true;
  });
}

Status SimIniFiles::DeleteSection(const std::string& file, std::string_view section) {
  if (HasNul({section})) return Status(kErrInvalidParameter);
  return Update(files_, file, [&](IniDocument& doc) {
    IniSection* s = doc.FindSection(section);
    if (!s) return false;
    if (s == &doc.sections.front()) {
      // The lines above the first header: they go, the place for them stays.
      if (s->lines.empty()) return false;
      s->lines.clear();
    } else {
      doc.sections.erase(doc.sections.begin() + (s - doc.sections.data()));
    }
    return true;
  });
}

}  // namespace norvik::platform::sim
