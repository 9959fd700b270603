#include "app/pages/defrag_page.h"

#include <algorithm>
#include <iterator>

#include "core/utility_routines.h"

namespace norvik::app {
namespace {

constexpr std::string_view kHiveCopySuffix = ".fdc";

// Only the NT family lets us save and replace hives.
bool DefragSupported(std::uint8_t code) {
  constexpr std::uint8_t kSupported[] = {5, 6, 7, 9, 10, 11, 12};
  return std::find(std::begin(kSupported), std::end(kSupported), code) != std::end(kSupported);
}

}  // namespace

void DefragPage::Create(std::uint8_t os_code) {
  hive_names_.clear();
  hive_files_.clear();
  view_.ClearSizeLabels();
  analyze_enabled_ = DefragSupported(os_code);
  if (!analyze_enabled_) {
    view_.DisableAnalyzeRegistry();
    view_.AddRow(kUnsupportedSystemLine);
  }
}

void DefragPage::Show() {
  if (!analyze_enabled_) return;
  is_wow64_ = core::IsWow64(platform_.system);
  LoadHiveList();
  for (const auto& hive : hive_names_) view_.AddRow(hive);
}

void DefragPage::Close() {
  // Copies left by an analysis; they are large and of no use after we exit.
  for (const auto& hive : hive_files_) {
    const std::string copy = hive + std::string(kHiveCopySuffix);
    if (platform_.files.GetAttributes(copy).ok()) core::DeleteFileSilently(platform_.files, copy);
  }
  hive_names_.clear();
  hive_files_.clear();
}

}  // namespace norvik::app
