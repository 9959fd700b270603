// The options dialog as a user meets it: one change on each of its five pages, "&OK",
// then options.ini, Cookies.ini and the Run value as written. Screenshots of each page
// go to %NORVIK_SHOT_DIR%.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "ui/dialogs/options/options_ids.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Norvik Cleaner";
constexpr wchar_t kCookie[] = L"\\user@options.example.txt";

class OptionsDialogTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    cookie_ = SpecialFolder(CSIDL_COOKIES) + kCookie;
    ASSERT_TRUE(PlantFile(cookie_, "name\nvalue\n"));
  }
  void TearDown() override {
    ::DeleteFileW(cookie_.c_str());
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
    ProgramFolderTest::TearDown();
  }

  void Page(int index, const wchar_t* shot) {
    ASSERT_TRUE(ClickTab(::GetDlgItem(dialog_, IDC_OPT_TABS), app_.process(), index));
    ShotIfAsked(app_, dialog_, shot);
  }
  void Click(int id) { ::SendMessageW(::GetDlgItem(dialog_, id), BM_CLICK, 0, 0); }
  bool Visible(int id) { return ::IsWindowVisible(::GetDlgItem(dialog_, id)) != FALSE; }
  LRESULT Count(int id, UINT message) { return ::SendDlgItemMessageW(dialog_, id, message, 0, 0); }

  App app_;
  HWND dialog_ = nullptr;
  std::wstring cookie_;
};

TEST_F(OptionsDialogTest, AChangeOnEachPageIsSavedByOk) {
  ASSERT_TRUE(app_.Start(exe_));
  ::PostMessageW(app_.Control(ui::ids::SideButton(app::kTagOptions)), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return (dialog_ = FindProcessWindow(app_.process(), L"Options")) != nullptr; }));

  // Common: the backup folder must exist for "&OK".
  EXPECT_TRUE(Visible(IDC_OPT_ASK_CLEAR) && !Visible(IDC_OPT_TO_DELETE));
  Click(IDC_OPT_ASK_CLEAR);
  Click(IDC_OPT_FAST_SCAN);
  const LRESULT fast_mode = ::SendMessageW(app_.Control(ui::ids::kFastMode), BM_GETCHECK, 0, 0);
  ::SetDlgItemTextW(dialog_, IDC_OPT_OUTPUT_FOLDER, folder_.c_str());
  ShotIfAsked(app_, dialog_, L"options_common.bmp");

  Page(1, L"options_cookies.bmp");
  EXPECT_TRUE(Visible(IDC_OPT_TO_DELETE) && !Visible(IDC_OPT_ASK_CLEAR));
  const HWND to_delete = ::GetDlgItem(dialog_, IDC_OPT_TO_DELETE);
  const LRESULT row = ::SendMessageW(to_delete, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(kCookie + 1));
  ASSERT_NE(row, LB_ERR) << "the planted cookie is not listed";
  ::SendMessageW(to_delete, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  Click(IDC_OPT_KEEP);
  EXPECT_EQ(Count(IDC_OPT_TO_KEEP, LB_GETCOUNT), 1);

  // Schedule: "Clean when Windows start" writes the Run value though autostart is off.
  Page(2, L"options_schedule.bmp");
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog_, IDC_OPT_INTERVAL3)));
  Click(IDC_OPT_AUTO_WASH);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog_, IDC_OPT_INTERVAL3)));
  Click(IDC_OPT_INTERVAL3);
  Click(IDC_OPT_START_WASH);

  // Boss Key: F12 pressed in the edit, tested against the real RegisterHotKey.
  Page(3, L"options_boss_key.bmp");
  Click(IDC_OPT_USE_BOSS);
  ::SendDlgItemMessageW(dialog_, IDC_OPT_HOTKEY, WM_KEYDOWN, VK_F12, 0);
  wchar_t hotkey[64]{};
  ::GetDlgItemTextW(dialog_, IDC_OPT_HOTKEY, hotkey, 64);
  EXPECT_EQ(std::wstring(hotkey), L"F12");

  // Ignore Lists: a key added through the entry dialog.
  Page(4, L"options_ignore_lists.bmp");
  ::PostMessageW(::GetDlgItem(dialog_, IDC_OPT_IGNORE_ADD), BM_CLICK, 0, 0);
  HWND entry = nullptr;
  ASSERT_TRUE(Eventually([&] { return (entry = FindProcessWindow(app_.process(), L"Add to Ignore List")) != nullptr; }));
  HWND edit = ::FindWindowExW(entry, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"HKEY_CURRENT_USER\\Software\\Ignored"));
  ::PostMessageW(::GetDlgItem(entry, IDOK), BM_CLICK, 0, 0);
  EXPECT_TRUE(Eventually([&] { return Count(IDC_OPT_IGNORE_VALUES, LVM_GETITEMCOUNT) == 1; }));

  ::PostMessageW(::GetDlgItem(dialog_, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return !::IsWindow(dialog_); }));

  EXPECT_NE(::SendMessageW(app_.Control(ui::ids::kFastMode), BM_GETCHECK, 0, 0), fast_mode)
      << "the main window's Fast Mode box follows the dialog";
  const std::wstring options = folder_ + L"\\options.ini", cookies = folder_ + L"\\Cookies.ini";
  EXPECT_EQ(IniValue(options, L"Options", L"IsAskBeforeClear"), L"0");
  EXPECT_EQ(IniValue(options, L"SChedule", L"AutoClean"), L"1");
  EXPECT_EQ(IniValue(options, L"SChedule", L"CleanInterval"), L"3");
  EXPECT_EQ(IniValue(options, L"Hotkey", L"CharString"), L"F12");
  EXPECT_EQ(IniValue(options, L"IgnoreValue", L"Value1"), L"HKEY_CURRENT_USER\\Software\\Ignored");
  EXPECT_EQ(IniValue(cookies, L"Cookies to Keep", L"Count"), L"1");
  EXPECT_EQ(IniValue(cookies, L"Cookies to Keep", L"0"), kCookie + 1);
  EXPECT_EQ(RegText(HKEY_CURRENT_USER, kRunKey, kRunValue), exe_ + L" /Auto");
  EXPECT_TRUE(app_.Close());
}

}  // namespace
}  // namespace norvik::gui
