#include "platform/sim/sim_ini_files.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "platform/ini_file.h"

namespace norvik::platform::sim {
namespace {

Status Save(Files& files, const std::string& path, const IniDocument& doc) {
  auto file = files.Open(path, FileAccess::Write, file_share::kNone, FileDisposition::CreateAlways);
  if (!file) return file.status();
  if (Status s = file->WriteAll(doc.Serialize()); !s) return s;
  return file->Flush();
}

// Loads, lets `change` edit the lines and writes the file back when it says it changed.
Status Update(Files& files, const std::string& path,
              const std::function<bool(IniDocument&)>& change) {
  auto doc = ReadIniFile(files, path);
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

}  // namespace

IniReader SimIniFiles::ReadWhole(const std::string& file) {
  auto doc = ReadIniFile(files_, file);
  return IniReader(doc ? std::move(doc).value() : IniDocument{});
}

std::string SimIniFiles::GetString(const std::string& file, std::string_view section, std::string_view key,
                                   std::string_view default_value, std::size_t buffer_chars) {
  return ReadWhole(file).GetString(section, key, default_value, buffer_chars);
}

std::vector<std::string> SimIniFiles::GetKeys(const std::string& file, std::string_view section) {
  return ReadWhole(file).GetKeys(section);
}

std::vector<std::string> SimIniFiles::GetSections(const std::string& file) { return ReadWhole(file).GetSections(); }

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

Status SimIniFiles::WriteStrings(const std::string& file, std::span<const IniEntry> entries) {
  return WriteIniEntries(files_, file, entries);
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
