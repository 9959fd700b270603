#pragma once
// Per-monitor DPI: every size in the layout is written for 96 DPI and scaled by the
// window's own DPI. The newer functions are looked up at run time so the program still
// starts where they are missing (they then act as at 96 DPI or at the system DPI).

#include "platform/win32/windows_api.h"

namespace norvik::ui {

inline constexpr UINT kBaseDpi = 96;

// The window's DPI (GetDpiForWindow), else the screen's, else 96.
UINT WindowDpi(HWND hwnd);

inline int Scale(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), kBaseDpi); }

// The window rectangle (origin at 0,0) whose client area is width x height at `dpi`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, UINT dpi);

// The system's message font at `dpi`.
LOGFONTW MessageFont(UINT dpi);

}  // namespace norvik::ui
