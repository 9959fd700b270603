#include <gtest/gtest.h>

#include <string>

#include "regscan/section_tree.h"

namespace norvik::regscan {
namespace {

NodeId ByCode(const SectionTree& t, int code) {
  for (NodeId id = 0; id < t.tree().size(); ++id) if (t.Code(id) == code) return id;
  ADD_FAILURE() << "no section " << code;
  return 0;
}

std::string Ticked(const SectionTree& t) {
  std::string out;
  for (NodeId id : t.tree().WalkOrder()) out += t.tree().node(id).state == core::kTicked ? 'x' : '.';
  return out;
}

// Walk order: the root, "Files and Folders", its four hives (codes 3 to 6), then 7 to 25.
TEST(SectionTreeTest, ClicksPassStateDownAndRecomputeParents) {
  SectionTree t;
  EXPECT_EQ(Ticked(t), std::string(25, 'x')) << "every section starts ticked";
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
