// The startup manager on the Tools page of norvik.exe, against Wine's own run keys and
// Startup folder: the list shows what Windows would start, and deleting one checked entry
// leaves the unchecked ones (and a backup of the deleted value).

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

class StartupManagerTest : public ProgramFolderTest {
 protected:
  void TearDown() override {
    for (const wchar_t* name : {L"NorvikGuiKeep", L"NorvikGuiGone"}) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, name);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"NorvikGuiMachine");
    ::DeleteFileW(shortcut_.c_str());
    ProgramFolderTest::TearDown();
  }
  std::wstring shortcut_;
};

// The row whose first column is `caption`, or -1.
int RowOf(const RemoteListView& list, const std::wstring& caption) {
  for (int row = 0; row < list.Count(); ++row) {
    if (list.Text(row, 0) == caption) return row;
  }
  return -1;
}

TEST_F(StartupManagerTest, ListsWinesRunKeysAndAStartupShortcutAndDeletesOnlyTheCheckedOnes) {
  ASSERT_TRUE(PlantUserStrings(kRun, {{L"NorvikGuiKeep", L"C:\\keep.exe"}, {L"NorvikGuiGone", L"C:\\gone.exe /quiet"}}));
  const std::wstring machine_text = L"C:\\machine.exe";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"NorvikGuiMachine", REG_SZ, machine_text.c_str(),
                              static_cast<DWORD>((machine_text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const std::wstring startup = SpecialFolder(CSIDL_STARTUP);
  ASSERT_FALSE(startup.empty());
  shortcut_ = startup + L"\\NorvikGui.lnk";
  ASSERT_TRUE(PlantShortcut(shortcut_, L"C:\\windows\\notepad.exe"));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagTools)), BM_CLICK, 0, 0);
  ::SendMessageW(app.Control(ids::kStartup), BM_CLICK, 0, 0);
  const RemoteListView list(app.Control(ids::kStartupList), app.process());
  const int keep = RowOf(list, L"NorvikGuiKeep");
  const int gone = RowOf(list, L"NorvikGuiGone");
  const int machine = RowOf(list, L"NorvikGuiMachine");
  const int link = RowOf(list, L"NorvikGui.lnk");
  ASSERT_GE(keep, 0);
  ASSERT_GE(gone, 0);
  ASSERT_GE(machine, 0);
  ASSERT_GE(link, 0);
  EXPECT_EQ(list.Text(gone, 1), L"C:\\gone.exe /quiet");
  EXPECT_EQ(list.Text(gone, 2), std::wstring(L"HKEY_CURRENT_USER\\") + kRun);
  EXPECT_EQ(list.Text(machine, 2), std::wstring(L"HKEY_LOCAL_MACHINE\\") + kRun);
  EXPECT_EQ(list.Text(link, 2), L"Startup");
  std::wstring target = list.Text(link, 1);
  ::CharUpperBuffW(target.data(), static_cast<DWORD>(target.size()));
  EXPECT_EQ(target, L"C:\\WINDOWS\\NOTEPAD.EXE");
  // Wine's own RunServices entries are for the Windows 95 family only.
  EXPECT_EQ(RowOf(list, L"winemenubuilder"), -1);
  const int rows = list.Count();

  ::SendMessageW(app.Control(ids::kSelectAll), BM_CLICK, 0, 0);
  for (int row = 0; row < rows; ++row) EXPECT_TRUE(list.Checked(row)) << row;
  ::SendMessageW(app.Control(ids::kSelectNone), BM_CLICK, 0, 0);
  for (int row = 0; row < rows; ++row) EXPECT_FALSE(list.Checked(row)) << row;
  ASSERT_TRUE(list.SetChecked(gone, true));
  ASSERT_TRUE(list.SetChecked(link, true));
  ShotIfAsked(app, app.window(), L"startup_manager.bmp");
  // Posted: a message box about entries left would hold a sent click.
  ::PostMessageW(app.Control(ids::kDeleteEntry), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return list.Count() == rows - 2; }));

  EXPECT_EQ(RowOf(list, L"NorvikGuiGone"), -1);
  EXPECT_EQ(RowOf(list, L"NorvikGui.lnk"), -1);
  EXPECT_GE(RowOf(list, L"NorvikGuiKeep"), 0);
  EXPECT_GE(RowOf(list, L"NorvikGuiMachine"), 0);
  EXPECT_FALSE(UserValueExists(kRun, L"NorvikGuiGone"));
  EXPECT_TRUE(UserValueExists(kRun, L"NorvikGuiKeep"));
  EXPECT_FALSE(PathExists(shortcut_));
  // The deleted value went to a backup in the program's backup folder first.
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder_ + L"\\Backup\\*.reg").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  ::FindClose(search);
  const std::string backup = ReadBytes(folder_ + L"\\Backup\\" + found.cFileName);
  EXPECT_NE(backup.find("\"NorvikGuiGone\"=\"C:\\\\gone.exe /quiet\""), std::string::npos) << backup;
  EXPECT_EQ(backup.find("NorvikGuiKeep"), std::string::npos);
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
