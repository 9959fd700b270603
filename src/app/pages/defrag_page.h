#pragma once
// The Defrag page: how much smaller the registry hives would be written out afresh
// (the analysis, behind the progress dialog) and, on request, their replacement by those
// fresh copies at the next restart (the compaction). Only the NT family supports it.

#include <optional>
#include <string>
#include <string_view>

#include "app/dialogs/hive_progress.h"
#include "app/pages/page.h"
#include "app/prompts.h"
#include "app/worker_yard.h"
#include "core/settings.h"
#include "defrag/hive_analysis.h"
#include "defrag/hive_list.h"
#include "platform/platform.h"

namespace norvik::app {

inline constexpr std::string_view kUnsupportedSystemLine =
    "The software does not support the current Windows system!";
inline constexpr std::string_view kCannotAnalyzeNow = "Can not analyze the registry now! Please try again later.";
inline constexpr std::string_view kAnalysisFailed = "Failed to analyze the registry!";
inline constexpr std::string_view kDefragFailed = "Failed to defrag the registry";
inline constexpr std::string_view kRestartQuestion =
    "You must restart your computer for the changes to take effect. Click the YES button to restart your computer "
    "now.";
// The section an unattended "/Regscan" run writes its figures into.
inline constexpr std::string_view kScanReportSection = "Scan Result";

class DefragPageView {
 public:
  virtual ~DefragPageView() = default;
  virtual void DisableAnalyzeRegistry() = 0;
  virtual void ClearSizeLabels() = 0;
  virtual void AddRow(std::string_view text) = 0;
  virtual void SetRowSizes(std::size_t row, const defrag::HiveRowTexts& texts) = 0;
  virtual void SetSizeLabels(const defrag::AnalysisTexts& texts) = 0;
  virtual void EnableDefragRegistry(bool enabled) = 0;
  // Modal; true when it ended with every copy made ("Finish").
  virtual bool ShowHiveProgress(const dialogs::HiveProgressSetup& setup) = 0;
  // The restore point dialog; true when the caller may go on.
  virtual bool ShowRestorePointDialog(platform::System& system, WorkerYard& yard) = 0;
};

class DefragPage final : public Page {
 public:
  DefragPage(platform::Platform platform, const core::Settings& settings, DefragPageView& view, Prompts& prompts)
      : platform_(platform), settings_(settings), view_(view), prompts_(prompts) {}

  int Tag() const override { return kTagDefrag; }
  void Create(std::uint8_t os_code) override;
  void Show() override;
  void Close() override;

  bool AnalyzeRegistryEnabled() const { return analyze_enabled_; }
  bool DefragRegistryEnabled() const { return defrag_enabled_; }
  const defrag::HiveList& Hives() const { return hives_; }

  void AnalyzeRegistryClick() { Analyze(false); }
  void DefragRegistryClick() { Compact(false); }
  // Unattended runs ("/Regdefrag", "/Regscan"): no dialog or question shows, except a
  // failure. A report file gets the four figures and the time, or nothing when empty.
  void UnattendedDefrag();
  void UnattendedReport(const std::string& report_file);

 private:
  // True when the analysis finished and the copies may replace the hives.
  bool Analyze(bool automatic);
  void Compact(bool automatic);
  void SetDefragEnabled(bool enabled);

  platform::Platform platform_;
  const core::Settings& settings_;
  DefragPageView& view_;
  Prompts& prompts_;
  WorkerYard yard_;  // copy workers whose dialog has gone
  std::uint8_t os_code_ = 0;
  bool analyze_enabled_ = true;
  bool defrag_enabled_ = false;
  bool is_wow64_ = false;
  defrag::HiveList hives_;
  std::optional<defrag::AnalysisTexts> shown_;  // what the labels show
};

}  // namespace norvik::app
