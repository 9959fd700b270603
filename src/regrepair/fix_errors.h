#pragma once
// "Fix Errors": every ticked row of the registry results list is backed up and removed,
// from the bottom of the list up, all into the run's one backup file.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "regrepair/export_writer.h"
#include "regscan/problem_row.h"

namespace norvik::regrepair {

struct FixSummary {
  // Rows that left the list: fixed, or naming something that is no longer there.
  std::size_t removed = 0;
  // Deletions that failed (access denied): their rows stay, unticked.
  std::size_t not_fixed = 0;
  // The backup file that could not be written; the walk stopped at that row, which
  // stays with every row above it.
  std::optional<std::string> unwritable_backup;
};

// Rows whose registry key column holds no backslash are passed over and stay ticked.
FixSummary FixTickedRows(regscan::ProblemRows& rows, BackedUpDeletes& deletes, platform::Files& files);

// The folder and every missing folder above it; true when it exists afterwards.
bool CreateFolderPath(platform::Files& files, std::string_view folder);
bool FolderExists(platform::Files& files, std::string_view folder);

}  // namespace norvik::regrepair
