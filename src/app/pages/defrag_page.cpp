#include "app/pages/defrag_page.h"

#include <algorithm>
#include <iterator>

#include "core/utility_routines.h"

namespace norvik::app {
namespace {

// Only the NT family lets us save and replace hives.
bool DefragSupported(std::uint8_t code) {
  constexpr std::uint8_t kSupported[] = {5, 6, 7, 9, 10, 11, 12};
  return std::find(std::begin(kSupported), std::end(kSupported), code) != std::end(kSupported);
}

// XP and later have System Restore.
bool HasSystemRestore(std::uint8_t code) { return code >= 9 && code <= 12; }

}  // namespace

void DefragPage::Create(std::uint8_t os_code) {
  os_code_ = os_code;
  hives_ = {};
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
  hives_ = defrag::LoadHiveList(platform_.registry, platform_.files, is_wow64_);
  for (const auto& hive : hives_.names) view_.AddRow(hive);
}

void DefragPage::Close() {
  // A copy still being written belongs to its worker until it ends.
  yard_.WaitForAll();
  // The copies are as large as the hives and of no use after we exit.
  for (const auto& hive : hives_.files) {
    const std::string copy = defrag::CopyOf(hive);
    if (platform_.files.GetAttributes(copy).ok()) core::DeleteFileSilently(platform_.files, copy);
  }
}

void DefragPage::SetDefragEnabled(bool enabled) {
  defrag_enabled_ = enabled;
  view_.EnableDefragRegistry(enabled);
}

bool DefragPage::Analyze(bool automatic) {
  if (hives_.empty()) return false;
  for (const auto& hive : hives_.files) {
    if (core::IsFileInUse(platform_.files, defrag::CopyOf(hive))) {
      prompts_.ShowInformation(kCannotAnalyzeNow);
      return false;
    }
  }
  const bool finished = view_.ShowHiveProgress({platform_, hives_, is_wow64_, automatic, yard_});
  const auto sizes = defrag::MeasureHives(platform_.files, hives_);
  if (finished && defrag::FirstShortSoftwareCopy(hives_, sizes)) {
    prompts_.ShowInformation(kAnalysisFailed);
    SetDefragEnabled(false);
    return false;
  }
  SetDefragEnabled(finished);
  if (!finished) return false;

  shown_ = defrag::DescribeAnalysis(sizes);
  for (std::size_t i = 0; i < shown_->rows.size(); ++i) view_.SetRowSizes(i, shown_->rows[i]);
  view_.SetSizeLabels(*shown_);
  if (shown_->low_fragmentation && !automatic) {
    prompts_.ShowInformation(defrag::LowFragmentationMessage(shown_->compact_percent));
  }
  return true;
}

void DefragPage::Compact(bool automatic) {
  if (!defrag_enabled_) return;
  // A copy that is missing or cut short would become a broken hive at the restart: then
  // no hive is replaced, not even the good ones, and the user analyses again.
  if (const auto bad = defrag::FirstUnusableCopy(defrag::MeasureHives(platform_.files, hives_))) {
    prompts_.ShowInformation(std::string(kDefragFailed) + hives_.names[*bad]);
    SetDefragEnabled(false);
    return;
  }
  if (settings_.RestorePoint && !automatic && HasSystemRestore(os_code_) &&
      !view_.ShowRestorePointDialog(platform_.system, yard_)) {
    return;
  }
  (void)core::EnableRestorePrivilege(platform_.system);
  for (std::size_t i = 0; i < hives_.size(); ++i) {
    const std::string copy = defrag::CopyOf(hives_.files[i]);
    const std::string old = hives_.files[i] + std::string(defrag::kHiveBackupSuffix);
    const auto key = core::HiveKeyOf(hives_.names[i]);
    if (key && platform_.files.GetAttributes(old).ok()) (void)platform_.files.DeleteFile(old);
    if (!key || !platform_.registry.ReplaceHive(key->root, key->subkey, copy, old).ok()) {
      prompts_.ShowInformation(std::string(kDefragFailed) + hives_.names[i]);
    }
  }
  if (automatic || !prompts_.AskYesNo(kRestartQuestion)) return;
  (void)platform_.system.EnablePrivilege("SeShutdownPrivilege");
  (void)platform_.system.RestartWindows();
}

void DefragPage::UnattendedDefrag() {
  if (Analyze(true)) Compact(true);
}

void DefragPage::UnattendedReport(const std::string& report_file) {
  // A relative name means the folder the run was started in, not the Windows folder the
  // profile functions would take.
  const std::string report =
      report_file.empty() ? report_file : platform_.files.GetFullPathName(report_file).value_or(report_file);
  if (!report.empty()) (void)platform_.ini.DeleteSection(report, kScanReportSection);
  Analyze(true);
  if (report.empty()) return;
  const std::string section(kScanReportSection);
  const defrag::AnalysisTexts none;
  const defrag::AnalysisTexts& t = shown_ ? *shown_ : none;
  const platform::IniEntry entries[] = {
      {section, "Current Size", t.current_total},
      {section, "New Size", t.new_total},
      {section, "Size Reduction", t.size_reduction},
      {section, "Compact Percent", t.compact_percent},
      {section, "Time", platform_.system.FormatDateTime(platform_.system.LocalNow(), true)},
  };
  (void)platform_.ini.WriteStrings(report, entries);
}

}  // namespace norvik::app
