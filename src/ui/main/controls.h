#pragma once
// The main window's child controls by id: created here, placed here, and rescaled
// together when the DPI changes. The frame and every page view add theirs to one set.

#include "platform/win32/windows_api.h"

#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

namespace norvik::ui {

// A pop-up menu at the cursor, owned by `owner`; its command arrives as WM_COMMAND.
void PopupMenuAtCursor(HWND owner, HMENU menu);

class Controls {
 public:
  explicit Controls(HINSTANCE instance) : instance_(instance) {}

  HWND Add(HWND parent, int id, const wchar_t* window_class, std::wstring_view text, DWORD style,
           DWORD ex_style = 0);
  HWND AddButton(HWND parent, int id, std::wstring_view text, DWORD style = BS_PUSHBUTTON);
  HWND AddLabel(HWND parent, int id, std::wstring_view text, DWORD style = SS_LEFT);
  HWND AddReportList(HWND parent, int id, DWORD ex_list_style, DWORD list_style = 0);
  struct Column {
    const wchar_t* title;
    int width;  // at 96 DPI
    bool right_aligned = false;
  };
  void AddColumns(int list_id, std::initializer_list<Column> columns, UINT dpi);
  // Tips shown when the mouse rests on controls of `parent`. Their window is a top-level
  // one, dear to make, so a page adds them only when it is made, never at start-up.
  struct Hint {
    int id;
    const wchar_t* text;
  };
  void AddHints(HWND parent, std::initializer_list<Hint> hints);

  HWND Get(int id) const;
  const std::map<int, HWND>& all() const { return controls_; }
  void Place(int id, int x, int y, int width, int height) const;
  // The list columns' widths for `dpi`; nothing when they are already at that DPI (each
  // width set makes the list move its header again).
  void ScaleColumns(UINT dpi);

 private:
  HINSTANCE instance_;
  std::map<int, HWND> controls_;
  struct ColumnWidth {
    int list_id;
    int width;  // at 96 DPI
    UINT dpi;   // the one it is shown at
  };
  std::vector<ColumnWidth> columns_;
};

}  // namespace norvik::ui
