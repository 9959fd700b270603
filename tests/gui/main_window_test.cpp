// norvik.exe as a user meets it: started from a fresh folder, clicked through its pages,
// changed and closed, started again, maximised through a log-off and started a third
// time. How options.ini holds ticks, expansion and the defaults is proven natively; here
// the real window, trees, profile functions and folder. Screenshots of each page go to
// %NORVIK_SHOT_DIR% when it is set.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "cleaning/clean_item_tree.h"
#include "regscan/section_tree.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;
using namespace app;  // NOLINT: the window's tags and texts

std::vector<int> VisiblePages(const App& app) {
  std::vector<int> visible;
  for (int tag : kPageTags) {
    const HWND page = app.Control(ids::Page(tag));
    if (page && ::IsWindowVisible(page)) visible.push_back(tag);
  }
  return visible;
}

TEST_F(ProgramFolderTest, MainWindowStartsFreshAndComesBackAsItWasLeft) {
  const auto ini = [&](const wchar_t* section, const wchar_t* key) {
    return IniValue(folder_ + L"\\options.ini", section, key);
  };
  const RECT moved{40, 30, 40 + 760, 30 + 520};
  {
    App app;
    ASSERT_TRUE(app.Start(exe_));
    EXPECT_EQ(ControlText(app.window()), Widen(kWindowCaption));
    RECT shown{}, client{};
    ::GetWindowRect(app.window(), &shown);
    ::GetClientRect(app.window(), &client);
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    EXPECT_TRUE(dpi != 96 || (client.right == kClientWidth && client.bottom == kClientHeight)) << "client size";
    EXPECT_EQ(shown.left, (::GetSystemMetrics(SM_CXSCREEN) - (shown.right - shown.left)) / 2) << "not centred";
    EXPECT_EQ(shown.top, (::GetSystemMetrics(SM_CYSCREEN) - (shown.bottom - shown.top)) / 2) << "not centred";

    // The catalogue as the model holds it, expanded and unticked.
    const RemoteTree items(app.Control(ids::kCleanItems), app.process());
    const auto groups = items.Children(nullptr);
    const cleaning::CleanItemTree model;
    std::vector<std::wstring> shown_groups, catalogue;
    for (HTREEITEM group : groups) {
      shown_groups.push_back(items.Text(group));
      EXPECT_TRUE(items.Children(group).empty() || items.Expanded(group)) << shown_groups.back() << " is collapsed";
    }
    for (core::NodeId id : model.tree().TopLevel()) catalogue.push_back(Widen(model.tree().node(id).text));
    EXPECT_EQ(shown_groups, catalogue);
    for (HTREEITEM node : items.All()) EXPECT_EQ(items.StateImage(node), 1) << items.Text(node) << " is ticked";

    // The cleaner last: its page has to come back.
    const std::pair<int, const wchar_t*> clicks[] = {
        {kTagRegistry, L"registry.bmp"}, {kTagTools, L"tools.bmp"}, {kTagDefrag, L"defrag.bmp"}, {kTagCleaner, L"cleaner.bmp"}};
    for (const auto& [tag, shot] : clicks) {
      ::SendMessageW(app.Control(ids::SideButton(tag)), BM_CLICK, 0, 0);
      EXPECT_EQ(VisiblePages(app), std::vector<int>{tag}) << "button with tag " << tag;
      ShotIfAsked(app, app.window(), shot);
    }
    // The section tree, made when its page was first shown: whole, expanded and ticked.
    const RemoteTree sections(app.Control(ids::kSections), app.process());
    const auto roots = sections.Children(nullptr);
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_TRUE(sections.Expanded(roots[0]));
    EXPECT_EQ(sections.All().size(), static_cast<size_t>(regscan::kSectionCount));
    for (HTREEITEM node : sections.All()) EXPECT_EQ(sections.StateImage(node), 2) << sections.Text(node);

    // "Start Run" ticked by a click on its box, the first group collapsed, the window moved.
    ASSERT_GE(groups.size(), 2u);
    const auto windows_items = items.Children(groups[1]);
    ASSERT_GE(windows_items.size(), 2u);
    ASSERT_EQ(items.Text(windows_items[1]), L"Start Run");
    ASSERT_TRUE(items.ClickStateIcon(windows_items[1]));
    EXPECT_TRUE(Eventually([&] { return items.StateImage(windows_items[1]) == 2; })) << "the click ticked nothing";
    EXPECT_EQ(items.StateImage(groups[1]), 2) << "the group does not follow its item";
    EXPECT_EQ(items.StateImage(windows_items[0]), 1) << "the click ticked a neighbour";
    items.Collapse(groups[0]);
    ::SetWindowPos(app.window(), nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(app.Close());
  }
  EXPECT_EQ(ini(L"Window", L"State"), L"1");
  EXPECT_EQ(_wcsicmp(ini(L"Options", L"OutputDirectory").c_str(), (folder_ + L"\\Backup").c_str()), 0)
      << ini(L"Options", L"OutputDirectory");
  {
    App app;
    ASSERT_TRUE(app.Start(exe_));
    const RemoteTree items(app.Control(ids::kCleanItems), app.process());
    const auto groups = items.Children(nullptr);
    ASSERT_GE(groups.size(), 2u);
    const auto windows_items = items.Children(groups[1]);
    ASSERT_GE(windows_items.size(), 2u);
    EXPECT_EQ(items.StateImage(groups[1]), 2);
    EXPECT_EQ(items.StateImage(windows_items[1]), 2);
    EXPECT_EQ(items.StateImage(windows_items[0]), 1);
    for (size_t g = 0; g < groups.size(); ++g) {
      EXPECT_TRUE(items.Children(groups[g]).empty() || items.Expanded(groups[g]) == (g != 0)) << items.Text(groups[g]);
    }
    RECT shown{};
    EXPECT_TRUE(Eventually([&] { return ::GetWindowRect(app.window(), &shown) && ::EqualRect(&shown, &moved); }))
        << "window at " << shown.left << "," << shown.top << " " << shown.right - shown.left << "x"
        << shown.bottom - shown.top << ", moved to 40,30 760x520";

    // Settings are on disk before a log-off is answered.
    ::ShowWindow(app.window(), SW_MAXIMIZE);
    ASSERT_TRUE(Eventually([&] { return ::IsZoomed(app.window()) != 0; })) << "the window would not maximise";
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(ini(L"Window", L"State"), L"3") << "not saved before the answer";
    EXPECT_TRUE(app.Close());
  }
  // Saved maximised, it shows maximised and stays so once the first ShowWindow is done.
  App app;
  ASSERT_TRUE(app.Start(exe_));
  EXPECT_TRUE(Eventually([&] { return ::IsZoomed(app.window()) != 0; })) << "the window came back restored";
  ::Sleep(500);
  EXPECT_TRUE(::IsZoomed(app.window())) << "maximised, then restored again";
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
