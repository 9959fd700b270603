#pragma once
// The Registry page: the tree of sections to scan, the scan worker it starts and follows,
// and the results list with its actions. The Win32 page (ui/) implements
// RegistryPageView; the tests drive the same controller through a fake.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/pages/page.h"
#include "app/prompts.h"
#include "app/worker_yard.h"
#include "platform/platform.h"
#include "regscan/problem_row.h"
#include "regscan/section_tree.h"

namespace norvik::app {

inline constexpr std::string_view kScanCaption = "Scan";
inline constexpr std::string_view kIdleScanTitle = "Select the sections to scan";
inline constexpr std::string_view kPreparingCaption = "Prepairing...";
inline constexpr std::string_view kSaveResultsTitle = "Save as Text";
inline constexpr std::string_view kSaveResultsFilter = "Text files (*.txt)|*.txt";
inline constexpr std::string_view kFixFinished = "Fix errors finished!";

// The results list's pop-up menu, in its order.
enum class ResultAction {
  SelectItem, DeselectItem, SelectAllType, DeselectAllType, SelectAll, SelectNone, IgnoreListAdd, SaveText, OpenRegedit
};
struct ResultMenuItem {
  ResultAction action;
  std::string_view caption;
  bool separator_before;
};
inline constexpr ResultMenuItem kResultMenu[] = {
    {ResultAction::SelectItem, "&Select Item", false},
    {ResultAction::DeselectItem, "&Deselect Item", false},
    {ResultAction::SelectAllType, "Select All of T&ype", true},
    {ResultAction::DeselectAllType, "Deselect A&ll of Type", false},
    {ResultAction::SelectAll, "Select &All", true},
    {ResultAction::SelectNone, "D&eselect All", false},
    {ResultAction::IgnoreListAdd, "Add to &Ignore Lists", true},
    {ResultAction::SaveText, "Save as &Text...", true},
    {ResultAction::OpenRegedit, "&RegEdit...\tCtrl+R", false},
};

class RegistryPageView {
 public:
  virtual ~RegistryPageView() = default;
  virtual void RebuildTree(const core::CheckTree& model) = 0;
  virtual void RefreshTreeChecks(const core::CheckTree& model) = 0;
  virtual void ExpandNode(core::NodeId id) = 0;
  virtual void SetStatusText(std::string_view text) = 0;

  // The scan: lScanTitle, Memo1 (the key being visited), bScan, bRestoreRegistry.
  virtual void SetScanTitle(std::string_view text) = 0;
  virtual void SetKeyText(std::string_view text) = 0;
  virtual void ShowKeyDisplay(bool shown) = 0;
  virtual void ShowRestoreButton(bool shown) = 0;
  virtual void SetScanButtonCaption(std::string_view caption) = 0;
  // ProgressBar2, range 0..1000, hidden until the first scan, and its caption (nothing
  // hides it).
  virtual void ShowScanBar() = 0;
  virtual void SetScanBarPosition(int position) = 0;
  virtual void SetScanBarCaption(std::optional<std::string> caption) = 0;
  // Timer1 (500 ms): calls RegistryPage::Timer1Tick.
  virtual void SetTimer1(bool on) = 0;
  // While a scan runs: calls RegistryPage::DrainScanEvents every few milliseconds.
  virtual void SetScanEventTimer(bool on) = 0;
  // kWmScanSectionDone and kWmScanDone come back to the page's handlers.
  virtual void PostToSelf(unsigned message) = 0;

  // lvRegistryData shows the controller's rows (Row()); it is told their number and
  // when marks changed. The selection lives in the view.
  virtual void SetRowCount(std::size_t count) = 0;
  virtual void RedrawRows() = 0;
  // An empty list gets proportional widths, a filled one columns fitted to their contents.
  virtual void FitColumns(bool empty) = 0;
  virtual std::vector<std::size_t> SelectedRows() = 0;
  virtual std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) = 0;
  // The system's registry editor, opened at root\key with `value` selected (when set).
  virtual void OpenRegistryEditor(std::string_view root, std::string_view key, std::string_view value) = 0;

