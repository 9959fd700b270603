#pragma once
// The main window and its pages as the controllers see them, recording what they were
// told to show.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/dialogs/custom_list_editor.h"
#include "app/main_window.h"

namespace norvik::app {

// The tray, the boss key and the schedule: what was asked.
class FakeBackgroundView : public BackgroundView {
 public:
  bool icon = false, minimised = false;
  std::map<std::string, std::uint16_t> atoms;
  std::map<std::uint16_t, unsigned> hotkeys;  // id -> modifiers
  std::optional<unsigned> timer;             // the interval, while enabled

  void AddTrayIcon(std::string_view) override { icon = true; }
  void RemoveTrayIcon() override { icon = false; }
  void MinimiseTowardsTray() override { minimised = true; }
  bool IsMinimised() override { return minimised; }
  void RestoreFromTray() override { minimised = false; }
  void SelectFirstLogLine() override {}
  void PopupTrayMenu() override {}
  std::uint16_t AddAtom(std::string_view name) override {
    return atoms.emplace(std::string(name), static_cast<std::uint16_t>(0xC000 + atoms.size())).first->second;
  }
  std::uint16_t FindAtom(std::string_view name) override {
    const auto it = atoms.find(std::string(name));
    return it == atoms.end() ? 0 : it->second;
  }
  void DeleteAtom(std::uint16_t atom) override { std::erase_if(atoms, [&](const auto& a) { return a.second == atom; }); }
  bool RegisterHotkey(std::uint16_t id, unsigned modifiers, unsigned) override { return hotkeys[id] = modifiers, true; }
  void UnregisterHotkey(std::uint16_t id) override { hotkeys.erase(id); }
  void ShowTopLevelWindowsOf(const std::array<std::string_view, 5>&, bool) override {}
  void SetScheduleTimer(bool enabled, unsigned interval_ms) override {
    timer = enabled ? std::optional<unsigned>(interval_ms) : std::nullopt;
  }
};

class FakeMainWindowView : public MainWindowView {
 public:
  std::set<int> selected_buttons;
  core::WindowBounds bounds{0, 0, 713, 495};  // the frame around a 697 x 456 client
  std::vector<unsigned> posted;
  int closes = 0;
  std::vector<std::string> infos, plain_messages, questions, errors;
  bool answer_yes = false;

  void SetSideButtonSelected(int tag, bool on) override {
    if (on) selected_buttons.insert(tag);
    if (!on) selected_buttons.erase(tag);
  }
  void SetPageVisible(int, bool) override {}
  std::optional<int> WindowShowCommand() override { return 1; }
  core::WindowBounds CurrentWindowBounds() override { return bounds; }
  ScreenSize GetScreenSize() override { return {1024, 768}; }
  void SetWindowBounds(const core::WindowBounds& b) override { bounds = b; }
  void MaximiseWindow() override {}
  void PostToSelf(unsigned message, std::uintptr_t) override { posted.push_back(message); }
  void CloseWindow() override { ++closes; }
  void HideForUnattendedRun() override {}
  FakeBackgroundView tray;
  BackgroundView& TrayView() override { return tray; }
  void PostMinimiseToTray() override { posted.push_back(kWmSysCommand); }
  bool AskYesNo(std::string_view q) override { return questions.emplace_back(q), answer_yes; }
  void ShowError(std::string_view m) override { errors.emplace_back(m); }
  void ShowInformation(std::string_view m) override { infos.emplace_back(m); }
  void ShowPlainMessage(std::string_view m) override { plain_messages.emplace_back(m); }
  void ShowAboutBox() override {}
  bool ShowOptionsDialog(app::dialogs::OptionsDialog&) override { return false; }
  void PopupHelpMenu() override {}
};

class FakeCleanerPageView : public CleanerPageView {
 public:
  std::set<core::NodeId> expanded;
  std::optional<bool> fast_mode;
  std::vector<std::string> log;
  std::vector<unsigned> posted;
  std::vector<std::uintptr_t> posted_wparams;
  std::string test_caption = "Test";
  bool bar_visible = false;
  int bar_position = 0;
  std::optional<std::string> bar_caption;
  std::vector<std::string> bar_captions;  // every caption shown, in order
  bool timer1 = false, run_event_timer = false;
  std::uint32_t log_color = 0x000000, log_background = 0xFFFFFF;
  int extent_fits = 0;
  bool ask_delete_answer = true;
  int ask_delete_shown = 0;
  std::vector<std::string> dialogs;
  std::optional<std::string> save_name;

