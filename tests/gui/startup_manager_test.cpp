// The startup manager on the Tools page of norvik.exe, against Wine's own run key and
// Startup folder: deleting the checked entries leaves the unchecked ones.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/pages/page.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The row whose first column is `caption`, or -1.
int RowOf(const RemoteListView& list, const std::wstring& caption) {
  for (int row = 0; row < list.Count(); ++row) {
    if (list.Text(row, 0) == caption) return row;
  }
  return -1;
}

TEST_F(ProgramFolderTest, StartupManagerDeletesTheCheckedRunValueAndShortcutOnly) {
  ASSERT_TRUE(PlantStrings(kRun, {{L"NorvikGuiKeep", L"C:\\keep.exe"}, {L"NorvikGuiGone", L"C:\\gone.exe /q"}}));
  const std::wstring shortcut = SpecialFolder(CSIDL_STARTUP) + L"\\NorvikGui.lnk";
  ASSERT_TRUE(PlantShortcut(shortcut, L"C:\\windows\\notepad.exe"));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagTools)), BM_CLICK, 0, 0);
  ::SendMessageW(app.Control(ids::kStartup), BM_CLICK, 0, 0);
  const RemoteListView list(app.Control(ids::kStartupList), app.process());
  const int gone = RowOf(list, L"NorvikGuiGone");
  const int link = RowOf(list, L"NorvikGui.lnk");
  ASSERT_GE(gone, 0);
  ASSERT_GE(link, 0);
  EXPECT_EQ(list.Text(gone, 1) + L"|" + list.Text(gone, 2), std::wstring(L"C:\\gone.exe /q|HKEY_CURRENT_USER\\") + kRun);
  EXPECT_EQ(list.Text(link, 2), L"Startup");
  ASSERT_TRUE(list.SetChecked(gone, true));
  ASSERT_TRUE(list.SetChecked(link, true));
  ShotIfAsked(app, app.window(), L"startup_manager.bmp");
  const int rows = list.Count();
  // Posted: a message box about entries left would hold a sent click.
  ::PostMessageW(app.Control(ids::kDeleteEntry), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return list.Count() == rows - 2; }));

  EXPECT_GE(RowOf(list, L"NorvikGuiKeep"), 0);
  EXPECT_FALSE(UserValueExists(kRun, L"NorvikGuiGone"));
  EXPECT_TRUE(UserValueExists(kRun, L"NorvikGuiKeep"));
  EXPECT_FALSE(PathExists(shortcut));
  EXPECT_TRUE(app.Close());
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"NorvikGuiKeep");
}

}  // namespace
}  // namespace norvik::gui
