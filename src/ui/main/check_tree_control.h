#pragma once
// Shows a check-marked tree model in a SysTreeView32. The model keeps the check marks;
// the control shows them as state images (1 unticked, 2 ticked) and keeps the expanded
// state. Each item's lParam is its node id.

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <functional>
#include <optional>
#include <vector>

#include "app/pages/page.h"
#include "core/check_tree.h"
#include "ui/main/gdi_owners.h"

namespace norvik::ui {

class CheckTreeControl {
 public:
  struct Hit {
    std::optional<core::NodeId> node;
    app::TreeHit where = app::TreeHit::Nowhere;
  };

  using ClickHandler = std::function<void(std::optional<core::NodeId> node, app::TreeHit hit)>;

  // From here on a press on an item goes to `on_click` with what was hit (the space key
  // counts as a press on the selected item's check box), then the control does its usual
  // selecting.
  void Attach(HWND tree, ClickHandler on_click);
  HWND hwnd() const { return hwnd_; }

  // Draws the three state images (blank, unticked, ticked) for `dpi`.
  void SetStateImages(UINT dpi);

  // Re-inserts every node. Nodes that were expanded stay expanded; with `expand_all`,
  // every node that has children is expanded.
  void Rebuild(const core::CheckTree& model, bool expand_all);
  void RefreshChecks(const core::CheckTree& model);

  bool IsExpanded(core::NodeId id) const;
  void Expand(core::NodeId id);
  void ScrollToTop();

  // What lies under a point in the control's client coordinates.
  Hit HitTest(POINT point) const;
  std::optional<core::NodeId> Selected() const;

 private:
  HTREEITEM Item(core::NodeId id) const { return id < items_.size() ? items_[id] : nullptr; }
  static LRESULT TreeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  ClickHandler on_click_;
  std::vector<HTREEITEM> items_;  // by node id
  unique_himagelist state_images_;
};

}  // namespace norvik::ui
