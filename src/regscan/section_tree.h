#pragma once
// The registry scan sections as the Registry page's tree shows them. Each node's image
// index is its section code (1..25); codes 1 and 2 are groups without a scanner.

#include <vector>

#include "core/check_tree.h"

namespace norvik::regscan {

using core::NodeId;

inline constexpr int kRootSectionCode = 1;       // "My Computers"
inline constexpr int kFilesAndFoldersCode = 2;   // parent of the four hive sections
inline constexpr int kSectionCount = 25;

class SectionTree {
 public:
  // All 25 nodes, every one ticked.
  SectionTree();

  const core::CheckTree& tree() const { return tree_; }
  int Code(NodeId id) const { return tree_.node(id).image_index; }
  NodeId Root() const { return tree_.TopLevel().front(); }

  // A click on a node's state image: the root passes its state to every node; a level-1
  // node to its children; afterwards each parent above is ticked when any child is.
  void ToggleByUser(NodeId id);
  void SetChecked(NodeId id, bool checked);
  // Codes of the ticked nodes in walk order, groups included (the scan passes over them).
  std::vector<int> TickedCodes() const;

 private:
  void RecomputeParent(NodeId id);
  core::CheckTree tree_;
};

}  // namespace norvik::regscan
