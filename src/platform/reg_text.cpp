#include "platform/reg_text.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/text_encoding.h"

namespace norvik::platform {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to 8 hex digits and nothing else.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t n = 0;
  for (const char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    n = (n << 4) | static_cast<std::uint32_t>(d);
  }
  return n;
}

bool IsValidUtf8(std::string_view s) { return Utf16ToUtf8(Utf8ToUtf16(s)) == s; }

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view units) {
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2);
  for (const char16_t c : units) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

std::u16string Utf16Units(const std::vector<std::uint8_t>& bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  }
  return units;
}

bool IsCodePageStringType(std::uint32_t type) {
  return type == static_cast<std::uint32_t>(RegType::Sz) ||
         type == static_cast<std::uint32_t>(RegType::ExpandSz) ||
         type == static_cast<std::uint32_t>(RegType::MultiSz);
}

struct RootEntry {
  std::string_view long_name;
  std::string_view short_name;
  RegRoot root;
};
constexpr std::array<RootEntry, 5> kRoots = {{
    {"HKEY_LOCAL_MACHINE", "HKLM", RegRoot::LocalMachine},
    {"HKEY_CURRENT_USER", "HKCU", RegRoot::CurrentUser},
    {"HKEY_CLASSES_ROOT", "HKCR", RegRoot::ClassesRoot},
    {"HKEY_USERS", "HKU", RegRoot::Users},
    {"HKEY_CURRENT_CONFIG", "HKCC", RegRoot::CurrentConfig},
}};

std::optional<RegRoot> ParseRoot(std::string_view name) {
  for (const RootEntry& e : kRoots) {
    if (EqualsIgnoreCase(name, e.long_name) || EqualsIgnoreCase(name, e.short_name)) return e.root;
  }
  return std::nullopt;
}

// Deletes `path` below `base` with its whole subtree, deepest keys first.
Status DeleteTree(RegKey& base, std::string_view path, std::size_t depth = 0) {
  if (depth > static_cast<std::size_t>(kMaxRegistryDepth)) return Status(kErrInvalidParameter);
  {
    auto key = base.Open(path);
    if (!key) return key.status();
    auto names = key->SubKeyNames();
    if (!names) return names.status();
    for (const std::string& name : *names) {
      if (auto s = DeleteTree(key.value(), name, depth + 1); !s) return s;
    }
  }
  return base.DeleteSubKey(path);
}

// ---- reading ----

struct DecodedText {
  RegFormat format;
  std::string utf8;
};

std::optional<DecodedText> DecodeFile(std::string_view bytes) {
  std::string text;
  bool raw = false;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    text = Utf16ToUtf8(units);
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text = bytes.substr(3);
  } else {
    text = bytes;
    raw = true;
  }
  const std::string_view header = TrimRight(std::string_view(text).substr(0, text.find('\n')));
  if (header == kHeader4) {
    if (raw) text = AnsiToUtf8(text);
    return DecodedText{RegFormat::Regedit4, std::move(text)};
  }
  if (header == kHeader5) {
    if (raw && !IsValidUtf8(text)) text = AnsiToUtf8(text);
    return DecodedText{RegFormat::Version5, std::move(text)};
  }
  return std::nullopt;
}

class Loader {
 public:
  Loader(Registry& registry, RegFormat format) : registry_(registry), format_(format) {}

  void Run(std::string_view text) {
    // Split once; the header is line 1.
    for (std::size_t pos = 0; pos <= text.size();) {
      const std::size_t end = std::min(text.find('\n', pos), text.size());
      lines_.push_back(text.substr(pos, end - pos));
      pos = end + 1;
    }
    for (next_ = 1; next_ < lines_.size();) {
      const std::size_t number = next_ + 1;
      const std::string_view raw = lines_[next_++];
      if (raw.size() > kMaxRegLineBytes) {
        Problem(number, "line too long; skipped");
        continue;
      }
      const std::string_view line = Trim(raw);
      if (line.empty() || line.front() == ';' || line.front() == '#') continue;
      if (line.front() == '[') {
        KeyLine(number, line);
      } else if (line.front() == '"' || line.front() == '@') {
        ValueLine(number, line);
      } else {
        Problem(number, "not a key or value line");
      }
    }
  }

  std::vector<RegTextProblem> TakeProblems() { return std::move(problems_); }

 private:
  void Problem(std::size_t line, std::string message) {
    if (problems_.size() < kMaxRegProblems) {
      problems_.push_back({line, std::move(message)});
    } else if (problems_.size() == kMaxRegProblems) {
      problems_.push_back({line, "too many problems; the rest are not listed"});
    }
  }

