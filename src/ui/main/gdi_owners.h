#pragma once
// Move-only owners for the user-interface handle kinds the window keeps: fonts, brushes,
// bitmaps, icons, menus and image lists. Built on the platform layer's owner template.

#include "platform/win32/unique_handles.h"

#include <commctrl.h>

namespace norvik::ui {

using platform::win32::null_handle_traits;

using unique_gdi = platform::win32::unique_any<null_handle_traits<HGDIOBJ, &::DeleteObject>>;
using unique_hicon = platform::win32::unique_any<null_handle_traits<HICON, &::DestroyIcon>>;
using unique_hmenu = platform::win32::unique_any<null_handle_traits<HMENU, &::DestroyMenu>>;
using unique_himagelist = platform::win32::unique_any<null_handle_traits<HIMAGELIST, &::ImageList_Destroy>>;

// The font a unique_gdi holds, for WM_SETFONT.
inline HFONT AsFont(const unique_gdi& font) { return static_cast<HFONT>(font.get()); }

}  // namespace norvik::ui
