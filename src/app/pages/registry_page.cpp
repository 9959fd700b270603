#include "app/pages/registry_page.h"

namespace norvik::app {

RegistryPage::RegistryPage(core::Settings& settings, RegistryPageView& view)
    : settings_(settings), view_(view), walk_(sections_.tree().WalkOrder()) {}

void RegistryPage::Create(std::uint8_t) {
  view_.RebuildTree(sections_.tree());
  view_.SetStatusText("");
  // The tree never collapses, so every branch of it is open from the start.
  for (core::NodeId id : walk_) {
    if (!sections_.tree().node(id).children.empty()) view_.ExpandNode(id);
  }
}

void RegistryPage::Show() {
  // A node whose image index has no slot keeps its tick.
  for (core::NodeId id : walk_) {
    if (const bool* checked = core::Slot(settings_.TreeViewNodeCheck, sections_.Code(id))) {
      sections_.SetChecked(id, *checked);
    }
  }
  view_.RefreshTreeChecks(sections_.tree());
}

void RegistryPage::StoreSettings(core::Settings& settings) {
  for (core::NodeId id : walk_) {
    if (bool* checked = core::Slot(settings.TreeViewNodeCheck, sections_.Code(id))) {
      *checked = sections_.tree().node(id).state == core::kTicked;
    }
  }
}

void RegistryPage::TreeMouseDown(std::optional<core::NodeId> node, TreeHit hit) {
  if (!node || *node >= sections_.tree().size() || hit != TreeHit::StateIcon) return;
  sections_.ToggleByUser(*node);
  view_.RefreshTreeChecks(sections_.tree());
}

}  // namespace norvik::app
