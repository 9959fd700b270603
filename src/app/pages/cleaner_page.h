#pragma once
// The Cleaner page: the clean-item tree, the log, the bar and the Test and Clean
// buttons, and the cleaning run they start. The Win32 page (ui/) implements
// CleanerPageView; the tests drive the same controller through a fake.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/pages/page.h"
#include "app/prompts.h"
#include "app/save_text.h"
#include "cleaning/clean_item_tree.h"
#include "cleaning/clear_task.h"
#include "core/file_folders.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace norvik::app {

namespace dialogs {
class CustomListEditor;
}

// The cleaning run's texts.
inline constexpr std::string_view kNothingSelectedMessage =
    "Please select the sections which you want to scan from the left list.";
inline constexpr std::string_view kCloseFirefoxMessage = "Please close Mozilla Firefox first!";
inline constexpr std::string_view kCloseChromeMessage = "Please close Google Chrome first!";
inline constexpr std::string_view kTestCaption = "Test";
inline constexpr std::string_view kCancelCaption = "Cancel";
inline constexpr std::string_view kPrepareCaption = "Prepare to clean...";
inline constexpr std::string_view kFinishedCaption = "Finished!";
inline constexpr int kBarMax = 1000;

// Saving the cleaning log.
inline constexpr std::string_view kSaveLogTitle = "Save as Text";
inline constexpr std::string_view kSaveLogFilter = "Text files (*.txt)|*.txt";
// The file's text: two header lines, an empty line, then the log lines; CRLF endings.
std::string LogFileText(const std::vector<std::string>& log_lines);

class CleanerPageView {
 public:
  virtual ~CleanerPageView() = default;

  // The clean-item tree shows the controller's model; expanded state lives in the view.
  virtual void RebuildTree(const core::CheckTree& model) = 0;
  virtual void RefreshTreeChecks(const core::CheckTree& model) = 0;
  virtual bool IsNodeExpanded(core::NodeId id) = 0;
  virtual void ExpandNode(core::NodeId id) = 0;
  virtual void ScrollTreeToTop() = 0;

  virtual void SetFastModeChecked(bool checked) = 0;
  virtual std::size_t LogLineCount() = 0;
  virtual std::vector<std::string> LogLines() = 0;
  // The log during a run. Lines come in batches, added with redrawing held off.
  virtual void ClearLog() = 0;
  virtual void AppendLogLines(const std::vector<std::string>& lines) = 0;
  virtual void ScrollLogToEnd() = 0;
  virtual void SetLogDoubleBuffered(bool on) = 0;
  // Colours as COLORREF values. A preparation pass writes in the background colour.
  virtual std::uint32_t LogTextColor() = 0;
  virtual std::uint32_t LogBackgroundColor() = 0;
  virtual void SetLogTextColor(std::uint32_t colour) = 0;
  // Horizontal scroll extent := widest line in the log's font + 10 pixels.
  virtual void FitLogHorizontalExtent() = 0;
  virtual void SetTestButtonCaption(std::string_view caption) = 0;
  // ProgressBar1, range 0..1000, and the caption drawn with it (nothing hides it).
  virtual void ShowCleanBar() = 0;
  virtual int CleanBarPosition() = 0;
  virtual void SetCleanBarPosition(int position) = 0;
  virtual void SetCleanBarCaption(std::optional<std::string> caption) = 0;
  // Timer1 (500 ms): calls CleanerPage::Timer1Tick.
  virtual void SetTimer1(bool on) = 0;
  // While a run is going: calls CleanerPage::DrainRunEvents every few milliseconds. A
  // timer rather than posted messages, so that input and painting come first.
  virtual void SetRunEventTimer(bool on) = 0;
  // The run's window messages (kWmCleanProgress ...) come back to the page's handlers.
  virtual void PostToSelf(unsigned message, std::uintptr_t wparam = 0) = 0;

  // TfrmAskDelete, modal: true for "&OK". Its check box calls AskDeleteCheckClick.
  virtual bool ShowAskDeleteDialog() = 0;
  // A save dialog; nothing when the user cancels. The filter is "Description|*.ext".
  virtual std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) = 0;
  virtual void ShowCustomListEditor(dialogs::CustomListEditor& editor) = 0;
};

