#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include <windowsx.h>

#include "ui/main/check_tree_control.h"

#include <string>
#include <utility>

#include "platform/win32/wide_text.h"
#include "ui/dialogs/dialog_base.h"
#include "ui/main/dpi.h"
#include "ui/main/subclass.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

// Drawn on this colour, which the image list then treats as transparent.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// Image i of the strip: 0 blank, 1 an empty check box, 2 a ticked one.
unique_gdi DrawStateStrip(int size, int box) {
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  unique_gdi strip(::CreateCompatibleBitmap(screen, size * 3, size));
  ::ReleaseDC(nullptr, screen);
  if (dc == nullptr || !strip) {
    if (dc != nullptr) ::DeleteDC(dc);
    return unique_gdi();
  }
  HGDIOBJ old = ::SelectObject(dc, strip.get());
  unique_gdi mask_brush(::CreateSolidBrush(kMaskColour));
  const RECT all{0, 0, size * 3, size};
  ::FillRect(dc, &all, static_cast<HBRUSH>(mask_brush.get()));
  const int inset = (size - box) / 2;
  for (int image = 1; image <= 2; ++image) {
    RECT frame{image * size + inset, inset, image * size + inset + box, inset + box};
    ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONCHECK | (image == 2 ? DFCS_CHECKED : 0));
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return strip;
}

}  // namespace

void CheckTreeControl::SetStateImages(UINT dpi) {
  const int size = Scale(16, dpi);
  unique_himagelist images(::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0));
  unique_gdi strip = DrawStateStrip(size, Scale(13, dpi));
  if (!images || !strip) return;
  ::ImageList_AddMasked(images.get(), static_cast<HBITMAP>(strip.get()), kMaskColour);
  // The control does not own a state image list it was handed; ours must outlive its use.
  ::SendMessageW(hwnd_, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images.get()));
  state_images_ = std::move(images);
}

void CheckTreeControl::Rebuild(const core::CheckTree& model, bool expand_all) {
  std::vector<bool> was_expanded(model.size(), false);
  for (core::NodeId id = 0; id < items_.size() && id < model.size(); ++id) {
    was_expanded[id] = IsExpanded(id);
  }

  ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  items_.assign(model.size(), nullptr);
  // Walk order puts every parent before its children.
  for (const core::NodeId id : model.WalkOrder()) {
    const core::CheckNode& node = model.node(id);
    std::wstring text = Wide(node.text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = node.parent ? Item(*node.parent) : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = text.data();
    insert.item.lParam = static_cast<LPARAM>(id);
    insert.item.state = INDEXTOSTATEIMAGEMASK(node.state);
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    items_[id] = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  for (core::NodeId id = 0; id < model.size(); ++id) {
    if (was_expanded[id] || (expand_all && !model.node(id).children.empty())) Expand(id);
  }
  ScrollToTop();
  ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CheckTreeControl::RefreshChecks(const core::CheckTree& model) {
  bool changed = false;
  for (core::NodeId id = 0; id < model.size(); ++id) {
    HTREEITEM item = Item(id);
    if (item == nullptr) continue;
    const auto shown = ::SendMessageW(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    if (static_cast<UINT>(shown) == static_cast<UINT>(INDEXTOSTATEIMAGEMASK(model.node(id).state))) continue;
    changed = true;
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.state = INDEXTOSTATEIMAGEMASK(model.node(id).state);
    tv.stateMask = TVIS_STATEIMAGEMASK;
    ::SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
  // Not every control repaints an item whose state image alone changed.
  if (changed) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

bool CheckTreeControl::IsExpanded(core::NodeId id) const {
  HTREEITEM item = Item(id);
  if (item == nullptr) return false;
  const auto state = ::SendMessageW(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

void CheckTreeControl::Expand(core::NodeId id) {
  HTREEITEM item = Item(id);
  if (item == nullptr) return;
  const bool has_children = ::SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) != 0;
  if (!has_children) {
    // The control will not expand an empty node, yet the wish must survive until the
    // node has children (an empty Applications group would otherwise be saved collapsed).
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.state = TVIS_EXPANDED;
    tv.stateMask = TVIS_EXPANDED;
    ::SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return;
  }
  // Expanding scrolls the new children into view; the user's view stays where it was.
  const LPARAM first_visible = ::SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0);
  ::SendMessageW(hwnd_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  if (first_visible != 0) ::SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, first_visible);
}

void CheckTreeControl::ScrollToTop() {
  HTREEITEM first = reinterpret_cast<HTREEITEM>(::SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  if (first != nullptr) ::SendMessageW(hwnd_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(first));
}

CheckTreeControl::Hit CheckTreeControl::HitTest(POINT point) const {
  TVHITTESTINFO info{};
  info.pt = point;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  if (item == nullptr) return Hit{};
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!::SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return Hit{};
  Hit hit;
  hit.node = static_cast<core::NodeId>(tv.lParam);
  if (info.flags & TVHT_ONITEMSTATEICON) {
    hit.where = app::TreeHit::StateIcon;
  } else if (info.flags & TVHT_ONITEMLABEL) {
    hit.where = app::TreeHit::Label;
  } else {
    hit.where = app::TreeHit::Other;
  }
  return hit;
}

std::optional<core::NodeId> CheckTreeControl::Selected() const {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(hwnd_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return std::nullopt;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!::SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return std::nullopt;
  return static_cast<core::NodeId>(tv.lParam);
}

void CheckTreeControl::Attach(HWND tree, ClickHandler on_click) {
  hwnd_ = tree;
  on_click_ = std::move(on_click);
  Subclass(tree, TreeProc, this);
}

LRESULT CheckTreeControl::TreeProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self_ptr) {
  auto* self = static_cast<CheckTreeControl*>(self_ptr);
  return ShowingErrors<LRESULT>(::GetAncestor(hwnd, GA_ROOT), 0,
                                [&] { return self->HandleMessage(message, wparam, lparam); });
}

LRESULT CheckTreeControl::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // What was hit is taken before the control acts (a click on a button moves the
      // items below it). The control's own handling comes first: it tracks the mouse
      // until the button is released, which must not happen behind a dialog the
      // controller opens. A quick second click on a check box is a second toggle, not a
      // double click.
      const Hit hit = HitTest(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      LRESULT result = 0;
      if (message == WM_LBUTTONDOWN || hit.where != app::TreeHit::StateIcon) {
        result = CallOriginalProc(hwnd_, message, wparam, lparam);
      }
      if (on_click_) on_click_(hit.node, hit.where);
      return result;
    }
    case WM_KEYDOWN:
      if (wparam == VK_SPACE) {
        if (const auto node = Selected(); node && on_click_) on_click_(node, app::TreeHit::StateIcon);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wparam == L' ') return 0;  // handled as a key press; no incremental search
      break;
    default:
      break;
  }
  return CallOriginalProc(hwnd_, message, wparam, lparam);
}

}  // namespace norvik::ui
