#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/main/dpi.h"

namespace norvik::ui {

void PopupMenuAtCursor(HWND owner, HMENU menu) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // Without the owner in front the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
}

HWND Controls::Add(HWND parent, int id, const wchar_t* window_class, std::wstring_view text, DWORD style,
                   DWORD ex_style) {
  const std::wstring caption(text);
  HWND control = ::CreateWindowExW(ex_style, window_class, caption.c_str(), WS_CHILD | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  controls_[id] = control;
  return control;
}

HWND Controls::AddButton(HWND parent, int id, std::wstring_view text, DWORD style) {
  return Add(parent, id, WC_BUTTONW, text, WS_VISIBLE | WS_TABSTOP | style);
}

HWND Controls::AddLabel(HWND parent, int id, std::wstring_view text, DWORD style) {
  return Add(parent, id, WC_STATICW, text, WS_VISIBLE | style);
}

HWND Controls::AddReportList(HWND parent, int id, DWORD ex_list_style, DWORD list_style) {
  HWND list = Add(parent, id, WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | list_style,
                  WS_EX_CLIENTEDGE);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex_list_style, ex_list_style);
  return list;
}

void Controls::AddColumns(int list_id, std::initializer_list<Column> columns, UINT dpi) {
  int index = 0;
  for (const Column& column : columns) {
    LVCOLUMNW lv{};
    lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lv.fmt = column.right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    lv.pszText = const_cast<wchar_t*>(column.title);
    lv.cx = Scale(column.width, dpi);
    ::SendMessageW(Get(list_id), LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&lv));
    columns_.push_back({list_id, column.width, dpi});
  }
}

void Controls::AddHints(HWND parent, std::initializer_list<Hint> hints) {
  HWND tips = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance_, nullptr);
  if (tips == nullptr) return;
  for (const Hint& hint : hints) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(Get(hint.id));
    tool.lpszText = const_cast<wchar_t*>(hint.text);
    if (tool.uId != 0) ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

HWND Controls::Get(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void Controls::Place(int id, int x, int y, int width, int height) const {
  if (HWND control = Get(id)) {
    ::SetWindowPos(control, nullptr, x, y, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Controls::ScaleColumns(UINT dpi) {
  std::map<int, int> next_index;
  for (ColumnWidth& column : columns_) {
    const int index = next_index[column.list_id]++;
    if (column.dpi == dpi) continue;
    column.dpi = dpi;
    ::SendMessageW(Get(column.list_id), LVM_SETCOLUMNWIDTH, index, Scale(column.width, dpi));
  }
}

}  // namespace norvik::ui