class RunChannel;

class CleanerPage final : public Page {
 public:
  // qolt.dat is read from `folders.program`, Custom.dat from `folders.data`.
  CleanerPage(platform::Platform platform, core::Settings& settings, core::FileFolders folders,
              CleanerPageView& view, Prompts& prompts);
  // Cuts off a running worker and waits for it to leave.
  ~CleanerPage() override;
  CleanerPage(const CleanerPage&) = delete;
  CleanerPage& operator=(const CleanerPage&) = delete;

  // Page
  int Tag() const override { return kTagCleaner; }
  void Create(std::uint8_t os_code) override;
  void SetShown(bool shown) override { shown_ = shown; }
  void Close() override;
  void StoreSettings(core::Settings& settings) override;

  void TreeMouseDown(std::optional<core::NodeId> node, TreeHit hit);
  const cleaning::CleanItemTree& CleanItems() const { return clean_items_; }

  void FastModeClick(bool checked);
  // After the options dialog changed the setting.
  void ShowFastMode() { view_.SetFastModeChecked(settings_.FastScan); }
  // bTest: "Test" starts a test run, "Cancel" cancels the running one.
  void TestClick();
  void CleanClick();
  // A clean nobody asked about: at log-off and from the schedule.
  void AutomaticClean() { StartCleanRun(cleaning::RunKind::AutomaticClean); }
  // Waits for the running worker to end, at most `budget`, answering its questions No
  // (nobody is there to see them); its log is not shown. For a log-off.
  void FinishRunWithin(std::chrono::milliseconds budget);
  bool RunBusy() const { return run_busy_; }
  cleaning::RunKind RunMode() const { return run_mode_; }
  // The cleaners of the built-in items; the program registers them at start.
  cleaning::CleanerTable& Cleaners() { return cleaners_; }

  // The run's messages and timers. A drain does at most kDrainBudget of work and leaves
  // the rest for the next tick, so input and painting never wait long.
  static constexpr std::chrono::milliseconds kDrainBudget{25};
  void DrainRunEvents();
  void CleanProgressMessage(std::uintptr_t processed);
  void CleanDoneMessage(std::uintptr_t total);
  void CleanPreparedMessage();
  void Timer1Tick();
  // TfrmAskDelete's "Don't show me this message again", at every click.
  void AskDeleteCheckClick(bool checked);
  // Unattended runs skip the question before a clean.
  void SetClearSwitch(bool on) { clear_switch_ = on; }

  bool CanSaveLog();
  void SaveLogClick();

 private:
  // The cleaning run: start by kind (cleaning::RunKind::Test ...), cancel, and the bar.
  void StartCleanRun(cleaning::RunKind run_kind);
  void CancelCleanRun();
  void LaunchWorker();
  void EndPreparationState();
  void SetBarCaption(std::optional<std::string> caption);
  void SetBarPosition(int position);
  void SetTimer1(bool on);

  platform::Platform platform_;
  core::Settings& settings_;
  core::FileFolders folders_;
  CleanerPageView& view_;
  Prompts& prompts_;
  cleaning::CleanItemTree clean_items_;
  cleaning::CleanerTable cleaners_;
  std::vector<std::string> selected_items_;
  std::vector<std::string> counted_items_;  // what a Clean's counting pass counted
  std::uint8_t os_code_ = 0;
  bool shown_ = false;
  bool clear_switch_ = false;

  std::string test_caption_{kTestCaption};
  cleaning::RunKind run_mode_ = cleaning::RunKind::PreparedClean;
  bool run_busy_ = false;
  bool preparing_ = false;          // a Clean's hidden counting pass is running
  std::uint32_t prepared_total_ = 0;
  std::uint32_t saved_log_color_ = 0;
  bool done_expected_ = false;      // the current run's WM_CLEANDONE has been posted
  bool draining_ = false;
  bool timer1_on_ = false;
  int clean_bar_step_ = 0;
  std::optional<std::string> bar_caption_;
  bool bar_shows_percentage_ = false;
  struct Worker;
  std::shared_ptr<RunChannel> channel_;  // the current run's; none when idle
  std::vector<std::unique_ptr<Worker>> workers_;  // current and cancelled ones still leaving
};

}  // namespace norvik::app
