#pragma once
// An INI file as the private-profile functions hold it in memory: sections of lines,
// each line a name with or without a value. Reading drops blank lines and trims names
// and values; writing produces "[name]" and "name=value" lines ended by CRLF, in the
// encoding the file was read in.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvik::platform::sim {

enum class IniEncoding {
  kAnsi,        // code page 1252, no mark
  kUtf8Bom,     // EF BB BF
  kUtf16LeBom,  // FF FE
};

struct IniLine {
  std::string name;                  // trimmed; a comment line is a name beginning with ';'
  std::optional<std::string> value;  // trimmed; none when the line has no '='
};

struct IniSection {
  std::string name;  // trimmed text between '[' and the last ']'
  std::vector<IniLine> lines;
};

struct IniDocument {
  IniEncoding encoding = IniEncoding::kAnsi;
  // The first section has no name and holds the lines above the first header.
  std::vector<IniSection> sections{IniSection{}};

  static IniDocument Parse(std::string_view bytes);
  std::string Serialize() const;

  // The first section / line with this name, letter case and outer blanks ignored.
  IniSection* FindSection(std::string_view name);
  const IniSection* FindSection(std::string_view name) const;
};

const IniLine* FindLine(const IniSection& section, std::string_view name);
IniLine* FindLine(IniSection& section, std::string_view name);

// Blanks the private-profile functions trim: white space and the ^Z end-of-file mark.
std::string_view TrimIni(std::string_view text);

}  // namespace norvik::platform::sim
