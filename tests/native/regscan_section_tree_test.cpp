#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "regscan/section_tree.h"

namespace norvik::regscan {
namespace {

NodeId ByCode(const SectionTree& t, int code) {
  for (NodeId id = 0; id < t.tree().size(); ++id) {
    if (t.Code(id) == code) return id;
  }
  ADD_FAILURE() << "no section " << code;
  return 0;
}

std::string Ticked(const SectionTree& t) {
  std::string out;
  for (NodeId id : t.tree().WalkOrder()) out += t.tree().node(id).state == core::kTicked ? 'x' : '.';
  return out;
}

TEST(SectionTreeTest, TwentyFiveSectionsUnderOneRoot) {
  SectionTree t;
  const auto walk = t.tree().WalkOrder();
  ASSERT_EQ(walk.size(), 25u);
  std::set<int> codes;
  for (NodeId id : walk) codes.insert(t.Code(id));
  EXPECT_EQ(codes.size(), 25u);
  EXPECT_EQ(*codes.begin(), 1);
  EXPECT_EQ(*codes.rbegin(), 25);

  ASSERT_EQ(t.tree().TopLevel().size(), 1u);
  const auto& root = t.tree().node(t.Root());
  EXPECT_EQ(root.text, "My Computers");
  ASSERT_EQ(root.children.size(), 20u);
  const auto& files = t.tree().node(root.children.front());
  EXPECT_EQ(files.text, "Files and Folders");
  std::vector<int> hive_codes;
  for (NodeId id : files.children) hive_codes.push_back(t.Code(id));
  EXPECT_EQ(hive_codes, (std::vector<int>{3, 4, 5, 6}));
  EXPECT_EQ(t.tree().node(root.children.back()).text, "Empty Keys");
  // Walk order: root, Files and Folders, its hives, then sections 7..25.
  EXPECT_EQ(t.Code(walk[6]), 7);
  EXPECT_EQ(Ticked(t), std::string(25, 'x'));
}

TEST(SectionTreeTest, ClicksPassStateDownAndRecomputeParents) {
  SectionTree t;
  t.ToggleByUser(ByCode(t, 4));
  EXPECT_EQ(Ticked(t), "xxx.xx" + std::string(19, 'x')) << "one hive off, parents stay ticked";
  for (int hive : {3, 5, 6}) t.ToggleByUser(ByCode(t, hive));
  EXPECT_EQ(Ticked(t), "x....." + std::string(19, 'x')) << "last hive off unticks its group";

  t.ToggleByUser(ByCode(t, 2));
  EXPECT_EQ(Ticked(t), std::string(25, 'x')) << "a group passes its tick to its hives";

  t.ToggleByUser(t.Root());
  EXPECT_EQ(Ticked(t), std::string(25, '.')) << "the root passes its state to every node";
  t.ToggleByUser(ByCode(t, 25));
  EXPECT_EQ(Ticked(t), "x" + std::string(23, '.') + "x") << "any ticked child ticks the root";
  t.ToggleByUser(ByCode(t, 25));
  EXPECT_EQ(Ticked(t), std::string(25, '.'));
}

}  // namespace
}  // namespace norvik::regscan
