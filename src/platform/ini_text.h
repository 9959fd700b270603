#pragma once
// An INI file as the private-profile functions hold it in memory: sections of lines,
// each line a name with or without a value. Reading drops blank lines and trims names
// and values; writing produces "[name]" and "name=value" lines ended by CRLF, in the
// encoding the file was read in.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace norvik::platform {

struct IniEntry {  // one key to write
  std::string section;
  std::string key;
  std::string value;
};

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
  // Writes each entry as WritePrivateProfileString would, in order: a new value replaces
  // the first line of that name, a new key goes to the end of its section, a new section
  // to the end of the file. Names and values lose their outer blanks. Lines are found
  // through an index, so a long list costs one pass. True when anything changed.
  bool Write(std::span<const IniEntry> entries);

  // The first section / line with this name, letter case and outer blanks ignored.
  IniSection* FindSection(std::string_view name);
  const IniSection* FindSection(std::string_view name) const;
};

const IniLine* FindLine(const IniSection& section, std::string_view name);
IniLine* FindLine(IniSection& section, std::string_view name);

// A document read once and indexed, answering as GetPrivateProfileString would: the first
// matching section and line win, names ignore letter case, a value in matching quotes
// loses them, a missing key gives the default without its trailing blanks, and an answer
// holds at most buffer_chars - 1 UTF-16 units.
class IniReader {
 public:
  explicit IniReader(IniDocument doc = {});
  std::string GetString(std::string_view section, std::string_view key, std::string_view default_value,
                        std::size_t buffer_chars = 2048) const;
  // Key names in file order, without lines lacking '=' and comment lines.
  std::vector<std::string> GetKeys(std::string_view section) const;
  std::vector<std::string> GetSections() const;

 private:
  const IniSection* Section(std::string_view name) const;

  IniDocument doc_;
  std::unordered_map<std::string, std::size_t> sections_;              // upper-cased name -> first
  std::vector<std::unordered_map<std::string, std::size_t>> lines_;   // per section, likewise
};

// Blanks the private-profile functions trim: white space and the ^Z end-of-file mark.
std::string_view TrimIni(std::string_view text);

}  // namespace norvik::platform
