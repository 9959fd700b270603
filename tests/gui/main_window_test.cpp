// norvik.exe as a user meets it: started from a fresh folder, clicked through from
// another process, closed, started again. Screenshots of each page go to
// %NORVIK_SHOT_DIR% when it is set.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "cleaning/clean_item_tree.h"
#include "regscan/section_tree.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;
using namespace app;  // NOLINT: the window's tags and texts


std::wstring Num(long value) { return std::to_wstring(value); }

class MainWindowTest : public ProgramFolderTest {
 protected:
  std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
    return IniValue(folder_ + L"\\options.ini", section, key);
  }

  static std::vector<int> VisiblePages(const App& app) {
    std::vector<int> visible;
    for (int tag : kPageTags) {
      const HWND page = app.Control(ids::Page(tag));
      EXPECT_NE(page, nullptr) << "no page with tag " << tag;
      if (page && ::IsWindowVisible(page)) visible.push_back(tag);
    }
    return visible;
  }

  static RemoteTree Tree(const App& app, int id) {
    const HWND tree = app.Control(id);
    EXPECT_NE(tree, nullptr) << "no tree with id " << id;
    return RemoteTree(tree, app.process());
  }

};

TEST_F(MainWindowTest, EachSideButtonShowsExactlyItsPage) {
  const struct {
    int tag;
    const wchar_t* shot;
  } clicks[] = {
      {kTagRegistry, L"registry.bmp"},
      {kTagTools, L"tools.bmp"},
      {kTagDefrag, L"defrag.bmp"},
      {kTagCleaner, L"cleaner.bmp"},  // last, so that it has to come back
  };
  App app;
  ASSERT_TRUE(app.Start(exe_));
  for (const auto& click : clicks) {
    SCOPED_TRACE(::testing::Message() << "button with tag " << click.tag);
    const HWND button = app.Control(ids::SideButton(click.tag));
    ASSERT_NE(button, nullptr);
    ::SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(VisiblePages(app), std::vector<int>{click.tag});
    ShotIfAsked(app, app.window(), click.shot);
  }
  EXPECT_TRUE(app.Close());
}

// The first start and close of a fresh copy: window, trees as the models hold them, and
// options.ini written through the real profile functions with the window centred.
TEST_F(MainWindowTest, FirstStartShowsTheCatalogueAndCloseWritesTheDefaults) {
  App app;
  ASSERT_TRUE(app.Start(exe_));
  EXPECT_EQ(ControlText(app.window()), Widen(kWindowCaption));
  RECT client{};
  ::GetClientRect(app.window(), &client);
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  if (dpi == 96) {
    EXPECT_EQ(client.right, kClientWidth);
    EXPECT_EQ(client.bottom, kClientHeight);
  }
  EXPECT_EQ(VisiblePages(app), std::vector<int>{kTagCleaner});

  const RemoteTree items = Tree(app, ids::kCleanItems);
  std::vector<std::wstring> groups;
  for (HTREEITEM group : items.Children(nullptr)) {
    groups.push_back(items.Text(group));
    if (!items.Children(group).empty()) {
      EXPECT_TRUE(items.Expanded(group)) << groups.back() << " is collapsed";
    }
  }
  // The groups the model holds, in its order.
  const cleaning::CleanItemTree model;
  std::vector<std::wstring> catalogue;
  for (core::NodeId id : model.tree().TopLevel()) catalogue.push_back(Widen(model.tree().node(id).text));
  EXPECT_EQ(groups, catalogue);
  for (HTREEITEM node : items.All()) EXPECT_EQ(items.StateImage(node), 1) << items.Text(node) << " is ticked";

  // The section tree's shape is the model's (checked natively); here that it is shown
  // whole, expanded at its root and ticked. Its page makes its controls when first shown.
  ::SendMessageW(app.Control(ids::SideButton(kTagRegistry)), BM_CLICK, 0, 0);
  const RemoteTree sections = Tree(app, ids::kSections);
  const auto roots = sections.Children(nullptr);
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_TRUE(sections.Expanded(roots[0]));
  const auto all = sections.All();
  EXPECT_EQ(all.size(), static_cast<size_t>(regscan::kSectionCount));
  for (HTREEITEM node : all) EXPECT_EQ(sections.StateImage(node), 2) << sections.Text(node) << " is not ticked";

  RECT shown{};
  ::GetWindowRect(app.window(), &shown);
  ASSERT_TRUE(app.Close());

  // The written defaults are the settings table's (checked natively); here only what the
  // real window and folder decide.
  EXPECT_EQ(Ini(L"Window", L"State"), L"1");
  EXPECT_EQ(_wcsicmp(Ini(L"Options", L"OutputDirectory").c_str(), (folder_ + L"\\Backup").c_str()), 0)
      << Ini(L"Options", L"OutputDirectory");
  const long width = shown.right - shown.left, height = shown.bottom - shown.top;
  EXPECT_EQ(Ini(L"Window", L"Width"), Num(width));
  EXPECT_EQ(Ini(L"Window", L"Height"), Num(height));
  EXPECT_EQ(Ini(L"Window", L"Left"), Num((::GetSystemMetrics(SM_CXSCREEN) - width) / 2));
  EXPECT_EQ(Ini(L"Window", L"Top"), Num((::GetSystemMetrics(SM_CYSCREEN) - height) / 2));
}