  void KeyLine(std::size_t number, std::string_view line) {
    section_.Close();
    section_failed_ = true;  // until the section is open
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
      Problem(number, "key line without ']'; its values are ignored");
      return;
    }
    std::string_view inner = line.substr(1, close - 1);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const std::size_t slash = inner.find('\\');
    const auto root = ParseRoot(inner.substr(0, slash));
    if (!root) {
      Problem(number, "unknown root key; its values are ignored");
      return;
    }
    std::string_view path = slash == std::string_view::npos ? std::string_view() : inner.substr(slash);
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);

    RegKey root_key = registry_.Root(*root);
    if (remove) {
      if (path.empty()) {
        Problem(number, "a root key cannot be deleted");
      } else if (auto s = DeleteTree(root_key, path); !s && s.code() != kErrFileNotFound) {
        Problem(number, "key not deleted (error " + std::to_string(s.code()) + ")");
      }
      return;
    }
    auto key = root_key.Create(path);
    if (!key) {
      Problem(number, "key not created (error " + std::to_string(key.code()) + "); its values are ignored");
      return;
    }
    section_ = std::move(key).value();
    section_failed_ = false;
  }

  // Reads a quoted text starting at s[pos] == '"'; pos ends after the closing quote.
  static std::optional<std::string> Quoted(std::string_view s, std::size_t& pos) {
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
      const char c = s[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\' && pos + 1 < s.size()) {
        const char e = s[++pos];
        out += e == 'n' ? '\n' : e == 'r' ? '\r' : e;  // other escapes keep the character
        continue;
      }
      out += c;
    }
    return std::nullopt;
  }

  void ValueLine(std::size_t number, std::string_view line) {
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else {
      auto quoted = Quoted(line, pos);
      if (!quoted) return Problem(number, "value name without closing quote");
      name = std::move(*quoted);
    }
    const std::string_view after_name = TrimLeft(line.substr(pos));
    if (after_name.empty() || after_name.front() != '=') return Problem(number, "no '=' after the value name");
    const std::string_view data = TrimLeft(after_name.substr(1));
    if (data.empty()) return Problem(number, "no data after '='");

    // Continuation lines belong to this entry even when it is skipped.
    std::string hex_text;
    const bool is_hex = data.substr(0, 3) == "hex";
    if (is_hex && !CollectHex(number, data, hex_text)) return;

    if (!section_) {
      if (!section_failed_) Problem(number, "value outside a key section");
      return;
    }
    Status status;
    if (data == "-") {
      status = section_.DeleteValue(name);
      if (status.code() == kErrFileNotFound) status = Status::Ok();
    } else if (data.front() == '"') {
      std::size_t p = 0;
      auto text = Quoted(data, p);
      if (!text) return Problem(number, "string without closing quote");
      if (!TrimRight(data.substr(p)).empty()) return Problem(number, "text after the closing quote");
      status = section_.Set(name, RegValue::String(*text));
    } else if (data.substr(0, 6) == "dword:") {
      const auto n = ParseHex32(Trim(data.substr(6)));
      if (!n) return Problem(number, "dword needs 1 to 8 hex digits");
      status = section_.Set(name, RegValue::Dword(*n));
    } else if (is_hex) {
      auto value = ParseHexValue(hex_text);
      if (!value) return Problem(number, "malformed hex data");
      status = section_.Set(name, *value);
    } else {
      return Problem(number, "unknown data form");
    }
    if (!status) Problem(number, "value not written (error " + std::to_string(status.code()) + ")");
  }

  // Joins a hex entry and its continuation lines into `out` ("hex(n):" and the bytes).
  bool CollectHex(std::size_t number, std::string_view first, std::string& out) {
    std::string_view segment = TrimRight(first);
    bool ok = true;
    while (true) {
      const bool continued = !segment.empty() && segment.back() == '\\';
      if (!continued) {
        out += segment;
        break;
      }
      segment = TrimRight(segment.substr(0, segment.size() - 1));
      // Each continued line must end between two bytes.
      if (!segment.empty() && segment.back() != ',' && segment.back() != ':') ok = false;
      if (out.size() + segment.size() > kMaxRegValueTextBytes) ok = false;
      if (ok) out += segment;
      std::string_view next;
      while (next_ < lines_.size()) {
        next = Trim(lines_[next_++]);
        if (!next.empty() && next.front() != ';' && next.front() != '#') break;
        next = {};
      }
      if (next.empty()) {
        Problem(number, "file ends inside a continued value");
        return false;
      }
      segment = next;
    }
    if (!ok) Problem(number, "malformed or oversized continued hex data");
    return ok;
  }

  std::optional<RegValue> ParseHexValue(std::string_view text) const {
    std::uint32_t type = static_cast<std::uint32_t>(RegType::Binary);
    std::size_t colon = 0;
    if (text.substr(0, 4) == "hex:") {
      colon = 3;
    } else if (text.substr(0, 4) == "hex(") {
      const std::size_t close = text.find(')');
      if (close == std::string_view::npos) return std::nullopt;
      const auto t = ParseHex32(text.substr(4, close - 4));
      if (!t || text.substr(close + 1, 1) != ":") return std::nullopt;
      type = *t;
      colon = close + 1;
    } else {
      return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::string_view list = text.substr(colon + 1);
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      const std::string_view item = list.substr(0, comma);
      if (item.empty() || item.size() > 2) return std::nullopt;
      const auto b = ParseHex32(item);
      if (!b) return std::nullopt;
      bytes.push_back(static_cast<std::uint8_t>(*b));
      if (comma == std::string_view::npos) break;
      list.remove_prefix(comma + 1);  // a trailing comma leaves nothing: accepted
    }
    if (format_ == RegFormat::Regedit4 && IsCodePageStringType(type)) {
      // One code page byte is one UTF-16 character, as RegSetValueExA converts it.
      const std::string ansi(bytes.begin(), bytes.end());
      bytes = Utf16Bytes(Utf8ToUtf16(AnsiToUtf8(ansi)));
    }
    return RegValue::Binary(std::move(bytes), static_cast<RegType>(type));
  }

  Registry& registry_;
  RegFormat format_;
  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  RegKey section_;
  bool section_failed_ = false;
  std::vector<RegTextProblem> problems_;
};

