#include "regscan/result_filter.h"

#include <algorithm>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::regscan {
namespace {

using platform::UpperCase;

constexpr std::string_view kBuiltInKeys[] = {
    R"(HKEY_CLASSES_ROOT\.DAT)",
    R"(HKEY_CLASSES_ROOT\.hta)",
    R"(HKEY_CLASSES_ROOT\.htc)",
    R"(HKEY_CLASSES_ROOT\.manifest)",
    R"(HKEY_CLASSES_ROOT\Applications\WINWORD.EXE\TaskbarExceptionsIcons)",
    R"(HKEY_CLASSES_ROOT\CLSID\{08EE6878-C867-4D8C-A360-FED4B6501D54})",
    R"(HKEY_CURRENT_USER\Software\Lexmark)",
    R"(HKEY_CURRENT_USER\Software\JavaSoft)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\AeDebug)",
    R"(HKEY_LOCAL_MACHINE\SOFTWARE\lexmark\MarkVision\LexBCE\Debug Options)",
    R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\WBEM\WDM)",
    R"(HKEY_USERS\S-1-5-20\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)",
    R"(HKEY_USERS\S-1-5-19\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)",
    R"(HKEY_USERS\S-1-5-20\Software\Microsoft\MediaPlayer\Setup\CreatedLinks)",
    R"(HKEY_USERS\S-1-5-21-6497018-2779423360-1663385191-1005\Software\Microsoft\Windows NT\CurrentVersion\AeDebug)",
    R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\IMAPI\StashInfo)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Office\10.0\Outlook\Journal)",
    R"(HKEY_USERS\S-1-5-21-6497018-2779423360-1663385191-1005\Software\Microsoft\Office\10.0\Outlook\Journal)",
    R"(HKEY_CURRENT_USER\Software\ThinPrint)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Office\11.0\Outlook\Journal)",
    R"(HKEY_USERS\S-1-5-21-6497018-2779423360-1663385191-1005\Software\Microsoft\Office\11.0\Outlook\Journal)",
    R"(HKEY_CURRENT_USER\Software\Ahead\Nero - Burning Rom\Database)",
    R"(HKEY_USERS\S-1-5-21-6497018-2779423360-1663385191-1005\Software\Ahead\Nero - Burning Rom\Database)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Citrix Program Neighborhood)",
    R"(HKEY_CURRENT_USER\Software\Funk Software, Inc.)",
    R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\AeDebug)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)",
    R"(HKEY_USERS\S-1-5-21-1229272821-854245398-1343024091-1003\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Media Center\MRU)",
    R"(HKEY_LOCAL_MACHINE\SOFTWARE\Hewlett-Packard\DigitalImaging)",
    R"(HKEY_CLASSES_ROOT\CLSID\{DFEAF541-F3E1-4c24-ACAC-99C30715084A})",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Speech\Recognizers\Tokens)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Setup\Sysprep\Cleanup)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\IME\China\imesc\Directories)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\TPG\InputPersonalization\AnalysisTokens\4103\IPS)",
    R"(HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{B977CB2D-EC6E-4A8F-BFFE-D18682BB0D52}\InProcServer32)",
    R"(HKEY_CLASSES_ROOT\CLSID\{B977CB2D-EC6E-4A8F-BFFE-D18682BB0D52}\InProcServer32)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\IMEJP\10.0\directories)",
    R"(HKEY_LOCAL_MACHINE\Software\Microsoft\PowerShell\1\PowerShellEngine)",
    R"(HKEY_LOCAL_MASCHINE\Software\ARM Software\MacroMaker)",
    R"(HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.wdseml)",};

// Class identifiers whose keys are never offered, wherever they appear.
constexpr std::string_view kProtectedClassKeys[] = {
    "CLSID\\{DFEAF541-F3E1-4C24-ACAC-99C30715084A}",
    "CLSID\\{DC6EFB56-9CFA-464D-8880-44885D7DC193}",
};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::string WithBackslash(std::string text) {
  if (!text.ends_with('\\')) text += '\\';
  return text;
}

// A '?' stands for a character the system could not convert: together with a path or
// a %VARIABLE% the text no longer names the entry it was read from.
bool Garbled(std::string_view text, std::string_view after_variable) {
  if (!Contains(text, "?")) return false;
  if (Contains(text, ":\\")) return true;
  const auto percent = text.find('%');
  return percent != std::string_view::npos && Contains(text.substr(percent + 1), after_variable);
}

bool ExcludedOutright(const ProblemRow& row) {
  const std::string key = UpperCase(row.registry_key);
  if (std::ranges::any_of(kProtectedClassKeys, [&](std::string_view c) { return Contains(key, c); })) return true;
  if (Contains(key, "%USERNAME%_") || Contains(UpperCase(row.data), "%USERNAME%_")) return true;
  return Garbled(row.registry_key, "%\\") || Garbled(row.data, "%");
}

