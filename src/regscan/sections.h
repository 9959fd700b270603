#pragma once
// The scan sections the worker dispatches on: code, the title shown while it runs and
// its check. Adding a section's check is one entry in the table of sections.cpp.

#include <span>
#include <string_view>
#include <vector>

namespace norvik::regscan {

class TScanTaskThread;
using SectionScanner = void (*)(TScanTaskThread&);

struct ScanSection {
  int code;
  std::string_view title;  // empty: the previous title stays
  SectionScanner scan;     // nullptr: the section reports nothing yet
};

std::span<const ScanSection> ScanSections();
// nullptr for the group codes and anything unknown.
const ScanSection* FindScanSection(int code);

// The hive sections and Empty Keys walk whole hives.
bool IsHeavySection(int code);
// Timer1's step for the progress bar: 10, 5, 4, 3, 2, 1 for 0..5 heavy sections.
int ProgressStep(const std::vector<int>& codes);

}  // namespace norvik::regscan
