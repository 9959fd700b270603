#include "platform/sim/ini_text.h"

#include "platform/text_encoding.h"

namespace norvik::platform::sim {
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

}  // namespace norvik::platform::sim