// What the row's fix would delete: a key, and a value name inside it (empty for a key).
struct Target {
  std::string key;
  std::string value;
};

Target TargetOf(const ProblemRow& row) {
  const auto slash = row.registry_key.find('\\');
  const std::string root = row.registry_key.substr(0, slash);
  const std::string rest = row.registry_key.substr(slash + 1);
  switch (row.fix_kind) {
    case kFixKey: return {root + "\\" + rest, ""};
    case kFixValuePath: {
      const auto last = rest.rfind('\\');
      if (last == std::string::npos) return {root + "\\", rest};
      return {root + "\\" + rest.substr(0, last), rest.substr(last + 1)};
    }
    case kFixNamedValue: return {root + "\\" + rest, row.data};
    case kFixSubKey: return {root + "\\" + rest + "\\" + row.data, ""};
    case kFixDefaultValue: return {root + "\\" + rest, "@"};
    case kFixRot13Value: return {root + "\\" + rest, core::Rot13(row.data)};
    default: return {};
  }
}

std::vector<std::string> Upper(const std::vector<std::string>& list) {
  std::vector<std::string> out;
  out.reserve(list.size());
  for (const auto& e : list) out.push_back(UpperCase(e));
  return out;
}

// Entries already in upper case.
struct Lists {
  std::vector<std::string> values;
  std::vector<std::string> keys;  // each with a trailing backslash
};

// A target without a key (a shortcut file) is never covered by a list.
bool Ignored(const ProblemRow& row, const Lists& lists) {
  const Target target = TargetOf(row);
  if (target.key.empty()) return false;
  const std::string key = UpperCase(target.key);
  if (target.value.empty()) {
    // An ignored value inside the key the row would delete.
    if (std::ranges::any_of(lists.values, [&](const std::string& e) { return Contains(e, key); })) return true;
  } else {
    const std::string path = key + "\\" + UpperCase(target.value);
    if (std::ranges::find(lists.values, path) != lists.values.end()) return true;
  }
  const std::string key_slash = WithBackslash(key);
  const std::string row_key_slash = WithBackslash(UpperCase(row.registry_key));
  return std::ranges::any_of(lists.keys, [&](const std::string& e) {
    if (Contains(key_slash, e)) return true;
    return target.value.empty() ? Contains(e, key_slash) : e == row_key_slash;
  });
}

}  // namespace

std::span<const std::string_view> BuiltInIgnoreKeys() { return kBuiltInKeys; }

void FilterProblemRows(ProblemRows& rows, const std::vector<std::string>& ignore_keys,
                       const std::vector<std::string>& ignore_values) {
  std::erase_if(rows, ExcludedOutright);
  Lists lists{Upper(ignore_values), {}};
  for (std::string_view e : kBuiltInKeys) lists.keys.push_back(WithBackslash(UpperCase(e)));
  for (const auto& e : ignore_keys) lists.keys.push_back(WithBackslash(UpperCase(e)));
  std::erase_if(rows, [&](const ProblemRow& row) { return Contains(row.registry_key, "\\") && Ignored(row, lists); });
}

IgnoreEntry IgnoreEntryFor(const ProblemRow& row) {
  using List = IgnoreEntry::List;
  switch (row.fix_kind) {
    case kFixKey:
    case kFixDefaultValue: return {List::Keys, row.registry_key};
    case kFixValuePath: return {List::Values, row.registry_key};
    case kFixNamedValue: return {List::Values, row.registry_key + "\\" + row.data};
    case kFixSubKey: return {List::Keys, row.registry_key + "\\" + row.data};
    case kFixRot13Value: return {List::Values, row.registry_key + "\\" + core::Rot13(row.data)};
    default: return {};
  }
}

bool AddIgnoreEntry(std::vector<std::string>& list, std::string path) {
  const std::string upper = UpperCase(path);
  if (std::ranges::any_of(list, [&](const std::string& e) { return UpperCase(e) == upper; })) return false;
  list.push_back(std::move(path));
  return true;
}

std::size_t AddToIgnoreLists(ProblemRows& rows, std::vector<std::size_t> selected, std::vector<std::string>& ignore_keys,
                             std::vector<std::string>& ignore_values) {
  std::ranges::sort(selected, std::greater<>());
  const auto [first, last] = std::ranges::unique(selected);
  selected.erase(first, last);
  std::size_t removed = 0;
  for (const std::size_t index : selected) {
    if (index >= rows.size() || !Contains(rows[index].registry_key, "\\")) continue;
    const IgnoreEntry entry = IgnoreEntryFor(rows[index]);
    if (entry.list != IgnoreEntry::List::None) {
      if (!AddIgnoreEntry(entry.list == IgnoreEntry::List::Keys ? ignore_keys : ignore_values, entry.path)) continue;
    }
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
    ++removed;
  }
  return removed;
}

}  // namespace norvik::regscan
