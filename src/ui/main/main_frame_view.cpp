// What the shell asks of the main window: side buttons, pages, placement, questions and
// the dialogs it opens.

#include "platform/win32/windows_api.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/dialogs/about/about_dialog.h"
#include "ui/dialogs/options/options_dialog.h"
#include "ui/main/control_ids.h"
#include "ui/main/main_frame.h"

namespace norvik::ui {

using platform::win32::Wide;

void MainFrame::SetSideButtonSelected(int tag, bool selected) {
  side_selected_[tag] = selected;
  if (HWND button = controls_.Get(ids::SideButton(tag))) ::InvalidateRect(button, nullptr, TRUE);
}

void MainFrame::SetPageVisible(int tag, bool visible) {
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (!visible || pages_[i]->tag() != tag) continue;
    if (!page_created_[i]) CreatePage(i);
    if (page_stale_[i]) LayoutPage(i);
  }
  // A page never shown has no window yet, and nothing to hide.
  if (HWND page = controls_.Get(ids::Page(tag))) ::ShowWindow(page, visible ? SW_SHOW : SW_HIDE);
}

std::optional<int> MainFrame::WindowShowCommand() {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!::GetWindowPlacement(hwnd_, &placement)) return std::nullopt;
  return static_cast<int>(placement.showCmd);
}

core::WindowBounds MainFrame::CurrentWindowBounds() {
  RECT rect{};
  if (::IsIconic(hwnd_)) {
    // A minimised window sits far off screen; its restored place is what matters.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd_, &placement);
    rect = placement.rcNormalPosition;
  } else {
    ::GetWindowRect(hwnd_, &rect);
  }
  return core::WindowBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

app::ScreenSize MainFrame::GetScreenSize() {
  return app::ScreenSize{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void MainFrame::SetWindowBounds(const core::WindowBounds& bounds) {
  ::SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainFrame::PostToSelf(unsigned message, std::uintptr_t wparam) {
  ::PostMessageW(hwnd_, message, static_cast<WPARAM>(wparam), 0);
}

bool MainFrame::AskYesNo(std::string_view question) {
  return ::MessageBoxW(hwnd_, Wide(question).c_str(), Wide(app::kProductName).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void MainFrame::ShowError(std::string_view message) {
  ::MessageBoxW(hwnd_, Wide(message).c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONERROR);
}

void MainFrame::ShowInformation(std::string_view message) {
  ::MessageBoxW(hwnd_, Wide(message).c_str(), Wide(app::kProductName).c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainFrame::ShowPlainMessage(std::string_view message) {
  ::MessageBoxW(hwnd_, Wide(message).c_str(), L"", MB_OK);
}

void MainFrame::ShowAboutBox() {
  ui::ShowAboutBox(instance_, hwnd_, [this] {
    if (controller_ != nullptr) controller_->OpenHomePage();
  });
}

bool MainFrame::ShowOptionsDialog(app::dialogs::OptionsDialog& dialog) {
  return RunOptionsDialog(instance_, hwnd_, dialog);
}

void MainFrame::PopupHelpMenu() {
  unique_hmenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuOnlineHelp, L"Online &Help");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuHomepage, L"H&omepage");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuCheckForUpdate, L"&Check for Update");
  ::AppendMenuW(menu.get(), MF_STRING, ids::kMenuAbout, L"&About...");
  PopupMenuAtCursor(hwnd_, menu.get());
}

}  // namespace norvik::ui
