#pragma once
// A tree of check-marked nodes without any window behind it. The clean-item tree and the
// registry section tree keep their nodes here; the Win32 tree controls only show them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace norvik::core {

using NodeId = std::size_t;

// Check states as the trees' state images number them.
inline constexpr int kUnticked = 1;
inline constexpr int kTicked = 2;

struct CheckNode {
  std::string text;
  int image_index = 0;
  int state = kUnticked;
  std::optional<NodeId> parent;
  std::vector<NodeId> children;
};

class CheckTree {
 public:
  // Appends a node as the last child of `parent` (or as the last top-level node). Ids are
  // stable: nodes are never removed.
  NodeId Add(std::optional<NodeId> parent, std::string text, int image_index);

  std::size_t size() const { return nodes_.size(); }
  const CheckNode& node(NodeId id) const { return nodes_.at(id); }
  const std::vector<NodeId>& TopLevel() const { return top_; }
  // 0 for a top-level node, 1 for its children, and so on.
  int Level(NodeId id) const;

  // Each node, then its children, then the next sibling.
  std::vector<NodeId> WalkOrder() const;

  void SetState(NodeId id, int state) { nodes_.at(id).state = state; }
  // Every node of the subtree below `id` (not `id` itself) takes `state`.
  void SetSubtreeState(NodeId id, int state);
  bool AnyChildTicked(NodeId id) const;

 private:
  std::vector<CheckNode> nodes_;
  std::vector<NodeId> top_;
};

}  // namespace norvik::core