// ---- writing ----

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (const char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

// The text of a REG_SZ when the quoted form gives back exactly the same bytes.
std::optional<std::string> PlainString(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string units = Utf16Units(data);
  if (units.back() != 0) return std::nullopt;
  units.pop_back();
  for (const char16_t c : units) {
    if (c == 0 || c == u'\r' || c == u'\n') return std::nullopt;
  }
  std::string text = Utf16ToUtf8(units);
  if (Utf8ToUtf16(text) != units) return std::nullopt;  // unpaired surrogates
  return text;
}

std::string HexByte(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  return {kDigits[b >> 4], kDigits[b & 0xF]};
}

std::string HexType(std::uint32_t type) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789abcdef"[type & 0xF]);
    type >>= 4;
  } while (type != 0);
  return digits;
}

void AppendValueLine(std::string& out, std::string_view name, const RegValue& value,
                     RegFormat format) {
  std::string line = name.empty() ? std::string("@=") : "\"" + Escape(name) + "\"=";
  const auto type = static_cast<std::uint32_t>(value.type);
  if (value.type == RegType::Sz) {
    if (auto text = PlainString(value.data)) {
      out += line + "\"" + Escape(*text) + "\"\r\n";
      return;
    }
  }
  if (value.type == RegType::Dword && value.data.size() == 4) {
    std::string digits;
    for (int i = 3; i >= 0; --i) digits += HexByte(value.data[static_cast<std::size_t>(i)]);
    out += line + "dword:" + digits + "\r\n";
    return;
  }
  std::vector<std::uint8_t> bytes = value.data;
  if (format == RegFormat::Regedit4 && IsCodePageStringType(type)) {
    const std::string ansi = Utf8ToAnsi(Utf16ToUtf8(Utf16Units(value.data)));
    bytes.assign(ansi.begin(), ansi.end());
  }
  line += value.type == RegType::Binary ? std::string("hex:") : "hex(" + HexType(type) + "):";
  // Wrapped as the registry editor does: after a comma once the line reaches 77 columns.
  std::size_t column = Utf8ToUtf16(line).size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line += HexByte(bytes[i]);
    if (i + 1 == bytes.size()) break;
    line += ',';
    column += 3;
    if (column >= 77) {
      line += "\\\r\n  ";
      column = 2;
    }
  }
  out += line + "\r\n";
}

// The backups escape only these two; line breaks never reach here.
std::string BackupEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (const char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string UpperHexByte(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0xF]};
}

