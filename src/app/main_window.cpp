#include "app/main_window.h"

#include <utility>

#include "core/utility_routines.h"
#include "platform/text_encoding.h"

namespace norvik::app {
namespace {

constexpr std::string_view kAutoSwitch = "/Auto";          // compared exactly
constexpr std::string_view kClearSwitch = "/Clear";        // letter case ignored
constexpr std::string_view kRegdefragSwitch = "/Regdefrag";
constexpr std::string_view kRegscanSwitch = "/Regscan";

}  // namespace

MainWindow::MainWindow(platform::Platform platform, core::SettingsStore& store, MainWindowView& view,
                       PageViews pages, std::vector<std::string> args)
    : platform_(platform),
      store_(store),
      view_(view),
      args_(std::move(args)),
      cleaner_(platform, store.settings(), store.Folders(), pages.cleaner, view),
      registry_(platform, store.settings(), pages.registry, view),
      tools_(platform, store.settings(), pages.tools, view),
      defrag_(platform, store.settings(), pages.defrag, view),
      pages_{&cleaner_, &registry_, &tools_, &defrag_},
      background_(store.settings(), view.TrayView(), view) {}

std::string MainWindow::FirstArg() const { return args_.empty() ? std::string() : args_.front(); }

void MainWindow::FormCreate() {
  clear_switch_ = false;
  auto_mode_ = false;
  // Missing bounds centre the window at its initial size.
  const core::WindowBounds initial = view_.CurrentWindowBounds();
  const ScreenSize screen = view_.GetScreenSize();
  store_.Load({(screen.width - initial.width) / 2, (screen.height - initial.height) / 2, initial.width,
               initial.height});
  const std::uint8_t os_code = core::GetOsCode(platform_.system);
  for (Page* page : pages_) page->Create(os_code);
  if (FirstArg() == kAutoSwitch) background_.SetTrayIcon(true);
  if (store_.settings().EnableHotkey) {
    UnregisterBossKey();
    RegisterBossKey();
  }
  FlatButtonClick(kTagCleaner);
}

void MainWindow::FormShow() {
  for (Page* page : pages_) page->Show();
  if (defrag_.AnalyzeRegistryEnabled()) {
    const auto first = FirstArg();
    if (platform::EqualsIgnoreCase(first, kRegdefragSwitch)) {
      auto_mode_ = true;
      view_.PostToSelf(kWmUnattendedDefrag);
    } else if (platform::EqualsIgnoreCase(first, kRegscanSwitch)) {
      auto_mode_ = true;
      view_.PostToSelf(kWmUnattendedRegistryReport);
    }
  }
  // Posted, so that it comes after the program's first ShowWindow, which would undo it.
  if (store_.settings().IsMaximised()) view_.PostToSelf(kWmSysCommand, kScMaximize);
}

void MainWindow::FormActivate() {
  if (activated_) return;
  activated_ = true;
  const auto& s = store_.settings();
  if (s.IsMaximised()) {
    view_.MaximiseWindow();
  } else {
    view_.SetWindowBounds(s.Window);
  }
  const auto first = FirstArg();
  if (first == kAutoSwitch) {
    view_.PostMinimiseToTray();
    if (s.StartClean) view_.PostToSelf(kWmAutoClean);
  }
  if (platform::EqualsIgnoreCase(first, kClearSwitch)) {
    clear_switch_ = true;
    cleaner_.SetClearSwitch(true);
    registry_.SetClearSwitch(true, [this] { FinishClear(); });
    view_.PostToSelf(kWmAutoClean);
  } else {
    ArmSchedule();
  }
}

void MainWindow::FormClose() {
  // A log-off has done all this already; the window's own close then only ends.
  if (closed_) return;
  closed_ = true;
  for (Page* page : pages_) page->Close();
  SaveSettings();
  if (store_.settings().EnableHotkey) {
    UnregisterBossKey();
    if (background_.BossHidden()) background_.ShowHiddenBrowserWindows();
  }
}

bool MainWindow::QueryEndSession() {
  // Windows may end the process as soon as we answer: everything is done before.
  if (store_.settings().ShutdownClean && !closed_) {
    // Nobody is there to answer the question before a clean, and waiting for one would
    // hold up the log-off: ticking the shut-down clean was the consent.
    cleaner_.SetClearSwitch(true);
    cleaner_.AutomaticClean();
    // A run already going (a Test) keeps its kind and is cancelled by the close.
    if (cleaner_.RunMode() == cleaning::RunKind::AutomaticClean) cleaner_.FinishRunWithin(kEndSessionBudget);
  }
  FormClose();
  view_.CloseWindow();
  return true;
}

void MainWindow::UnattendedDefragMessage() {
  view_.HideForUnattendedRun();
  defrag_.UnattendedDefrag();
  view_.CloseWindow();
}

void MainWindow::UnattendedRegistryReportMessage() {
  view_.HideForUnattendedRun();
  defrag_.UnattendedReport(args_.size() > 1 ? args_[1] : std::string());
  view_.CloseWindow();
}

void MainWindow::AutoCleanMessage() {
  view_.HideForUnattendedRun();
  cleaner_.AutomaticClean();
  registry_.ScanClick();
  // No ticked section, or no scan: "/Clear" still ends rather than stay hidden for good.
  if (clear_switch_ && !registry_.Scanning()) FinishClear();
}

void MainWindow::FinishClear() {
  cleaner_.FinishRunWithin(kClearCleanBudget);
  view_.CloseWindow();
}

void MainWindow::TrayExitClick() {
  view_.CloseWindow();
  background_.SetTrayIcon(false);
}

void MainWindow::SaveSettings() {
  core::Settings& settings = store_.settings();
  for (Page* page : pages_) page->StoreSettings(settings);
  settings.WindowState = view_.WindowShowCommand();
  settings.Window = view_.CurrentWindowBounds();
  if (!store_.Save()) view_.ShowError(store_.SaveErrorText());
}

void MainWindow::FlatButtonClick(int tag) {
  for (int button : kSideButtonTags) {
    if ((button >> 4) == (tag >> 4)) view_.SetSideButtonSelected(button, false);
  }
  for (int page : kPageTags) view_.SetPageVisible(page, page == tag);
  for (Page* page : pages_) page->SetShown(page->Tag() == tag);
  view_.SetSideButtonSelected(tag, true);
}

void MainWindow::OptionsClick() {
  dialogs::OptionsDialog dialog(platform_, store_, *this);
  dialog.Create();
  if (view_.ShowOptionsDialog(dialog)) cleaner_.ShowFastMode();
}
void MainWindow::HelpClick() { view_.PopupHelpMenu(); }

void MainWindow::OpenUrl(std::string_view url) {
  // As with any link: when no browser takes it there is nothing useful to report.
  (void)platform_.shell.Open(url);
}

void MainWindow::OpenHelpPage() { OpenUrl(kHelpPageUrl); }
void MainWindow::OpenHomePage() { OpenUrl(kHomePageUrl); }
void MainWindow::OpenUpdatePage() { OpenUrl(kUpdatePageUrl); }
void MainWindow::AboutClick() { view_.ShowAboutBox(); }

}  // namespace norvik::app
