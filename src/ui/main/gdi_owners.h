#pragma once
// Move-only owners for the user-interface handle kinds the window keeps: fonts, brushes,
// bitmaps, icons, menus and image lists. Built on the platform layer's owner template.

#include "platform/win32/unique_handles.h"

#include <commctrl.h>

namespace norvik::ui {

struct gdi_object_traits {
  using type = HGDIOBJ;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept { ::DeleteObject(h); }
};

struct hicon_traits {
  using type = HICON;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept { ::DestroyIcon(h); }
};

struct hmenu_traits {
  using type = HMENU;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept { ::DestroyMenu(h); }
};

struct himagelist_traits {
  using type = HIMAGELIST;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept { ::ImageList_Destroy(h); }
};

using unique_gdi = platform::win32::unique_any<gdi_object_traits>;
using unique_hicon = platform::win32::unique_any<hicon_traits>;
using unique_hmenu = platform::win32::unique_any<hmenu_traits>;
using unique_himagelist = platform::win32::unique_any<himagelist_traits>;

// The font a unique_gdi holds, for WM_SETFONT.
inline HFONT AsFont(const unique_gdi& font) { return static_cast<HFONT>(font.get()); }

}  // namespace norvik::ui
