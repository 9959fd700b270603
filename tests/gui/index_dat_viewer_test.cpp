// The index.dat viewer opened from the Tools page of norvik.exe: it starts on the
// cache's own index, lists a generated file in its virtual list with the record count,
// and keeps "&Delete" hidden.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <string>

#include "app/pages/page.h"
#include "fakes/index_dat_builder.h"
#include "ui/dialogs/index_dat_viewer/index_dat_viewer_ids.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; }

// An edit control's text: GetWindowText does not ask another process's edit for it.
std::wstring EditText(HWND dialog, int id) {
  wchar_t text[MAX_PATH * 2]{};
  ::SendDlgItemMessageW(dialog, id, WM_GETTEXT, MAX_PATH * 2, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(ProgramFolderTest, IndexDatViewerListsAGeneratedFile) {
  // Three addresses, one free slot and one record without text.
  formats::IndexDatBuilder file(0x4000);
  file.FirstTable(0x2000).Table(0x2000, 1, 0, {{0x10, 0x200}, {0x101, 0x300}, {0x20, 0x400}, {0x30, 0x500}, {0x40, 0x600}});
  file.Url(0x200, 133'604'246'450'000'000ull, "http://www.example.com/index.html");
  file.Url(0x300, 0, "http://free.example/").Url(0x400, 133'500'000'000'000'000ull, "Visited: user@http://news.example/", 80, "LEAK");
  file.Redr(0x500, 133'600'000'000'000'000ull, "http://redirect.example/").Url(0x600, 0, "", 0);
  const std::wstring path = folder_ + L"\\Sample\\index.dat";
  ASSERT_TRUE(PlantFile(path, file.bytes()));

  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagTools)), BM_CLICK, 0, 0);
  const HWND button = app.Control(ids::kViewHistory);
  ASSERT_TRUE(button && ::IsWindowEnabled(button));
  ::PostMessageW(button, BM_CLICK, 0, 0);
  HWND viewer = nullptr;
  ASSERT_TRUE(Eventually([&] { return (viewer = FindProcessWindow(app.process(), L"Index.dat file viewer")) != nullptr; }));

  const std::wstring start = EditText(viewer, IDC_IDV_FILE_NAME);
  EXPECT_TRUE(start.ends_with(L"\\Content.IE5\\index.dat")) << start;
  EXPECT_EQ(ControlText(::GetDlgItem(viewer, IDC_IDV_TOTAL)), L"0");
  EXPECT_FALSE(Visible(viewer, IDC_IDV_PROGRESS) || Visible(viewer, IDC_IDV_DELETE));

  ::SendDlgItemMessageW(viewer, IDC_IDV_FILE_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ::SendDlgItemMessageW(viewer, IDC_IDV_SHOW, BM_CLICK, 0, 0);
  EXPECT_EQ(ControlText(::GetDlgItem(viewer, IDC_IDV_TOTAL)), L"3");
  EXPECT_EQ(::SendDlgItemMessageW(viewer, IDC_IDV_LIST, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_TRUE(Visible(viewer, IDC_IDV_PROGRESS));
  EXPECT_FALSE(Visible(viewer, IDC_IDV_DELETE));
  ShotIfAsked(app, viewer, L"index_dat_viewer.bmp");

  ::PostMessageW(::GetDlgItem(viewer, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_TRUE(Eventually([&] { return FindProcessWindow(app.process(), L"Index.dat file viewer") == nullptr; }));
  EXPECT_TRUE(app.Close());
  EXPECT_EQ(ReadBytes(path), file.bytes()) << "listing changes nothing";
}

}  // namespace
}  // namespace norvik::gui
