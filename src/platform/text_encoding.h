#pragma once
// Conversions at the platform boundary: the program works in UTF-8, the W functions
// and stored registry strings in UTF-16LE.

#include <cstdint>
#include <string>
#include <string_view>

namespace norvik::platform {

// Invalid input is replaced by U+FFFD rather than rejected.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Windows-1252 is the simulated system code page (REGEDIT4 files, 8-bit texts).
std::string AnsiToUtf8(std::string_view ansi);
// Characters that code page 1252 cannot hold become '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// Upper case for comparisons that ignore letter case (ASCII and Latin-1 letters).
std::string UpperCase(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace norvik::platform
