#pragma once
// Rows that must never be offered for fixing: built-in exclusions and the user's ignore
// lists (keys and values, full paths beginning with a root name; "@" names a default
// value). Both lists are matched by upper-case substring, so an entry also covers what
// lies below it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "regscan/problem_row.h"

namespace norvik::regscan {

// Keys that are always left alone, checked before the user's key list.
std::span<const std::string_view> BuiltInIgnoreKeys();

// Removes, in place and keeping the order, every row the exclusions or lists cover.
void FilterProblemRows(ProblemRows& rows, const std::vector<std::string>& ignore_keys,
                       const std::vector<std::string>& ignore_values);

// The ignore-list entry a row stands for: a key or a value path. Shortcut rows (fix kind
// 4) have none.
struct IgnoreEntry {
  enum class List { None, Keys, Values };
  List list = List::None;
  std::string path;
};
IgnoreEntry IgnoreEntryFor(const ProblemRow& row);

// Appends `path` to `list` unless the list holds it already (upper-case comparison);
// true when it was added.
bool AddIgnoreEntry(std::vector<std::string>& list, std::string path);

// "Add to Ignore Lists" for the given rows (indices into `rows`, any order): each row
// with a backslash in its key is appended to its list and leaves the results, unless
// that list already holds it (upper-case comparison), in which case it stays. Shortcut
// rows leave the results without an entry. Returns how many rows left.
std::size_t AddToIgnoreLists(ProblemRows& rows, std::vector<std::size_t> selected, std::vector<std::string>& ignore_keys,
                             std::vector<std::string>& ignore_values);

}  // namespace norvik::regscan
