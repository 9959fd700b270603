#pragma once
// The main window's state and decisions. The Win32 window (ui/) implements
// MainWindowView, forwards every user action here and draws what it is told; the tests
// drive the same controller through a fake view.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/clean_item_tree.h"
#include "cleaning/clear_task.h"
#include "core/settings_store.h"
#include "platform/platform.h"
#include "regscan/section_tree.h"

namespace norvik::app {

using core::NodeId;
using Tree = core::SettingsView::Tree;

inline constexpr std::string_view kProductName = "Norvik Cleaner";
inline constexpr std::string_view kVersionText = "3.5";
inline constexpr std::string_view kWindowCaption = "Norvik Cleaner 3.5";
// Other programs find the running instance by this class name.
inline constexpr std::string_view kWindowClassName = "Norvik Cleaner Made by Norvik Software";
inline constexpr std::string_view kTitleHint = "Optimize your computer performance";
inline constexpr std::string_view kUpdateLinkText = "Check for updates...";

inline constexpr std::string_view kHomePageUrl = "https://norvik-software.example/cleaner/";
inline constexpr std::string_view kHelpPageUrl = "https://norvik-software.example/cleaner/help/";
inline constexpr std::string_view kUpdatePageUrl = "https://norvik-software.example/cleaner/update/";

// Client size at creation and the smallest window size the user may drag it to.
inline constexpr int kClientWidth = 697;
inline constexpr int kClientHeight = 456;
inline constexpr int kMinWindowWidth = 626;
inline constexpr int kMinWindowHeight = 455;

// Side buttons and pages share these tags.
inline constexpr int kTagCleaner = 17;
inline constexpr int kTagRegistry = 18;
inline constexpr int kTagTools = 19;
inline constexpr int kTagOptions = 20;
inline constexpr int kTagDefrag = 21;
inline constexpr int kTagHelp = 22;
inline constexpr int kPageTags[] = {kTagCleaner, kTagRegistry, kTagTools, kTagDefrag};
inline constexpr int kSideButtonTags[] = {kTagCleaner, kTagRegistry, kTagTools, kTagDefrag, kTagOptions, kTagHelp};

// The program's own window messages.
inline constexpr unsigned kWmShowMain = 21509;
inline constexpr unsigned kWmTrayIcon = 21510;
inline constexpr unsigned kWmAutoClean = 21511;
inline constexpr unsigned kWmCleanProgress = 21512;
inline constexpr unsigned kWmCleanDone = 21513;
inline constexpr unsigned kWmCleanPrepared = 21552;
inline constexpr unsigned kWmScanSectionDone = 25619;
inline constexpr unsigned kWmScanDone = 25620;
inline constexpr unsigned kWmUnattendedDefrag = 25638;
inline constexpr unsigned kWmUnattendedRegistryReport = 25639;

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

inline constexpr std::string_view kUnsupportedSystemLine =
    "The software does not support the current Windows system!";

// Saving the cleaning log.
inline constexpr std::string_view kSaveLogTitle = "Save as Text";
inline constexpr std::string_view kSaveLogFilter = "Text files (*.txt)|*.txt";
inline constexpr std::string_view kOverwriteQuestionTail = " has existed,overite it?";
// The chosen name with ".txt" appended unless its extension is exactly ".txt".
std::string LogFileNameFor(std::string_view chosen);
// The file's text: two header lines, an empty line, then the log lines; CRLF endings.
std::string LogFileText(const std::vector<std::string>& log_lines);

// Where a mouse press on a tree landed.
enum class TreeHit { Nowhere, Label, StateIcon, Other };

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  // Pages: selected side buttons are drawn white, the others in the face colour.
  virtual void SetSideButtonSelected(int tag, bool selected) = 0;
  virtual void SetPageVisible(int tag, bool visible) = 0;

  // Trees. The view shows the controller's models (CleanItems(), Sections()); it is told
  // when nodes were added and when check marks changed. Expanded state lives in the view.
  virtual void RebuildTree(Tree tree) = 0;
  virtual void RefreshTreeChecks(Tree tree) = 0;
  virtual bool IsNodeExpanded(Tree tree, NodeId id) = 0;
  virtual void ExpandNode(Tree tree, NodeId id) = 0;
  virtual void ScrollCleanTreeToTop() = 0;

