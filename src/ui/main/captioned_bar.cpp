#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/main/captioned_bar.h"

#include <algorithm>
#include <commctrl.h>

#include "platform/win32/wide_text.h"
#include "ui/main/gdi_owners.h"
#include "ui/main/subclass.h"

namespace norvik::ui {

void CaptionedBar::Attach(HWND bar) {
  bar_ = bar;
  Subclass(bar_, Proc, this);
}

void CaptionedBar::SetCaption(std::optional<std::string> caption) {
  if (caption) {
    caption_ = platform::win32::Wide(*caption);
  } else {
    caption_.reset();
  }
  ::SetWindowTextW(bar_, caption_ ? caption_->c_str() : L"");
  ::InvalidateRect(bar_, nullptr, TRUE);
}

LRESULT CaptionedBar::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* self_ptr) {
  const auto* self = static_cast<const CaptionedBar*>(self_ptr);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(hwnd, &paint);
      self->Paint(dc);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      self->Paint(reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      break;
  }
  return CallOriginalProc(hwnd, message, wparam, lparam);
}

void CaptionedBar::Paint(HDC dc) const {
  HWND bar = bar_;
  RECT rect{};
  ::GetClientRect(bar, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return;
  HDC memory = ::CreateCompatibleDC(dc);
  unique_gdi bitmap(::CreateCompatibleBitmap(dc, width, height));
  if (memory == nullptr || !bitmap) {
    // Out of GDI resources: the bar without its caption is still worth showing.
    if (memory != nullptr) ::DeleteDC(memory);
    CallOriginalProc(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    return;
  }
  HGDIOBJ old_bitmap = ::SelectObject(memory, bitmap.get());
  ::FillRect(memory, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
  CallOriginalProc(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  if (caption_ && !caption_->empty()) {
    // The fill's colour depends on the theme: the text over it is black or white,
    // whichever stands out, and the text over the empty part is the usual colour.
    const auto position = ::SendMessageW(bar, PBM_GETPOS, 0, 0);
    const auto range = std::max<LRESULT>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1);
    const int filled = static_cast<int>(std::clamp<LRESULT>(width * position / range, 0, width));
    COLORREF on_fill = ::GetSysColor(COLOR_BTNTEXT);
    if (filled > 0) {
      const COLORREF fill = ::GetPixel(memory, filled / 2, height / 2);
      const int luminance = (299 * GetRValue(fill) + 587 * GetGValue(fill) + 114 * GetBValue(fill)) / 1000;
      on_fill = luminance < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    }
    HGDIOBJ old_font = ::SelectObject(memory, font_);
    ::SetBkMode(memory, TRANSPARENT);
    const struct {
      int left, right;
      COLORREF colour;
    } parts[] = {{0, filled, on_fill}, {filled, width, ::GetSysColor(COLOR_BTNTEXT)}};
    for (const auto& part : parts) {
      if (part.left >= part.right) continue;
      const int saved = ::SaveDC(memory);
      ::IntersectClipRect(memory, part.left, 0, part.right, height);
      ::SetTextColor(memory, part.colour);
      ::DrawTextW(memory, caption_->c_str(), static_cast<int>(caption_->size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      ::RestoreDC(memory, saved);
    }
    ::SelectObject(memory, old_font);
  }
  ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  ::SelectObject(memory, old_bitmap);
  ::DeleteDC(memory);
}

}  // namespace norvik::ui
