#pragma once
// An INI file on a drive, read whole, and the one-pass rewrite both backends use for
// IniFiles::WriteStrings.

#include <span>
#include <string>

#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/system.h"

namespace norvik::platform {

// A file this large is not an INI file we should hold in memory.
inline constexpr std::uint64_t kMaxIniBytes = 64ull << 20;

// The file's lines; a missing file (or folder) is an empty document.
Result<IniDocument> ReadIniFile(Files& files, const std::string& path);

// IniFiles::WriteStrings over `files`: the file + ".tmp" is written, flushed and moved
// over the file. Nothing is written when nothing changes; a failure leaves the file as
// it was and removes the temporary one.
Status WriteIniEntries(Files& files, const std::string& path, std::span<const IniEntry> entries);

}  // namespace norvik::platform
