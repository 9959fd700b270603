#include "app/pages/registry_page.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "app/product.h"
#include "app/save_text.h"
#include "app/scan_channel.h"
#include "core/utility_routines.h"
#include "regrepair/fix_errors.h"
#include "regscan/file_reference.h"
#include "regscan/result_actions.h"
#include "regscan/result_filter.h"
#include "regscan/scan_task.h"
#include "regscan/sections.h"

namespace norvik::app {
namespace {

constexpr std::string_view kNoSectionsMessage = "Please select the sections which you want to scan from the left list.";
constexpr std::string_view kCancelScanCaption = "Cancel";
constexpr std::string_view kScanFinishedCaption = "Finished!";
constexpr int kScanBarMax = 1000;
constexpr std::string_view kFolderMissingLine = ",can not find the backup folder.\ncreates a new directory?";

}  // namespace

struct RegistryPage::Worker {
  std::shared_ptr<ScanChannel> channel = std::make_shared<ScanChannel>();
  std::jthread thread;
};

RegistryPage::RegistryPage(platform::Platform platform, core::Settings& settings, RegistryPageView& view,
                           Prompts& prompts)
    : platform_(platform), settings_(settings), view_(view), prompts_(prompts), walk_(sections_.tree().WalkOrder()) {}

RegistryPage::~RegistryPage() { Close(); }

void RegistryPage::Create(std::uint8_t os_code) {
  os_code_ = os_code;
  view_.RebuildTree(sections_.tree());
  view_.SetStatusText("");
  view_.SetScanTitle(kIdleScanTitle);
  // The tree never collapses, so every branch of it is open from the start.
  for (core::NodeId id : walk_) {
    if (!sections_.tree().node(id).children.empty()) view_.ExpandNode(id);
  }
}

void RegistryPage::Show() {
  // A node whose image index has no slot keeps its tick.
  for (core::NodeId id : walk_) {
    if (const bool* checked = core::Slot(settings_.TreeViewNodeCheck, sections_.Code(id))) {
      sections_.SetChecked(id, *checked);
    }
  }
  view_.RefreshTreeChecks(sections_.tree());
}

void RegistryPage::Close() {
  if (!worker_) return;
  worker_->channel->Cut();
  worker_.reset();  // the jthread asks the worker to stop and waits for it
}

void RegistryPage::StoreSettings(core::Settings& settings) {
  for (core::NodeId id : walk_) {
    if (bool* checked = core::Slot(settings.TreeViewNodeCheck, sections_.Code(id))) {
      *checked = sections_.tree().node(id).state == core::kTicked;
    }
  }
}

void RegistryPage::TreeMouseDown(std::optional<core::NodeId> node, TreeHit hit) {
  if (!node || *node >= sections_.tree().size() || hit != TreeHit::StateIcon) return;
  sections_.ToggleByUser(*node);
  view_.RefreshTreeChecks(sections_.tree());
}

void RegistryPage::ScanClick() {
  if (scan_caption_ == kCancelScanCaption) {
    CancelScan();
  } else {
    StartScan();
  }
}

void RegistryPage::StartScan() {
  view_.ShowRestoreButton(false);
  view_.ShowKeyDisplay(true);
  view_.SetScanBarCaption(std::nullopt);
  const std::vector<int> codes = sections_.TickedCodes();
  if (codes.empty()) {
    if (!clear_switch_) prompts_.ShowInformation(kNoSectionsMessage);
    return;
  }
  rows_.clear();
  view_.SetRowCount(0);
  Filter();
  scan_ignore_keys_ = settings_.IgnoreKeys;
  scan_ignore_values_ = settings_.IgnoreValues;
  scan_caption_ = kCancelScanCaption;
  view_.SetScanButtonCaption(scan_caption_);
  view_.ShowScanBar();
  view_.SetKeyText("");
  bar_position_ = 0;
  view_.SetScanBarPosition(0);
  bar_step_ = regscan::ProgressStep(codes);

  regscan::ScanSetup setup{codes, settings_.IncludeRemoveMedia, {}, os_code_};
  if (!settings_.IncludeRemoveMedia) {
    view_.SetScanBarCaption(std::string(kPreparingCaption));
    setup.floppies = regscan::ProbeFloppies(platform_.files);
    view_.SetScanBarCaption(std::nullopt);
  }
  timer1_on_ = true;
  view_.SetTimer1(true);

  worker_ = std::make_unique<Worker>();
  worker_->thread = std::jthread([platform = platform_, channel = worker_->channel,
                                  setup = std::move(setup)](std::stop_token stop) mutable {
    {
      regscan::TScanTaskThread task(platform, *channel, std::move(setup), std::move(stop));
      task.Execute();
    }
    channel->MarkFinished();
  });
  scanning_ = true;
  view_.SetScanEventTimer(true);
}

void RegistryPage::CancelScan() {
  if (worker_) {
    worker_->thread.request_stop();
    // Every row found before the stop arrives whole; nothing said after it does.
    AppendFiltered(worker_->channel->Cut().rows);
    worker_.reset();
  }
  view_.ShowRestoreButton(true);
  view_.ShowKeyDisplay(false);
  ScanDoneMessage();
}

void RegistryPage::DrainScanEvents() {
  if (!worker_) {
    view_.SetScanEventTimer(false);
    return;
  }
  auto batch = worker_->channel->Take();
  if (batch.title) view_.SetScanTitle(*batch.title);
  if (batch.key) view_.SetKeyText(*batch.key);
  AppendFiltered(std::move(batch.rows));
  for (int i = 0; i < batch.sections_done; ++i) view_.PostToSelf(kWmScanSectionDone);
  if (batch.done) {
    view_.SetScanEventTimer(false);
    worker_.reset();  // it has said its last word
    view_.PostToSelf(kWmScanDone);
  }
}

void RegistryPage::ScanSectionDoneMessage() { ShowProblemCounts(); }

void RegistryPage::ScanDoneMessage() {
  if (!scanning_) return;
  scanning_ = false;
  timer1_on_ = false;
  view_.SetTimer1(false);
  view_.SetScanEventTimer(false);
  scan_caption_ = kScanCaption;
  view_.SetScanButtonCaption(scan_caption_);
  view_.SetScanTitle(kIdleScanTitle);
  view_.ShowKeyDisplay(false);
  bar_position_ = kScanBarMax;
  view_.SetScanBarPosition(bar_position_);
  view_.SetScanBarCaption(std::string(kScanFinishedCaption));
  for (auto& row : rows_) row.ticked = true;
  // Rows were filtered as they came; only lists changed meanwhile need another pass.
  if (settings_.IgnoreKeys != scan_ignore_keys_ || settings_.IgnoreValues != scan_ignore_values_) {
    Filter();
  } else {
    view_.FitColumns(rows_.empty());
  }
  view_.RedrawRows();
  view_.ShowRestoreButton(true);
  ShowProblemCounts();
  // An unattended run ("/Clear") fixes everything it found; nobody is there to answer,
  // so the fix asks nothing and the window closes after it whatever happened.
  if (clear_switch_) {
    FixErrorsClick();
    if (when_fixed_) when_fixed_();
  }
}

void RegistryPage::Timer1Tick() {
  if (!timer1_on_ || !shown_) return;
  bar_position_ += bar_step_;
  if (bar_position_ > kScanBarMax) bar_position_ = 0;
  view_.SetScanBarPosition(bar_position_);
}

void RegistryPage::Filter() {
  regscan::FilterProblemRows(rows_, settings_.IgnoreKeys, settings_.IgnoreValues);
  view_.SetRowCount(rows_.size());
  view_.FitColumns(rows_.empty());
}

// A scan's rows pass the exclusions and ignore lists as they arrive, so that its end does
// not hold the window up with 100,000 of them at once.
void RegistryPage::AppendFiltered(regscan::ProblemRows rows) {
  if (rows.empty()) return;
  regscan::FilterProblemRows(rows, scan_ignore_keys_, scan_ignore_values_);
  rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  view_.SetRowCount(rows_.size());
}

void RegistryPage::ShowProblemCounts() {
  view_.SetStatusText(regscan::ProblemCountsText(rows_.size(), regscan::TickedCount(rows_)));
}

void RegistryPage::ToggleRow(std::size_t i) {
  if (i >= rows_.size()) return;
  rows_[i].ticked = !rows_[i].ticked;
  view_.RedrawRows();
  ShowProblemCounts();
}

bool RegistryPage::ActionEnabled(ResultAction action, bool row_selected) const {
  switch (action) {
    case ResultAction::SelectAll:
    case ResultAction::SelectNone: return true;
    case ResultAction::SaveText: return !rows_.empty();
    default: return row_selected;
  }
}

void RegistryPage::SetTicked(const std::vector<std::size_t>& rows, bool ticked) {
  for (std::size_t i : rows) {
    if (i < rows_.size()) rows_[i].ticked = ticked;
  }
  view_.RedrawRows();
}

void RegistryPage::SetTickedOfType(bool ticked) {
  const auto selected = view_.SelectedRows();
  if (selected.empty() || selected.front() >= rows_.size()) return;
  const std::string problem = rows_[selected.front()].problem;
  for (auto& row : rows_) {
    if (row.problem == problem) row.ticked = ticked;
  }
  view_.RedrawRows();
  ShowProblemCounts();
}

void RegistryPage::RunAction(ResultAction action) {
  switch (action) {
    case ResultAction::SelectItem: SetTicked(view_.SelectedRows(), true); return;
    case ResultAction::DeselectItem: SetTicked(view_.SelectedRows(), false); return;
    case ResultAction::SelectAllType: SetTickedOfType(true); return;
    case ResultAction::DeselectAllType: SetTickedOfType(false); return;
    case ResultAction::SelectAll:
    case ResultAction::SelectNone:
      for (auto& row : rows_) row.ticked = action == ResultAction::SelectAll;
      view_.RedrawRows();
      ShowProblemCounts();
      return;
    case ResultAction::IgnoreListAdd: AddToIgnoreLists(); return;
    case ResultAction::SaveText: SaveText(); return;
    case ResultAction::OpenRegedit: OpenRegedit(); return;
  }
}

void RegistryPage::AddToIgnoreLists() {
  regscan::AddToIgnoreLists(rows_, view_.SelectedRows(), settings_.IgnoreKeys, settings_.IgnoreValues);
  view_.SetRowCount(rows_.size());
  ShowProblemCounts();
}

void RegistryPage::SaveText() {
  if (rows_.empty()) return;
  SaveTextAs(platform_.files, prompts_, view_.ChooseSaveFile(kSaveResultsTitle, kSaveResultsFilter),
             regscan::ResultsText(rows_));
}

void RegistryPage::OpenRegedit() {
  const auto selected = view_.SelectedRows();
  if (selected.empty() || selected.front() >= rows_.size()) return;
  const auto target = regscan::RegeditTargetFor(rows_[selected.front()], platform_.registry);
  using Outcome = regscan::RegeditTarget::Outcome;
  if (target.outcome == Outcome::NotFound) prompts_.ShowInformation(regscan::kCheckKeyMessage);
  if (target.outcome == Outcome::Open) view_.OpenRegistryEditor(target.root, target.key, target.value);
}

void RegistryPage::FixErrorsClick() {
  const std::string& folder = settings_.OutputDirectory;
  if (!regrepair::FolderExists(platform_.files, folder)) {
    // Unattended, the folder the user chose for backups is made without asking.
    if (!clear_switch_ && !prompts_.AskYesNo(folder + std::string(kFolderMissingLine))) return;
    if (!regrepair::CreateFolderPath(platform_.files, folder)) {
      if (!clear_switch_) prompts_.ShowError("Cannot create " + folder);
      return;
    }
  }
  if (rows_.empty()) return;
  // System Restore exists from XP on (and, we assume, in versions we do not know).
  if (settings_.RestorePoint && os_code_ >= 9 && !view_.ShowRestorePointDialog(platform_.system, yard_, clear_switch_)) {
    return;
  }

  regrepair::BackedUpDeletes deletes(platform_.registry, platform_.files,
                                     regrepair::MakeBackupFileName(folder, platform_.system.LocalNow()));
  const regrepair::FixSummary summary = regrepair::FixTickedRows(rows_, deletes, platform_.files);
  view_.SetRowCount(rows_.size());
  view_.RedrawRows();
  ShowProblemCounts();
  if (summary.unwritable_backup) {
    std::string message = "Cannot write the backup file ";
    message += *summary.unwritable_backup;
    message += ". The errors not yet fixed are left as they are.";
    // Unattended, a box would hold the run for ever; the status line keeps the count.
    if (!clear_switch_) prompts_.ShowError(message);
    return;
  }
  std::string status(kFixFinished);
  if (summary.not_fixed > 0) {
    // Piece by piece: one long concatenation sets off GCC's -Wrestrict false alarm.
    status += ' ';
    status += std::to_string(summary.not_fixed);
    status += " could not be fixed.";
  }
  view_.SetStatusText(status);
  Filter();
}

void RegistryPage::RestoreRegistryClick() {
  view_.ShowRestoreDialog(platform_, settings_.OutputDirectory, settings_.DeleteBackupFile);
}

}  // namespace norvik::app
