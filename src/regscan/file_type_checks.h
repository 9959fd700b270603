#pragma once
// File Extensions (class and extension keys that hold nothing) and Applications (the
// open-with commands of registered applications).

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace norvik::regscan {

class TScanTaskThread;

// The next key at or below `path` of `root` (depth first, a key before its subkeys) that
// has a "command" subkey whose default value is a string or absent, after the key named
// by `last_found`. It answers that command line (empty when absent) and sets `last_found`
// to the key; with no key left it answers nothing and `last_found` is empty again. Call it
// with an empty `last_found` first, then again until it answers nothing.
std::optional<std::string> FindCommandKey(const TScanTaskThread& scan, const platform::RegKey& root,
                                          const std::string& path, std::string& last_found);

void ScanFileExtensions(TScanTaskThread& scan);
void ScanApplications(TScanTaskThread& scan);

}  // namespace norvik::regscan