  // Cleaner page.
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
  // Timer1 (500 ms): calls MainWindow::Timer1Tick.
  virtual void SetTimer1(bool on) = 0;
  // While a run is going: calls MainWindow::DrainRunEvents every few milliseconds. A
  // timer rather than posted messages, so that input and painting come first.
  virtual void SetRunEventTimer(bool on) = 0;
  // TfrmAskDelete, modal: true for "&OK". Its check box calls AskDeleteCheckClick.
  virtual bool ShowAskDeleteDialog() = 0;
  // Registry page.
  virtual void SetRegistryStatusText(std::string_view text) = 0;
  // Tools and defrag pages.
  virtual void HideWindowsBackupButton() = 0;
  virtual void DisableAnalyzeRegistry() = 0;
  virtual void ClearDefragSizeLabels() = 0;
  virtual void AddDefragRow(std::string_view text) = 0;

  // The window itself.
  virtual std::optional<int> WindowShowCommand() = 0;
  virtual core::WindowBounds CurrentWindowBounds() = 0;
  virtual core::ScreenSize GetScreenSize() = 0;
  virtual void SetWindowBounds(const core::WindowBounds& bounds) = 0;
  virtual void MaximiseWindow() = 0;
  virtual void RestoreAndShowWindow() = 0;
  virtual void PostToSelf(unsigned message, std::uintptr_t wparam = 0) = 0;
  virtual void CloseWindow() = 0;

  // Questions and dialogs, all modal.
  virtual bool AskYesNo(std::string_view question) = 0;  // "No" is the default button
  virtual void ShowError(std::string_view message) = 0;
  // Captioned with the product name, information icon.
  virtual void ShowInformation(std::string_view message) = 0;
  // Empty caption, OK button.
  virtual void ShowPlainMessage(std::string_view message) = 0;
  // A save dialog; nothing when the user cancels. The filter is "Description|*.ext".
  virtual std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) = 0;
  virtual void ShowAboutBox() = 0;
  virtual void ShowCustomListEditor() = 0;
  virtual void ShowOptionsDialog() = 0;
  virtual void PopupHelpMenu() = 0;
};

class RunChannel;

// TfrmMain's state without the window. Also what the settings store sees of the window.
class MainWindow final : private core::SettingsView {
 public:
  // `args` are the command-line arguments after the program name.
  MainWindow(platform::Platform platform, core::SettingsStore& store, MainWindowView& view,
             std::vector<std::string> args);
  // Cuts off a running worker and waits for it to leave.
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Life cycle, in the order the window goes through it.
  void FormCreate();
  void FormShow();
  // Runs its steps at the first activation only: later activations (after a dialog
  // closes) must not move the window back to the bounds loaded at start.
  void FormActivate();
  void FormClose();
  // WM_QUERYENDSESSION: true lets Windows end the session.
  bool QueryEndSession();
  // WM_SHOWMAIN from another program.
  void ShowMainWindow();

  // Side buttons.
  void FlatButtonClick(int tag);
  void OptionsClick();
  void HelpClick();
  int SelectedPage() const { return selected_page_; }

  // Trees.
  void CleanTreeMouseDown(std::optional<NodeId> node, TreeHit hit);
  void SectionTreeMouseDown(std::optional<NodeId> node, TreeHit hit);
  static constexpr bool SectionTreeMayCollapse() { return false; }
  const cleaning::CleanItemTree& CleanItems() const { return clean_items_; }
  const regscan::SectionTree& Sections() const { return sections_; }
  const core::CheckTree& TreeOf(Tree tree) const;

  // Cleaner page.
  void FastModeClick(bool checked);
  // bTest: "Test" starts a test run, "Cancel" cancels the running one.
  void TestClick();
  void CleanClick();
  const std::string& TestButtonCaption() const { return test_caption_; }
  bool RunBusy() const { return run_busy_; }
  cleaning::RunKind RunMode() const { return run_mode_; }
  // The cleaners of the built-in items; the program registers them at start.
  cleaning::CleanerTable& Cleaners() { return cleaners_; }

  // The run's messages and timers.
  void DrainRunEvents();
  void CleanProgressMessage(std::uintptr_t processed);
  void CleanDoneMessage(std::uintptr_t total);
  void CleanPreparedMessage();
  void Timer1Tick();
  // TfrmAskDelete's "Don't show me this message again", at every click.
  void AskDeleteCheckClick(bool checked);
  bool CanSaveLog();
  void SaveLogClick();

