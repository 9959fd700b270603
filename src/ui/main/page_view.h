#pragma once
// What the frame asks of each page's view: create its controls inside the page's group
// box, lay them out, and handle the messages of the controls in its id range (see
// control_ids.h). The frame routes by that range; everything else stays in the page.

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <functional>
#include <utility>

#include "ui/main/control_ids.h"
#include "ui/main/controls.h"
#include "ui/main/dpi.h"

namespace norvik::ui {

// The page's place in the window, and the grid every page shares: a left column, a
// right area and a bottom row of buttons. Sizes are in pixels at the window's DPI.
struct PageGrid {
  UINT dpi;
  int width;   // of the group box
  int height;
  int S(int value) const { return Scale(value, dpi); }
  int Margin() const { return S(8); }
  int Top() const { return S(20); }  // below the group box's caption
  int LeftWidth() const { return S(225); }
  int Gap() const { return S(8); }
  int RightX() const { return Margin() + LeftWidth() + Gap(); }
  int RightWidth() const { return width - RightX() - Margin(); }
  int ButtonWidth() const { return S(75); }
  int ButtonHeight() const { return S(25); }
  int RowY() const { return height - Margin() - ButtonHeight(); }
  int ProgressHeight() const { return S(16); }
  int ProgressY() const { return RowY() - S(6) - ProgressHeight(); }
  int LabelHeight() const { return S(16); }
};

// Where a page view lives.
struct PageHost {
  HINSTANCE instance;
  HWND frame;  // the main window: owner of dialogs, target of timers and posted messages
  HWND page;   // the group box that parents the page's controls
  Controls& controls;
};

class PageView {
 public:
  PageView(int tag, int first_id) : tag_(tag), first_id_(first_id) {}
  PageView(const PageView&) = delete;
  PageView& operator=(const PageView&) = delete;
  virtual ~PageView() = default;

  int tag() const { return tag_; }
  bool Owns(int id) const { return id >= first_id_ && id < first_id_ + ids::kIdsPerPage; }

  virtual void Create(const PageHost& host) = 0;
  // False for a page whose controls are made when it is first shown: every window made
  // before the main window shows delays it. Such a view keeps what it is told until then.
  virtual bool CreatedAtStart() const { return true; }
  // How such a page is made at once, for a view asked to do more than it can keep.
  void SetMaker(std::function<void()> make) { make_ = std::move(make); }
  virtual void Layout(const Controls& controls, const PageGrid& grid) = 0;
  // `font` is the one every control of the window is set to.
  virtual void ApplyDpi(UINT /*dpi*/, HFONT /*font*/) {}
  // Notifications of the page's own controls (and timers of its own ids).
  virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
  virtual void OnTimer(int /*id*/) {}
  virtual bool OnContextMenu(HWND /*control*/, POINT /*screen*/) { return false; }
  // WM_CTLCOLOR* for one of the page's controls: a brush, or nothing for the default.
  virtual HBRUSH OnCtlColor(HDC /*dc*/, HWND /*control*/) { return nullptr; }
  // A message the frame does not know (the program's own): true when handled.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/) { return false; }

 protected:
  // Makes the page's controls now unless they are made (or being made).
  void MakeNow() {
    if (!make_) return;
    const auto make = std::move(make_);
    make_ = nullptr;
    make();
  }

 private:
  int tag_;
  int first_id_;
  std::function<void()> make_;
};

}  // namespace norvik::ui