  // The restore point dialog, modal; true when the fix may go on. A worker still
  // running when it closes goes to `yard`.
  // `unattended`: a "/Clear" run, where a failed restore point is not asked about.
  virtual bool ShowRestorePointDialog(platform::System& system, WorkerYard& yard, bool unattended) = 0;
  // The Restore dialog, modal, listing `folder`.
  virtual void ShowRestoreDialog(platform::Platform platform, const std::string& folder, bool delete_after_restore) = 0;
};

class RegistryPage final : public Page {
 public:
  RegistryPage(platform::Platform platform, core::Settings& settings, RegistryPageView& view, Prompts& prompts);
  // Stops a running scan and waits for its worker to leave.
  ~RegistryPage() override;
  RegistryPage(const RegistryPage&) = delete;
  RegistryPage& operator=(const RegistryPage&) = delete;

  // Page
  int Tag() const override { return kTagRegistry; }
  void Create(std::uint8_t os_code) override;
  void Show() override;
  void SetShown(bool shown) override { shown_ = shown; }
  void Close() override;
  void StoreSettings(core::Settings& settings) override;

  void TreeMouseDown(std::optional<core::NodeId> node, TreeHit hit);
  static constexpr bool TreeMayCollapse() { return false; }
  const regscan::SectionTree& Sections() const { return sections_; }

  // bScan: "Scan" starts a scan of the ticked sections, "Cancel" stops it.
  void ScanClick();
  bool Scanning() const { return scanning_; }
  const std::string& ScanButtonCaption() const { return scan_caption_; }
  // Unattended runs (/Clear) start without the "select the sections" notice, fix all
  // they find and then call `when_fixed`.
  void SetClearSwitch(bool on, std::function<void()> when_fixed = {}) {
    clear_switch_ = on;
    when_fixed_ = std::move(when_fixed);
  }
  void DrainScanEvents();
  void ScanSectionDoneMessage();
  void ScanDoneMessage();
  void Timer1Tick();

  // The results list.
  const regscan::ProblemRows& Rows() const { return rows_; }
  const regscan::ProblemRow& Row(std::size_t i) const { return rows_.at(i); }
  // A click on a row's check box (or Space on it).
  void ToggleRow(std::size_t i);
  // Any click in the list refreshes the counts.
  void ResultsClick() { ShowProblemCounts(); }
  bool ActionEnabled(ResultAction action, bool row_selected) const;
  void RunAction(ResultAction action);

  // "Fix Errors": backs up and removes what every ticked row names.
  void FixErrorsClick();
  // "Restore".
  void RestoreRegistryClick();

 private:
  struct Worker;
  void StartScan();
  void CancelScan();
  void AppendFiltered(regscan::ProblemRows rows);
  void ShowProblemCounts();
  void Filter();
  void SetTicked(const std::vector<std::size_t>& rows, bool ticked);
  void SetTickedOfType(bool ticked);
  void AddToIgnoreLists();
  void SaveText();
  void OpenRegedit();

  platform::Platform platform_;
  core::Settings& settings_;
  RegistryPageView& view_;
  Prompts& prompts_;
  regscan::SectionTree sections_;
  std::vector<core::NodeId> walk_;
  std::uint8_t os_code_ = 12;
  bool shown_ = false;
  bool clear_switch_ = false;
  std::function<void()> when_fixed_;
  bool scanning_ = false;
  bool timer1_on_ = false;
  std::string scan_caption_{kScanCaption};
  int bar_position_ = 0;
  int bar_step_ = 10;
  regscan::ProblemRows rows_;
  std::vector<std::string> scan_ignore_keys_;  // the lists the running scan filters with
  std::vector<std::string> scan_ignore_values_;
  std::unique_ptr<Worker> worker_;  // the running scan's; cancelled ones are waited for
  WorkerYard yard_;                 // restore point workers whose dialog has gone
};

}  // namespace norvik::app
