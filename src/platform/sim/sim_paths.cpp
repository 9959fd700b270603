#include "platform/sim/sim_paths.h"

#include <algorithm>
#include <set>

#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsInvalidNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|';
}

// Characters an 8.3 name may hold besides letters and digits.
bool IsShortNameSymbol(char16_t c) {
  return std::u16string_view(u"!#$%&'()-@^_`{}~").find(c) != std::u16string_view::npos;
}

bool IsShortNameChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         IsShortNameSymbol(c);
}

std::u16string Upper16(std::string_view utf8) { return Utf8ToUtf16(UpperCase(utf8)); }

// Base and extension of the short name, before the "~N" tail is added.
void ShortNameStem(std::string_view name, std::u16string& base, std::u16string& ext) {
  const std::u16string upper = Upper16(name);
  std::size_t dot = upper.rfind(u'.');
  if (dot == 0) dot = std::u16string::npos;  // ".profile" has no extension
  const auto usable = [](char16_t c) -> char16_t {
    if (c == u' ' || c == u'.') return 0;  // dropped
    return IsShortNameChar(c) ? c : u'_';
  };
  base.clear();
  ext.clear();
  for (std::size_t i = 0; i < upper.size() && i < dot; ++i) {
    if (const char16_t c = usable(upper[i])) base += c;
  }
  if (dot != std::u16string::npos) {
    for (std::size_t i = dot + 1; i < upper.size() && ext.size() < 3; ++i) {
      if (const char16_t c = usable(upper[i])) ext += c;
    }
  }
  if (base.empty()) base = u"_";
}

}  // namespace

std::string WinPath::Text() const {
  std::string out{drive, ':', '\\'};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '\\';
    out += parts[i];
  }
  return out;
}

Result<WinPath> ParseWinPath(std::string_view path, NameCheck check) {
  if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2])) {
    return Status(kErrPathNotFound);
  }
  WinPath out;
  out.drive_written = path[0];
  out.drive = UpperAscii(path[0]);

  std::vector<std::string_view> names;
  std::size_t i = 2;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    const std::size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    if (i > start) names.push_back(path.substr(start, i - start));
  }
  out.trailing_separator = IsSeparator(path.back()) && path.size() > 3;

  for (std::size_t n = 0; n < names.size(); ++n) {
    std::string_view name = names[n];
    const bool last = n + 1 == names.size();
    if (name == ".") continue;
    if (name == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
      continue;
    }
    if (last && !out.trailing_separator) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
      if (name.empty()) continue;
    }
    if (check != NameCheck::kNone) {
      const bool wildcards_ok = last && check == NameCheck::kWildcardsInLast;
      for (const char c : name) {
        if (IsInvalidNameChar(c)) return Status(kErrInvalidName);
        if ((c == '*' || c == '?') && !wildcards_ok) return Status(kErrInvalidName);
      }
    }
    out.parts.emplace_back(name);
  }
  if (out.parts.empty()) out.trailing_separator = false;
  return out;
}

bool HasWildcards(std::string_view name) { return name.find_first_of("*?") != name.npos; }

bool MatchesMask(std::string_view name_utf8, std::string_view mask_utf8) {
  const std::u16string name_text = Upper16(name_utf8);
  const std::u16string mask_text = Upper16(mask_utf8);
  const char16_t* name = name_text.data();
  const char16_t* const name_end = name + name_text.size();
  const char16_t* mask = mask_text.data();
  const char16_t* const mask_end = mask + mask_text.size();
  const char16_t* last_joker = nullptr;
  const char16_t* next_to_retry = nullptr;

  while (name < name_end && mask < mask_end) {
    if (*mask == u'*') {
      while (mask < mask_end && *mask == u'*') ++mask;
      if (mask == mask_end) return true;
      last_joker = mask;
      while (name < name_end && *name != *mask) ++name;
      next_to_retry = name;
    } else if (*mask == u'?') {
      ++mask;
      ++name;
    } else if (*mask == *name) {
      ++mask;
      ++name;
      if (mask == mask_end) {
        if (name == name_end) return true;
        if (last_joker) mask = last_joker;
      }
    } else if (last_joker) {
      mask = last_joker;
      name = ++next_to_retry;
    } else {
      return false;
    }
  }
  while (mask < mask_end && (*mask == u'.' || *mask == u'*')) ++mask;
  return name == name_end && mask == mask_end;
}

bool IsShortName(std::string_view utf8) {
  const std::u16string name = Utf8ToUtf16(utf8);
  if (name.empty() || name == u"." || name == u"..") return false;
  const std::size_t dot = name.find(u'.');
  if (dot == 0) return false;
  if (dot != std::u16string::npos && name.find(u'.', dot + 1) != std::u16string::npos) return false;
  const std::size_t base_len = dot == std::u16string::npos ? name.size() : dot;
  const std::size_t ext_len = dot == std::u16string::npos ? 0 : name.size() - dot - 1;
  if (base_len > 8 || ext_len > 3) return false;
  if (dot != std::u16string::npos && ext_len == 0) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (i != dot && !IsShortNameChar(name[i])) return false;
  }
  return true;
}

std::map<std::string, std::string> AssignShortNames(const std::vector<std::string>& names) {
  // Folders of 8.3 names alone (the usual case) need no numbering.
  const auto needs_none = [](const std::string& n) { return n == "." || n == ".." || IsShortName(n); };
  if (std::all_of(names.begin(), names.end(), needs_none)) return {};
  std::vector<std::string> sorted = names;
  SortForListing(sorted);

  std::set<std::u16string> taken;
  for (const auto& name : sorted) {
    if (IsShortName(name)) taken.insert(Upper16(name));
  }
  std::map<std::string, std::string> out;
  for (const auto& name : sorted) {
    if (name == "." || name == ".." || IsShortName(name)) continue;
    std::u16string base;
    std::u16string ext;
    ShortNameStem(name, base, ext);
    for (unsigned n = 1;; ++n) {
      const std::u16string tail = u"~" + Utf8ToUtf16(std::to_string(n));
      std::u16string candidate = base.substr(0, 8 - std::min<std::size_t>(tail.size(), 7)) + tail;
      if (!ext.empty()) candidate += u"." + ext;
      if (taken.insert(candidate).second) {
        out[name] = Utf16ToUtf8(candidate);
        break;
      }
    }
  }
  return out;
}

void SortForListing(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names) keyed.emplace_back(UpperCase(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

}  // namespace norvik::platform::sim
