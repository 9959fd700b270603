#pragma once
// The band across the top of the main window: a gradient with the program's icon, its
// name, a line under it and the update link on the right. Drawn by the frame itself:
// a window per part would cost the start-up five more windows, each painted twice.

#include "platform/win32/windows_api.h"

namespace norvik::ui {

class TitleStrip {
 public:
  enum class Hit { kNone, kHome, kUpdate };

  // Places the parts for a client area `width` wide at `dpi`; the fonts measure the name
  // and the link.
  void Layout(HWND frame, int width, UINT dpi, HFONT title_font, HFONT link_font);
  int Height(UINT dpi) const;
  // Paints the band where it meets `dirty` (client coordinates).
  void Paint(HDC dc, const RECT& dirty, HICON icon, HFONT title_font, HFONT hint_font, HFONT link_font) const;
  // The icon and the name open the home page; the link, the update page.
  Hit HitTest(POINT client) const;

 private:
  int width_ = 0;
  int height_ = 0;
  RECT icon_{};
  RECT title_{};
  RECT name_{};  // the name's own text, inside title_
  RECT hint_{};
  RECT link_{};
};

}  // namespace norvik::ui
