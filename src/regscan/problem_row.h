#pragma once
// One row of the registry results list: what a scanner found and what a fix would remove.

#include <string>
#include <vector>

namespace norvik::regscan {

// What a fix removes, by the row's registry_key and data (root = up to the first '\').
enum FixKind : int {
  kFixKey = 0,          // root\key: the key with its subtree
  kFixValuePath = 1,    // root\key\value: that value
  kFixNamedValue = 2,   // root\key, data = value name
  kFixSubKey = 3,       // root\parent, data = subkey name
  kFixShortcut = 4,     // a shortcut file's path, data = its target
  kFixDefaultValue = 5, // root\key: its default value
  kFixRot13Value = 6,   // root\key, data = plain value name stored as its Rot13
};

struct ProblemRow {
  bool ticked = false;
  std::string problem;
  std::string data;
  std::string registry_key;
  int fix_kind = kFixKey;

  friend bool operator==(const ProblemRow&, const ProblemRow&) = default;
};

using ProblemRows = std::vector<ProblemRow>;

}  // namespace norvik::regscan
