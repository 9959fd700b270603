#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning/clean_item_tree.h"
#include "platform/sim/sim_machine.h"

namespace norvik::cleaning {
namespace {

using Names = std::vector<std::string>;

// The node with this name (group text, or group + " - " + item).
NodeId Find(const CleanItemTree& t, const std::string& name) {
  for (NodeId id = 0; id < t.tree().size(); ++id) {
    if (t.Name(id) == name) return id;
  }
  ADD_FAILURE() << "no node " << name;
  return 0;
}

Names Selected(const CleanItemTree& t) {
  Names out;
  t.CollectSelectedItems(out);
  return out;
}

Names Children(const CleanItemTree& t, const std::string& group) {
  Names out;
  for (NodeId id : t.tree().node(Find(t, group)).children) out.push_back(t.tree().node(id).text);
  return out;
}

TEST(CleanItemTreeTest, MouseTicksFollowGroupAndItemRules) {
  CleanItemTree t;
  t.ToggleByUser(Find(t, "Opera"));
  EXPECT_EQ(Selected(t).size(), 6u) << "ticking a group ticks all its items";
  EXPECT_TRUE(t.IsGroupChecked("Opera"));

  for (const char* name : {"Opera", "Windows - Clipboard", "Windows - Start Run", "Internet Explorer - Cookies"}) {
    t.ToggleByUser(Find(t, name));
  }
  EXPECT_EQ(Selected(t), (Names{"Internet Explorer - Cookies", "Windows - Start Run", "Windows - Clipboard"}))
      << "items in tree order, groups never";
  EXPECT_EQ(t.CheckedNames(), (Names{"Internet Explorer", "Internet Explorer - Cookies", "Windows",
                                     "Windows - Start Run", "Windows - Clipboard"}));

  t.ToggleByUser(Find(t, "Windows - Clipboard"));
  EXPECT_TRUE(t.IsGroupChecked("Windows")) << "one item still ticked";
  t.ToggleByUser(Find(t, "Windows - Start Run"));
  EXPECT_FALSE(t.IsGroupChecked("Windows")) << "last item unticked unticks the group";

  // A group without items only ticks itself; a run then has nothing to do.
  CleanItemTree empty;
  empty.ToggleByUser(Find(empty, "Applications"));
  EXPECT_TRUE(empty.IsGroupChecked("Applications"));
  EXPECT_TRUE(Selected(empty).empty());
  EXPECT_FALSE(empty.IsGroupChecked("applications")) << "exact text only";
}

TEST(CleanItemTreeTest, CheckItemByNameMatchesExactly) {
  CleanItemTree t;
  for (const char* name : {"Mozilla Firefox - Download Manager", "Google Chrome", "windows - start run",
                           "Windows -  Clipboard", "No Such Group", ""}) {
    t.CheckItemByName(name);
  }
  EXPECT_EQ(t.CheckedNames(), (Names{"Mozilla Firefox - Download Manager", "Google Chrome"}))
      << "a stored group name ticks only the group; other spellings match nothing";
}

TEST(CleanItemTreeTest, ApplicationsBranchMatchesSectionsAndDisplayNames) {
  struct Case { const char* what; Names sections, display_names, expected; };
  const Case cases[] = {
      {"section inside a display name", {"ICQ", "Skype"}, {"ICQ 6"}, {"ICQ"}},
      {"display name inside a section", {"Windows Log Files", "WinZip", "Windows Media Player"},
       {"Windows"}, {"Windows Log Files", "Windows Media Player"}},
      {"letter case ignored, file spelling kept", {"winzip"}, {"WinZip 11.2"}, {"winzip"}},
      {"two programs, one section, added once", {"Adobe Reader"}, {"Adobe Reader 9", "Adobe Reader X"},
       {"Adobe Reader"}},
      {"order of first match", {"A1", "B2"}, {"xx B2 xx", "A1"}, {"B2", "A1"}},
      {"empty names never match", {"", "Zip"}, {"", "7-Zip"}, {"Zip"}},
      {"no programs", {"ICQ"}, {}, {}},
  };
  for (const auto& c : cases) {
    CleanItemTree t;
    t.BuildApplicationsBranch(c.sections, c.display_names);
    EXPECT_EQ(Children(t, "Applications"), c.expected) << c.what;
    EXPECT_EQ(Children(t, "Instant Messengers").size(), 5u) << c.what;
  }
  CleanItemTree twice;
  twice.BuildApplicationsBranch({"ICQ"}, {"ICQ 6"});
  twice.BuildApplicationsBranch({"icq", "Opera"}, {"ICQ", "Opera 9"});
  EXPECT_EQ(Children(twice, "Applications"), (Names{"ICQ", "Opera"}));
  EXPECT_EQ(twice.Name(Find(twice, "Applications - Opera")), "Applications - Opera");
}

TEST(CleanItemTreeTest, ApplicationSourcesComeFromQoltAndBothUninstallViews) {
  platform::sim::SimMachine m;
  auto p = m.platform();
  EXPECT_TRUE(ReadApplicationSources(p, "C:\\Norvik\\qolt.dat").sections.empty()) << "no qolt.dat";

  m.WriteFile("C:\\Norvik\\qolt.dat", "[ICQ]\r\nDelFile1=x\r\n[WinZip]\r\nDelFile1=y\r\n");
  auto hklm = p.registry.Root(platform::RegRoot::LocalMachine);
  auto put = [&](const std::string& key, const platform::RegValue& v) {
    auto k = hklm.Create(key);
    ASSERT_TRUE(k.ok());
    ASSERT_TRUE(k->Set("DisplayName", v));
  };
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  put(uninstall + "B", platform::RegValue::String("WinZip 11"));
  put(uninstall + "A", platform::RegValue::String(""));
  put(uninstall + "C", platform::RegValue::Dword(7));
  ASSERT_TRUE(hklm.Create(uninstall + "D").ok());
  put("SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X", platform::RegValue::String("ICQ 6"));

  const auto sources = ReadApplicationSources(p, "C:\\Norvik\\qolt.dat");
  EXPECT_EQ(sources.sections, (Names{"ICQ", "WinZip"}));
  EXPECT_EQ(sources.display_names, (Names{"WinZip 11", "ICQ 6"}));
}

}  // namespace
}  // namespace norvik::cleaning
