#pragma once
// The loop most checks are made of: every subkey of one key, in turn, until the scan stops.

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {

// Shows the path of each subkey of base\path and hands its name, path and the key, open
// for reading, to `visit`; a subkey that does not open is passed over.
template <typename Visit>
void ForEachSubkey(TScanTaskThread& scan, const platform::RegKey& base, std::string_view path, Visit&& visit) {
  const auto parent = base.Open(path, platform::reg_access::kRead);
  if (!parent) return;
  const auto names = parent->SubKeyNames();
  if (!names) return;
  for (const std::string& name : *names) {
    if (scan.Stopped()) return;
    const std::string child = std::string(path) + "\\" + name;
    scan.ShowKey(child);
    if (const auto key = parent->Open(name, platform::reg_access::kRead)) visit(name, child, *key);
  }
}

}  // namespace norvik::regscan
