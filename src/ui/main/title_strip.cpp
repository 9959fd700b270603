#include "ui/main/title_strip.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/product.h"
#include "platform/win32/wide_text.h"
#include "ui/main/dpi.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

// The band runs from the first colour on the left to the second on the right.
constexpr COLORREF kBandLeft = RGB(20, 48, 92);
constexpr COLORREF kBandRight = RGB(62, 118, 184);
constexpr COLORREF kBandEdge = RGB(140, 178, 224);
constexpr COLORREF kBandText = RGB(255, 255, 255);
constexpr int kBandHeight = 50;

COLORREF Lerp(COLORREF a, COLORREF b, int num, int den) {
  const auto mix = [&](int x, int y) { return x + (y - x) * num / std::max(den, 1); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

bool Contains(const RECT& rect, POINT point) { return ::PtInRect(&rect, point) != FALSE; }

void DrawLabel(HDC dc, const std::wstring& text, RECT rect, HFONT font, UINT format) {
  HGDIOBJ old = ::SelectObject(dc, font);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
}

}  // namespace

int TitleStrip::Height(UINT dpi) const { return Scale(kBandHeight, dpi); }

void TitleStrip::Layout(HWND frame, int width, UINT dpi, HFONT title_font, HFONT link_font) {
  const auto s = [dpi](int v) { return Scale(v, dpi); };
  width_ = width;
  height_ = Height(dpi);
  icon_ = RECT{s(10), (height_ - s(32)) / 2, s(10) + s(32), (height_ - s(32)) / 2 + s(32)};
  const int text_width = std::max(0, std::min(s(360), width - s(60)));
  title_ = RECT{s(50), s(4), s(50) + text_width, s(4) + s(27)};
  hint_ = RECT{s(52), s(30), s(52) + text_width, s(30) + s(17)};
  // Only the name's and the link's own text is clickable.
  const auto text_width_of = [&](std::string_view text, HFONT font, int fallback) {
    int result = fallback;
    if (HDC dc = ::GetDC(frame)) {
      HGDIOBJ old = ::SelectObject(dc, font);
      const std::wstring wide = Wide(text);
      SIZE extent{};
      if (::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent)) result = extent.cx + s(2);
      ::SelectObject(dc, old);
      ::ReleaseDC(frame, dc);
    }
    return result;
  };
  name_ = title_;
  name_.right = std::min<LONG>(title_.right, title_.left + text_width_of(app::kProductName, title_font, text_width));
  const int link_width = text_width_of(app::kUpdateLinkText, link_font, s(140));
  link_ = RECT{width - s(8) - link_width, s(30), width - s(8), s(30) + s(17)};
}

void TitleStrip::Paint(HDC dc, const RECT& dirty, HICON icon, HFONT title_font, HFONT hint_font,
                       HFONT link_font) const {
  const RECT band{0, 0, width_, height_};
  RECT visible{};
  if (!::IntersectRect(&visible, &band, &dirty)) return;
  // Vertical strips of the gradient: cheap, and needs no extra library.
  constexpr int kStrip = 4;
  for (int x = visible.left - visible.left % kStrip; x < visible.right; x += kStrip) {
    HBRUSH brush = ::CreateSolidBrush(Lerp(kBandLeft, kBandRight, x, std::max(width_, 1)));
    const RECT strip{x, 0, x + kStrip, height_ - 1};
    ::FillRect(dc, &strip, brush);
    ::DeleteObject(brush);
  }
  HBRUSH edge = ::CreateSolidBrush(kBandEdge);
  const RECT line{0, height_ - 1, width_, height_};
  ::FillRect(dc, &line, edge);
  ::DeleteObject(edge);

  if (icon != nullptr) {
    ::DrawIconEx(dc, icon_.left, icon_.top, icon, icon_.right - icon_.left, icon_.bottom - icon_.top, 0, nullptr,
                 DI_NORMAL);
  }
  ::SetTextColor(dc, kBandText);
  ::SetBkMode(dc, TRANSPARENT);
  DrawLabel(dc, Wide(app::kProductName), title_, title_font, DT_LEFT | DT_TOP);
  DrawLabel(dc, Wide(app::kTitleHint), hint_, hint_font, DT_LEFT | DT_TOP);
  DrawLabel(dc, Wide(app::kUpdateLinkText), link_, link_font, DT_RIGHT | DT_TOP);
}

TitleStrip::Hit TitleStrip::HitTest(POINT client) const {
  if (Contains(icon_, client) || Contains(name_, client)) return Hit::kHome;
  if (Contains(link_, client)) return Hit::kUpdate;
  return Hit::kNone;
}

}  // namespace norvik::ui