void AppendSubtree(std::string& out, const RegKey& key, const std::string& section,
                   RegFormat format) {
  out += "\r\n[" + section + "]\r\n";
  if (auto names = key.ValueNames()) {
    for (const std::string& name : *names) {
      if (auto value = key.Query(name)) AppendValueLine(out, name, *value, format);
    }
  }
  auto subkeys = key.SubKeyNames();
  if (!subkeys) return;
  for (const std::string& name : *subkeys) {
    const std::string sub_section = section + "\\" + name;
    if (auto sub = key.Open(name, reg_access::kRead)) {
      AppendSubtree(out, *sub, sub_section, format);
    } else {
      out += "\r\n[" + sub_section + "]\r\n";  // a key that cannot be opened shows only its name
    }
  }
}

std::string Header(RegFormat format) {
  return std::string(format == RegFormat::Regedit4 ? kHeader4 : kHeader5) + "\r\n";
}

std::string Encode(const std::string& utf8, RegFormat format) {
  if (format == RegFormat::Regedit4) return Utf8ToAnsi(utf8);
  std::string out = "\xFF\xFE";
  const std::vector<std::uint8_t> bytes = Utf16Bytes(Utf8ToUtf16(utf8));
  out.append(bytes.begin(), bytes.end());
  return out;
}

}  // namespace

bool FitsCodePage(std::string_view utf8) { return AnsiToUtf8(Utf8ToAnsi(utf8)) == utf8; }

std::optional<std::string> BackupValueLine(std::string_view name, const RegValue& value) {
  if (name.find_first_of("\r\n") != std::string_view::npos || !FitsCodePage(name)) return std::nullopt;
  std::string line = name.empty() ? std::string("@=") : "\"" + BackupEscape(name) + "\"=";
  if (value.type == RegType::Sz) {
    if (auto text = PlainString(value.data)) {
      if (!FitsCodePage(*text)) return std::nullopt;
      return line + "\"" + BackupEscape(*text) + "\"\r\n";
    }
  }
  if (value.type == RegType::Dword && value.data.size() == 4) {
    std::string digits;
    for (int i = 3; i >= 0; --i) digits += UpperHexByte(value.data[static_cast<std::size_t>(i)]);
    return line + "dword:" + digits + "\r\n";
  }
  const auto type = static_cast<std::uint32_t>(value.type);
  std::vector<std::uint8_t> bytes = value.data;
  if (IsCodePageStringType(type)) {
    const std::string text = Utf16ToUtf8(Utf16Units(value.data));
    if (value.data.size() % 2 != 0 || !FitsCodePage(text)) return std::nullopt;
    const std::string ansi = Utf8ToAnsi(text);
    bytes.assign(ansi.begin(), ansi.end());
  }
  line += value.type == RegType::Binary ? std::string("hex:") : "hex(" + HexType(type) + "):";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line += UpperHexByte(bytes[i]);
    if (i + 1 == bytes.size()) break;
    line += ',';
    if (i > 0 && i % 25 == 0) line += "\\\r\n";
  }
  return line + "\r\n";
}

std::vector<RegTextProblem> LoadRegText(Registry& registry, std::string_view file_bytes) {
  auto decoded = DecodeFile(file_bytes);
  if (!decoded) return {{1, "not a registry file (no REGEDIT4 or Version 5.00 header)"}};
  Loader loader(registry, decoded->format);
  loader.Run(decoded->utf8);
  return loader.TakeProblems();
}

std::string SubtreesToRegText(const std::vector<RegSubtree>& subtrees, RegFormat format) {
  std::string text = Header(format);
  for (const RegSubtree& subtree : subtrees) AppendSubtree(text, subtree.key, subtree.section_name, format);
  text += "\r\n";
  return Encode(text, format);
}

std::string SubtreeToRegText(const RegKey& key, std::string_view section_name, RegFormat format) {
  return SubtreesToRegText({{key, std::string(section_name)}}, format);
}

Result<std::string> ExportRegKey(Registry& registry, RegRoot root, std::string_view key_path, RegFormat format) {
  auto key = registry.Root(root).Open(key_path, reg_access::kRead);
  if (!key) return key.status();
  std::string section(RootName(root));
  std::string_view rest = key_path;
  while (!rest.empty()) {  // the path as given, without empty names
    const std::size_t slash = rest.find('\\');
    if (const std::string_view name = rest.substr(0, slash); !name.empty()) {
      section += '\\';
      section += name;
    }
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return SubtreeToRegText(*key, section, format);
}

}  // namespace norvik::platform