  void RebuildTree(const core::CheckTree&) override {}
  void RefreshTreeChecks(const core::CheckTree&) override {}
  bool IsNodeExpanded(core::NodeId id) override { return expanded.count(id) > 0; }
  void ExpandNode(core::NodeId id) override { expanded.insert(id); }
  void ScrollTreeToTop() override {}
  void SetFastModeChecked(bool on) override { fast_mode = on; }
  std::size_t LogLineCount() override { return log.size(); }
  std::vector<std::string> LogLines() override { return log; }
  void ClearLog() override { log.clear(); }
  std::chrono::milliseconds append_time{0};  // how long a slow list box takes per batch
  void AppendLogLines(const std::vector<std::string>& lines) override {
    std::this_thread::sleep_for(append_time);
    log.insert(log.end(), lines.begin(), lines.end());
  }
  void ScrollLogToEnd() override {}
  void SetLogDoubleBuffered(bool) override {}
  std::uint32_t LogTextColor() override { return log_color; }
  std::uint32_t LogBackgroundColor() override { return log_background; }
  void SetLogTextColor(std::uint32_t c) override { log_color = c; }
  void FitLogHorizontalExtent() override { ++extent_fits; }
  void SetTestButtonCaption(std::string_view c) override { test_caption = c; }
  void ShowCleanBar() override { bar_visible = true; }
  int CleanBarPosition() override { return bar_position; }
  void SetCleanBarPosition(int p) override { bar_position = p; }
  void SetCleanBarCaption(std::optional<std::string> c) override {
    if (c) bar_captions.push_back(*c);
    bar_caption = std::move(c);
  }
  void SetTimer1(bool on) override { timer1 = on; }
  void SetRunEventTimer(bool on) override { run_event_timer = on; }
  void PostToSelf(unsigned message, std::uintptr_t wparam) override {
    posted.push_back(message);
    posted_wparams.push_back(wparam);
  }
  bool ShowAskDeleteDialog() override { return ++ask_delete_shown, ask_delete_answer; }
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override {
    dialogs.push_back(std::string(title) + "|" + std::string(filter));
    return save_name;
  }
  void ShowCustomListEditor(dialogs::CustomListEditor& editor) override { dialogs.push_back(editor.file()); }
};

// The Registry page as the user sees it: the list's rows come from the controller.
class FakeRegistryPageView : public RegistryPageView {
 public:
  std::string status = "<unset>";
  std::string title, button = "Scan";
  bool key_display = false, restore_shown = true, timer1 = false, event_timer = false;
  std::size_t row_count = 0;
  std::vector<unsigned> posted;
  std::vector<std::size_t> selected;
  std::optional<std::string> save_as;
  int restore_point_dialogs = 0;
  bool restore_point_ok = true;