TEST_F(MainWindowTest, SecondStartRestoresTicksExpansionAndPlace) {
  const RECT moved{40, 30, 40 + 760, 30 + 520};
  {
    App app;
    ASSERT_TRUE(app.Start(exe_));
    const RemoteTree items = Tree(app, ids::kCleanItems);
    const auto groups = items.Children(nullptr);
    ASSERT_GE(groups.size(), 2u);
    const auto windows_items = items.Children(groups[1]);
    ASSERT_GE(windows_items.size(), 2u);
    ASSERT_EQ(items.Text(windows_items[1]), L"Start Run");

    ASSERT_TRUE(items.ClickStateIcon(windows_items[1]));
    EXPECT_TRUE(Eventually([&] { return items.StateImage(windows_items[1]) == 2; })) << "the click ticked nothing";
    EXPECT_EQ(items.StateImage(groups[1]), 2) << "the group does not follow its item";
    EXPECT_EQ(items.StateImage(windows_items[0]), 1) << "the click ticked a neighbour";

    items.Collapse(groups[0]);
    EXPECT_FALSE(items.Expanded(groups[0]));
    ::SetWindowPos(app.window(), nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(app.Close());
  }
  // How options.ini holds ticks and expansion is checked natively; here the real trees and
  // placement come back.
  App app;
  ASSERT_TRUE(app.Start(exe_));
  const RemoteTree items = Tree(app, ids::kCleanItems);
  const auto groups = items.Children(nullptr);
  ASSERT_GE(groups.size(), 2u);
  const auto windows_items = items.Children(groups[1]);
  ASSERT_GE(windows_items.size(), 2u);
  EXPECT_EQ(items.StateImage(groups[1]), 2);
  EXPECT_EQ(items.StateImage(windows_items[1]), 2);
  EXPECT_EQ(items.StateImage(windows_items[0]), 1);
  for (size_t g = 0; g < groups.size(); ++g) {
    if (items.Children(groups[g]).empty()) continue;
    EXPECT_EQ(items.Expanded(groups[g]), g != 0) << items.Text(groups[g]);
  }
  RECT shown{};
  EXPECT_TRUE(Eventually([&] { return ::GetWindowRect(app.window(), &shown) && ::EqualRect(&shown, &moved); }))
      << "window at " << shown.left << "," << shown.top << " " << shown.right - shown.left << "x"
      << shown.bottom - shown.top << ", moved to " << moved.left << "," << moved.top << " 760x520";
  EXPECT_TRUE(app.Close());
}

// Settings are on disk before a log-off is answered, and a window saved maximised shows
// maximised at the next start and stays so once the first ShowWindow is done.
TEST_F(MainWindowTest, AMaximisedWindowSurvivesALogOffAndComesBackMaximised) {
  {
    App app;
    ASSERT_TRUE(app.Start(exe_));
    ::ShowWindow(app.window(), SW_MAXIMIZE);
    ASSERT_TRUE(Eventually([&] { return ::IsZoomed(app.window()) != 0; })) << "the window would not maximise";
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(Ini(L"Window", L"State"), L"3") << "not saved before the answer";
    EXPECT_TRUE(app.Close());
  }
  App app;
  ASSERT_TRUE(app.Start(exe_));
  EXPECT_TRUE(Eventually([&] { return ::IsZoomed(app.window()) != 0; })) << "the window came back restored";
  ::Sleep(500);
  EXPECT_TRUE(::IsZoomed(app.window())) << "maximised, then restored again";
  EXPECT_TRUE(app.Close());
}

TEST_F(MainWindowTest, ShowMainMessageRestoresAMinimisedWindow) {
  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::ShowWindow(app.window(), SW_MINIMIZE);
  ASSERT_TRUE(Eventually([&] { return ::IsIconic(app.window()) != 0; })) << "the window would not minimise";
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(app.window(), kWmShowMain, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  EXPECT_TRUE(Eventually([&] { return !::IsIconic(app.window()) && ::IsWindowVisible(app.window()); }))
      << "still minimised or hidden";
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
