#pragma once
// What the results list's actions compute: the counts line, the saved text and where
// the registry editor is opened for a row.

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "regscan/problem_row.h"

namespace norvik::regscan {

inline constexpr std::string_view kCheckKeyMessage = "Please check whether the registry key or value exist.";

// " 12 Errors Found,  3 Errors Selected."
std::string ProblemCountsText(std::size_t rows, std::size_t ticked);
std::size_t TickedCount(const ProblemRows& rows);

// One line per row, "problem  ^^^  data  ^^^  registry key", CR LF after each.
std::string ResultsText(const ProblemRows& rows);

// Where the registry editor should open for a row.
struct RegeditTarget {
  enum class Outcome {
    Open,       // root\key exists (and value, when set, exists in it)
    NotFound,   // tell the user kCheckKeyMessage
    Nothing,    // a path without a backslash: do nothing
  };
  Outcome outcome = Outcome::Nothing;
  std::string root;   // full root name ("HKEY_CURRENT_USER")
  std::string key;    // below the root
  std::string value;  // a value to select in the key; empty for none
};
RegeditTarget RegeditTargetFor(const ProblemRow& row, platform::Registry& registry);

}  // namespace norvik::regscan