  void RebuildTree(const core::CheckTree&) override {}
  void RefreshTreeChecks(const core::CheckTree&) override {}
  void ExpandNode(core::NodeId) override {}
  void SetStatusText(std::string_view text) override { status = text; }
  void SetScanTitle(std::string_view text) override { title = text; }
  void SetKeyText(std::string_view) override {}
  void ShowKeyDisplay(bool shown) override { key_display = shown; }
  void ShowRestoreButton(bool shown) override { restore_shown = shown; }
  void SetScanButtonCaption(std::string_view caption) override { button = caption; }
  void ShowScanBar() override {}
  void SetScanBarPosition(int) override {}
  void SetScanBarCaption(std::optional<std::string>) override {}
  void SetTimer1(bool on) override { timer1 = on; }
  void SetScanEventTimer(bool on) override { event_timer = on; }
  void PostToSelf(unsigned message) override { posted.push_back(message); }
  void SetRowCount(std::size_t count) override { row_count = count; }
  void RedrawRows() override {}
  void FitColumns(bool) override {}
  std::vector<std::size_t> SelectedRows() override { return selected; }
  std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override { return save_as; }
  void OpenRegistryEditor(std::string_view, std::string_view, std::string_view) override {}
  bool ShowRestorePointDialog(platform::System&, WorkerYard&, bool) override {
    ++restore_point_dialogs;
    return restore_point_ok;
  }
  void ShowRestoreDialog(platform::Platform, const std::string&, bool) override {}
};

class FakeOtherPageViews : public ToolsPageView, public DefragPageView {
 public:
  bool backup_hidden = false;
  bool analyze_disabled = false;
  std::vector<std::string> defrag_rows;
  std::optional<std::string> save_name;
  std::vector<std::string> hints;  // the progress dialogs shown

  void HideWindowsBackupButton() override { backup_hidden = true; }
  void ShowIndexDatViewer(platform::Platform, bool, int) override {}
  std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override { return save_name; }
  // The startup list: "caption|file|location" per row, with its check mark.
  std::vector<std::string> startup_rows;
  std::vector<bool> startup_checks;
  void ShowStartupRows(const std::vector<tools::StartupEntry>& rows) override {
    startup_rows.clear();
    for (const auto& r : rows) startup_rows.push_back(r.caption + "|" + r.file + "|" + r.location);
    startup_checks.assign(rows.size(), false);
  }
  std::vector<bool> StartupChecks() override { return startup_checks; }
  void RemoveStartupRow(std::size_t row) override {
    startup_rows.erase(startup_rows.begin() + static_cast<std::ptrdiff_t>(row));
    startup_checks.erase(startup_checks.begin() + static_cast<std::ptrdiff_t>(row));
  }
  void CheckAllStartupRows(bool checked) override { startup_checks.assign(startup_rows.size(), checked); }
  bool ShowBackupHint(platform::Process&, std::string_view hint) override { return hints.emplace_back(hint), true; }
  void DisableAnalyzeRegistry() override { analyze_disabled = true; }
  void ClearSizeLabels() override {}
  void AddRow(std::string_view text) override { defrag_rows.emplace_back(text); }

  // The Defrag page; the test stands in for the progress dialog and its copies.
  std::map<std::size_t, defrag::HiveRowTexts> row_sizes;
  std::optional<defrag::AnalysisTexts> size_labels;
  bool defrag_enabled = false;
  std::function<bool()> hive_progress = [] { return false; };
  void SetRowSizes(std::size_t row, const defrag::HiveRowTexts& texts) override { row_sizes[row] = texts; }
  void SetSizeLabels(const defrag::AnalysisTexts& texts) override { size_labels = texts; }
  void EnableDefragRegistry(bool enabled) override { defrag_enabled = enabled; }
  bool ShowHiveProgress(const dialogs::HiveProgressSetup&) override { return hive_progress(); }
  bool ShowRestorePointDialog(platform::System&, WorkerYard&) override { return true; }
};

// One program start on a machine: the store, the fake window and the shell.
struct FakeSession {
  FakeSession(platform::Platform p, std::vector<std::string> args = {})
      : store(p.ini, core::ChooseFileFolders(p)), window(p, store, view, {cleaner, registry, others, others}, std::move(args)) {}
  void Start() {
    window.FormCreate();
    window.FormShow();
    window.FormActivate();
  }
  core::SettingsStore store;
  FakeMainWindowView view;
  FakeCleanerPageView cleaner;
  FakeRegistryPageView registry;
  FakeOtherPageViews others;
  MainWindow window;
};

}  // namespace norvik::app