  // Registry, tools and defrag pages: the buttons that already exist.
  void ScanClick();

  // Help menu and title strip.
  void OpenHelpPage();
  void OpenHomePage();
  void OpenUpdatePage();
  void AboutClick();

  // Messages that later features handle; here they are accepted and ignored.
  void AutoCleanMessage();
  void UnattendedDefragMessage();
  void UnattendedRegistryReportMessage();

  // State the unattended runs and the defragmenter page depend on.
  bool ClearSwitch() const { return clear_switch_; }
  bool AutoMode() const { return auto_mode_; }
  bool AnalyzeRegistryEnabled() const { return analyze_enabled_; }

 private:
  // core::SettingsView
  void UncheckAllItems() override;
  void CheckItemByName(std::string_view name) override;
  std::vector<std::string> CheckedItemNames() override;
  std::size_t TopLevelCount(Tree tree) override;
  int TopLevelImageIndex(Tree tree, std::size_t i) override;
  bool IsTopLevelExpanded(Tree tree, std::size_t i) override;
  void ExpandTopLevel(Tree tree, std::size_t i) override;
  std::size_t SectionNodeCount() override;
  int SectionNodeImageIndex(std::size_t i) override;
  bool IsSectionNodeChecked(std::size_t i) override;
  void SetSectionNodeChecked(std::size_t i, bool checked) override;
  std::optional<int> WindowShowCommand() override;
  core::WindowBounds CurrentWindowBounds() override;
  core::ScreenSize GetScreenSize() override;

  std::string FirstArg() const;
  // The cleaning run: start by kind (cleaning::RunKind::Test ...), cancel, and the bar.
  void StartCleanRun(cleaning::RunKind run_kind);
  void CancelCleanRun();
  void LaunchWorker();
  void EndPreparationState();
  void SetBarCaption(std::optional<std::string> caption);
  void SetBarPosition(int position);
  void SetTimer1(bool on);
  void SaveSettingsReportingErrors();
  void OpenUrl(std::string_view url);

  // Hooks for features that arrive later (tray, boss key, schedule, runs, scans, hives).
  void SetTrayIcon() {}
  void RegisterBossKey() {}
  void UnregisterBossKey() {}
  void ShowHiddenBrowserWindows() {}
  void MinimiseToTray() {}
  void ArmScheduleTimer() {}
  void CancelScan() {}
  void LoadHiveList() {}

  platform::Platform platform_;
  core::SettingsStore& store_;
  MainWindowView& view_;
  std::vector<std::string> args_;
  cleaning::CleanItemTree clean_items_;
  regscan::SectionTree sections_;
  std::vector<NodeId> section_walk_;

  std::vector<std::string> selected_items_;
  cleaning::CleanerTable cleaners_;
  std::string test_caption_ = "Test";
  bool preparing_ = false;          // a Clean's hidden counting pass is running
  std::uint32_t prepared_total_ = 0;
  std::uint32_t saved_log_color_ = 0;
  bool saved_fast_mode_ = true;
  bool done_expected_ = false;      // the current run's WM_CLEANDONE has been posted
  bool draining_ = false;
  bool timer1_on_ = false;
  std::optional<std::string> bar_caption_;
  bool bar_shows_percentage_ = false;
  struct Worker;
  std::shared_ptr<RunChannel> channel_;  // the current run's; none when idle
  std::vector<std::unique_ptr<Worker>> workers_;  // current and cancelled ones still leaving
  int selected_page_ = 0;
  cleaning::RunKind run_mode_ = cleaning::RunKind::PreparedClean;
  bool run_busy_ = false;
  bool scan_busy_ = false;
  int clean_bar_step_ = 0;
  int scan_bar_step_ = 10;
  bool boss_hidden_ = false;
  bool clear_switch_ = false;
  bool auto_mode_ = false;
  bool activated_ = false;
  std::uint8_t os_code_ = 0;
  bool is_wow64_ = false;
  bool analyze_enabled_ = true;
  std::vector<std::string> hive_names_;
  std::vector<std::string> hive_files_;
};

}  // namespace norvik::app
