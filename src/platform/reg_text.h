#pragma once
// Registry editor text files (.reg): loading one does what "regedit /s file" does,
// exporting a key what "regedit /e file key" does. The simulated Windows loads and dumps
// its registry with it; backups of registry keys are written and restored with it.
//
// Both forms are read: "REGEDIT4" (Windows-1252 text; the bytes of hex(1), hex(2) and
// hex(7) data are code page characters) and "Windows Registry Editor Version 5.00"
// (UTF-16LE with a BOM, or UTF-8; string data in hex is UTF-16LE). Lines may end in CRLF
// or LF. The reader follows Wine's regedit where it is strict (dword: takes 1 to 8 hex
// digits, hex bytes are 1 or 2 digits separated by ',', a continued hex line ends in
// ",\", blank and comment lines inside a continuation are skipped) and is kinder in two
// places: short root names (HKLM, HKCU, HKCR, HKU, HKCC) are accepted, and a 5.00 file
// without a BOM is taken as UTF-8 when it is valid UTF-8 (Wine reads it as code page text).
//
// Writing follows Wine's regedit: values sorted as listed, strings quoted with \\ and \"
// escapes, dword:%08x in lower case, hex lines wrapped near 80 columns with "\" and two
// spaces. Where the quoted forms would lose data the hex forms are written instead
// (a REG_SZ that is empty, lacks its terminator, holds a NUL, CR or LF -> hex(1); a
// REG_DWORD that is not 4 bytes -> hex(4)), so that load -> save -> load keeps every value.
// REGEDIT4 output is lossy by nature: characters outside code page 1252 become '?'.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace norvik::platform {

enum class RegFormat { Regedit4, Version5 };

// Hard limits against hostile files: longer lines and values are skipped and reported.
inline constexpr std::size_t kMaxRegLineBytes = 1u << 20;
inline constexpr std::size_t kMaxRegValueTextBytes = 16u << 20;
inline constexpr std::size_t kMaxRegProblems = 1000;

struct RegTextProblem {
  std::size_t line = 0;  // 1-based line of the file where the entry starts
  std::string message;
};

// Applies a .reg file to `registry`: creates [key] sections, deletes [-key] subtrees,
// sets and deletes ("name"=-) values. Lines that cannot be applied are skipped and listed;
// a file without a known header is refused as a whole (one problem at line 1).
std::vector<RegTextProblem> LoadRegText(Registry& registry, std::string_view file_bytes);

// The export of one key and its subtree, as file bytes (5.00: UTF-16LE with a BOM;
// REGEDIT4: code page 1252). The key's open error (kErrFileNotFound when missing).
Result<std::string> ExportRegKey(Registry& registry, RegRoot root, std::string_view key_path, RegFormat format);

// Open keys and the section names their subtrees are written under.
struct RegSubtree {
  const RegKey& key;
  std::string section_name;
};
// One file with each subtree in turn.
std::string SubtreesToRegText(const std::vector<RegSubtree>& subtrees, RegFormat format);
std::string SubtreeToRegText(const RegKey& key, std::string_view section_name, RegFormat format);

// One value line of the program's REGEDIT4 backups, CR LF ended, in UTF-8 (the caller
// writes the file in the code page). Names and string data escape only '\' and '"'.
// REG_SZ is quoted, REG_DWORD is "dword:" with eight upper-case digits, REG_BINARY is
// "hex:" with upper-case bytes, a backslash and a line break after the 26th byte and then
// after every 25th, the next line starting with no indent. Kinds the plain forms would
// lose take the editor's typed forms, which it imports back: hex(2), hex(7), hex(b),
// hex(0) and hex(n) for any other kind; a REG_SZ that is not a plain terminated text
// (a NUL inside, a line break, no terminator) and a REG_DWORD that is not four bytes as
// hex(1) and hex(4). String kinds in hex are code page bytes, as REGEDIT4 holds them.
// Nothing when no import could give the value back: a line break in its name, or a
// character the code page lacks in its name or text.
std::optional<std::string> BackupValueLine(std::string_view name, const RegValue& value);
// True when the text survives the trip through the code page of REGEDIT4 files.
bool FitsCodePage(std::string_view utf8);

}  // namespace norvik::platform
