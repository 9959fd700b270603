#include "core/check_tree.h"

#include <algorithm>

namespace norvik::core {

NodeId CheckTree::Add(std::optional<NodeId> parent, std::string text, int image_index) {
  const NodeId id = nodes_.size();
  CheckNode node;
  node.text = std::move(text);
  node.image_index = image_index;
  node.parent = parent;
  if (parent) {
    nodes_.at(*parent).children.push_back(id);
  } else {
    top_.push_back(id);
  }
  nodes_.push_back(std::move(node));
  return id;
}

int CheckTree::Level(NodeId id) const {
  int level = 0;
  for (auto p = node(id).parent; p; p = node(*p).parent) ++level;
  return level;
}

std::vector<NodeId> CheckTree::WalkOrder() const {
  std::vector<NodeId> order;
  order.reserve(nodes_.size());
  // Depth first, children in order: an explicit stack keeps deep trees off the call stack.
  std::vector<NodeId> stack(top_.rbegin(), top_.rend());
  while (!stack.empty()) {
    const NodeId id = stack.back();
    stack.pop_back();
    order.push_back(id);
    const auto& children = nodes_[id].children;
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  return order;
}

void CheckTree::SetSubtreeState(NodeId id, int state) {
  std::vector<NodeId> stack(node(id).children);
  while (!stack.empty()) {
    const NodeId child = stack.back();
    stack.pop_back();
    nodes_[child].state = state;
    stack.insert(stack.end(), nodes_[child].children.begin(), nodes_[child].children.end());
  }
}

bool CheckTree::AnyChildTicked(NodeId id) const {
  const auto& children = node(id).children;
  return std::any_of(children.begin(), children.end(),
                     [this](NodeId c) { return nodes_[c].state == kTicked; });
}

}  // namespace norvik::core
