#include "platform/ini_text.h"

#include <unordered_map>

#include "platform/text_encoding.h"

namespace norvik::platform {
namespace {

bool IsIniBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string Decode(std::string_view bytes, IniEncoding& encoding) {
  if (bytes.starts_with("\xFF\xFE")) {
    encoding = IniEncoding::kUtf16LeBom;
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(wide);
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    encoding = IniEncoding::kUtf8Bom;
    // Through UTF-16 and back so that malformed bytes become U+FFFD.
    return Utf16ToUtf8(Utf8ToUtf16(bytes.substr(3)));
  }
  encoding = IniEncoding::kAnsi;
  return AnsiToUtf8(bytes);
}

std::string Encode(const std::string& text, IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::kUtf16LeBom: {
      std::string out = "\xFF\xFE";
      for (const char16_t c : Utf8ToUtf16(text)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
      }
      return out;
    }
    case IniEncoding::kUtf8Bom:
      return "\xEF\xBB\xBF" + text;
    case IniEncoding::kAnsi:
      break;
  }
  return Utf8ToAnsi(text);
}

template <typename Sections>
auto* FindSectionIn(Sections& sections, std::string_view name) {
  name = TrimIni(name);
  for (auto& section : sections) {
    if (!section.name.empty() && EqualsIgnoreCase(section.name, name)) return &section;
  }
  // The unnamed first section answers to the empty name.
  return name.empty() ? &sections.front() : nullptr;
}

template <typename Section>
auto* FindLineIn(Section& section, std::string_view name) {
  name = TrimIni(name);
  for (auto& line : section.lines) {
    if (EqualsIgnoreCase(line.name, name)) return &line;
  }
  return static_cast<decltype(&section.lines.front())>(nullptr);
}

}  // namespace

std::string_view TrimIni(std::string_view text) {
  while (!text.empty() && IsIniBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniBlank(text.back())) text.remove_suffix(1);
  return text;
}

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument doc;
  const std::string text = Decode(bytes, doc.encoding);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = TrimIni(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        doc.sections.push_back(IniSection{std::string(TrimIni(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    IniLine entry;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      entry.name = std::string(line);
    } else {
      entry.name = std::string(TrimIni(line.substr(0, eq)));
      entry.value = std::string(TrimIni(line.substr(eq + 1)));
    }
    doc.sections.back().lines.push_back(std::move(entry));
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string text;
  for (const auto& section : sections) {
    if (!section.name.empty()) text += "[" + section.name + "]\r\n";
    for (const auto& line : section.lines) {
      text += line.name;
      if (line.value) text += "=" + *line.value;
      text += "\r\n";
    }
  }
  return Encode(text, encoding);
}

bool IniDocument::Write(std::span<const IniEntry> entries) {
  // Upper-cased names -> the first section / line of that name, built once, so that a
  // damaged file of many sections or a long list costs one pass.
  std::unordered_map<std::string, std::size_t> section_by_name;
  for (std::size_t i = sections.size(); i-- > 1;) section_by_name[UpperCase(sections[i].name)] = i;
  std::vector<std::optional<std::unordered_map<std::string, std::size_t>>> line_by_name(sections.size());
  bool changed = false;
  for (const IniEntry& entry : entries) {
    const std::string section_name(TrimIni(entry.section));
    std::size_t at = 0;  // the unnamed first section answers to the empty name
    if (!section_name.empty()) {
      const auto [found, added] = section_by_name.try_emplace(UpperCase(section_name), sections.size());
      if (added) {
        sections.push_back(IniSection{section_name, {}});
        line_by_name.emplace_back();
      }
      at = found->second;
    }
    IniSection& section = sections[at];
    auto& index = line_by_name[at];
    if (!index) {
      index.emplace();
      for (std::size_t i = 0; i < section.lines.size(); ++i) index->try_emplace(UpperCase(section.lines[i].name), i);
    }
    const std::string key(TrimIni(entry.key));
    const std::string value(TrimIni(entry.value));
    const auto [found, added] = index->try_emplace(UpperCase(key), section.lines.size());
    if (added) {
      section.lines.push_back(IniLine{key, value});
    } else if (section.lines[found->second].value == value) {
      continue;
    } else {
      section.lines[found->second].value = value;
    }
    changed = true;
  }
  return changed;
}

namespace {

// A value in matching quotes is read without them.
std::string_view Unquote(std::string_view value) {
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
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

IniReader::IniReader(IniDocument doc) : doc_(std::move(doc)), lines_(doc_.sections.size()) {
  for (std::size_t i = 0; i < doc_.sections.size(); ++i) {
    if (i > 0 && !doc_.sections[i].name.empty()) sections_.try_emplace(UpperCase(doc_.sections[i].name), i);
    const auto& lines = doc_.sections[i].lines;
    for (std::size_t j = 0; j < lines.size(); ++j) lines_[i].try_emplace(UpperCase(lines[j].name), j);
  }
}

const IniSection* IniReader::Section(std::string_view name) const {
  name = TrimIni(name);
  if (name.empty()) return &doc_.sections.front();
  const auto found = sections_.find(UpperCase(name));
  return found == sections_.end() ? nullptr : &doc_.sections[found->second];
}

std::string IniReader::GetString(std::string_view section, std::string_view key, std::string_view default_value,
                                 std::size_t buffer_chars) const {
  if (const IniSection* s = Section(section)) {
    const auto& lines = lines_[static_cast<std::size_t>(s - doc_.sections.data())];
    const auto found = lines.find(UpperCase(TrimIni(key)));
    if (found != lines.end() && s->lines[found->second].value) {
      return Cut(Unquote(*s->lines[found->second].value), buffer_chars);
    }
  }
  // Trailing blanks of the default go, but never its first character.
  while (default_value.size() > 1 && default_value.back() == ' ') default_value.remove_suffix(1);
  return Cut(Unquote(default_value), buffer_chars);
}

std::vector<std::string> IniReader::GetKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const IniSection* s = Section(section)) {
    for (const auto& line : s->lines) {
      if (line.value && !line.name.empty() && line.name.front() != ';') keys.push_back(line.name);
    }
  }
  return keys;
}

std::vector<std::string> IniReader::GetSections() const {
  std::vector<std::string> names;
  for (const auto& s : doc_.sections) {
    if (!s.name.empty()) names.push_back(s.name);
  }
  return names;
}

IniSection* IniDocument::FindSection(std::string_view name) {
  return FindSectionIn(sections, name);
}

const IniSection* IniDocument::FindSection(std::string_view name) const {
  return FindSectionIn(sections, name);
}

const IniLine* FindLine(const IniSection& section, std::string_view name) {
  return FindLineIn(section, name);
}

IniLine* FindLine(IniSection& section, std::string_view name) { return FindLineIn(section, name); }

}  // namespace norvik::platform
