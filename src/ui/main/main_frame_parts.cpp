// The frame's own parts: the title strip, the side buttons and the pages' group boxes;
// fonts for every control; the layout. Every size here is for 96 DPI and goes through
// Scale().

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/main/control_ids.h"
#include "ui/main/dpi.h"
#include "ui/main/main_frame.h"
#include "ui/main/page_view.h"
#include "ui/main/res/resource.h"
#include "ui/main/subclass.h"

namespace norvik::ui {
namespace {

// The selected side button's marker matches the title band.
constexpr COLORREF kSelectedMarker = RGB(40, 86, 150);

constexpr int kSideButtonLeft = 6;
constexpr int kSideButtonWidth = 90;
constexpr int kSideButtonHeight = 55;
constexpr int kSideButtonPitch = 61;
constexpr int kPageMargin = 6;

// The pages, captioned like their side buttons.
struct PageCaption {
  int tag;
  const wchar_t* caption;
};
constexpr PageCaption kSideButtons[] = {{app::kTagCleaner, L"Cleaner"}, {app::kTagRegistry, L"Registry"},
                                        {app::kTagTools, L"Tools"},     {app::kTagDefrag, L"Defrag"},
                                        {app::kTagOptions, L"Options"}, {app::kTagHelp, L"More"}};

const wchar_t* CaptionOf(int tag) {
  for (const auto& button : kSideButtons) {
    if (button.tag == tag) return button.caption;
  }
  return L"";
}

}  // namespace

void MainFrame::CreateControls() {
  // The title strip is painted by the frame (title_strip.cpp); the first four buttons
  // switch pages.
  for (const auto& button : kSideButtons) {
    controls_.AddButton(hwnd_, ids::SideButton(button.tag), button.caption, BS_OWNERDRAW);
  }
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]->CreatedAtStart()) {
      CreatePage(i);
    } else {
      pages_[i]->SetMaker([this, i] {
        if (!page_created_[i]) CreatePage(i);
      });
    }
  }
}

void MainFrame::CreatePage(std::size_t index) {
  PageView* page = pages_[index];
  // Hidden until the shell picks it. The page parents its controls, so it must let tab
  // navigation in and pass their notifications on.
  HWND box = controls_.Add(hwnd_, ids::Page(page->tag()), WC_BUTTONW, CaptionOf(page->tag()),
                           BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  Subclass(box, PageProc, this);
  page->Create(PageHost{instance_, hwnd_, box, controls_});
  page_created_[index] = true;
  page_stale_[index] = true;
  if (!font_) return;  // ApplyDpi, still to come, sets them all
  ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(font_)), FALSE);
  for (const auto& [id, control] : controls_.all()) {
    if (page->Owns(id)) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(font_)), FALSE);
  }
  page->ApplyDpi(dpi_, AsFont(font_));
  controls_.ScaleColumns(dpi_);
}

void MainFrame::ApplyDpi() {
  LOGFONTW base = MessageFont(dpi_);
  font_.reset(::CreateFontIndirectW(&base));

  LOGFONTW bold = base;
  bold.lfWeight = FW_BOLD;
  bold_font_.reset(::CreateFontIndirectW(&bold));

  LOGFONTW title = base;
  title.lfWeight = FW_BOLD;
  title.lfHeight = -Scale(20, dpi_);
  title_font_.reset(::CreateFontIndirectW(&title));

  LOGFONTW link = base;
  link.lfUnderline = TRUE;
  link_font_.reset(::CreateFontIndirectW(&link));

  for (const auto& [id, control] : controls_.all()) {
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(font_)), FALSE);
  }

  const int icon_size = Scale(32, dpi_);
  title_icon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_NORVIK), IMAGE_ICON,
                                                    icon_size, icon_size, 0)));

  for (std::size_t i = 0; i < pages_.size(); ++i) {
    if (page_created_[i]) pages_[i]->ApplyDpi(dpi_, AsFont(font_));
  }
  controls_.ScaleColumns(dpi_);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int MainFrame::TitleHeight() const { return title_strip_.Height(dpi_); }

void MainFrame::Layout(bool force) {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int height = client.bottom;
  // Every move of a control is a trip to the window server: none that changes nothing.
  if (!force && laid_out_dpi_ == dpi_ && laid_out_size_.cx == width && laid_out_size_.cy == height) return;
  laid_out_dpi_ = dpi_;
  laid_out_size_ = SIZE{width, height};
  const auto s = [this](int v) { return Scale(v, dpi_); };
  const int band = TitleHeight();

  title_strip_.Layout(hwnd_, width, dpi_, AsFont(title_font_), AsFont(link_font_));

  // Side buttons, stacked below the title.
  int y = band + s(kPageMargin);
  for (const int tag : app::kSideButtonTags) {
    controls_.Place(ids::SideButton(tag), s(kSideButtonLeft), y, s(kSideButtonWidth), s(kSideButtonHeight));
    y += s(kSideButtonPitch);
  }

  // Pages fill the rest.
  const int page_x = s(kSideButtonLeft + kSideButtonWidth + kPageMargin);
  const int page_y = band + s(kPageMargin);
  const int page_w = std::max(width - page_x - s(kPageMargin), s(200));
  const int page_h = std::max(height - page_y - s(kPageMargin), s(200));
  page_rect_ = RECT{page_x, page_y, page_x + page_w, page_y + page_h};
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    page_stale_[i] = true;
    const HWND box = controls_.Get(ids::Page(pages_[i]->tag()));
    if (box != nullptr && (::GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) != 0) LayoutPage(i);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainFrame::LayoutPage(std::size_t index) {
  const RECT& r = page_rect_;
  controls_.Place(ids::Page(pages_[index]->tag()), r.left, r.top, r.right - r.left, r.bottom - r.top);
  pages_[index]->Layout(controls_, PageGrid{dpi_, r.right - r.left, r.bottom - r.top});
  page_stale_[index] = false;
}

void MainFrame::DrawSideButton(const DRAWITEMSTRUCT& item) const {
  const int tag = static_cast<int>(item.CtlID) - ids::kSideButtonBase;
  const auto it = side_selected_.find(tag);
  const bool selected = it != side_selected_.end() && it->second;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  HDC dc = item.hDC;
  RECT rect = item.rcItem;

  ::FillRect(dc, &rect, selected ? static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))
                                 : ::GetSysColorBrush(COLOR_BTNFACE));
  if (pressed) {
    ::DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT);
  } else if (selected) {
    ::FrameRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNSHADOW));
    HBRUSH marker = ::CreateSolidBrush(kSelectedMarker);
    const RECT bar{rect.left, rect.top, rect.left + Scale(4, dpi_), rect.bottom};
    ::FillRect(dc, &bar, marker);
    ::DeleteObject(marker);
  } else {
    ::DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  }

  wchar_t text[64] = {};
  ::GetWindowTextW(item.hwndItem, text, static_cast<int>(std::size(text)));
  HGDIOBJ old = ::SelectObject(dc, selected ? bold_font_.get() : font_.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  RECT text_rect = rect;
  if (pressed) ::OffsetRect(&text_rect, 1, 1);
  ::DrawTextW(dc, text, -1, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(dc, old);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = rect;
    ::InflateRect(&focus, -Scale(4, dpi_), -Scale(4, dpi_));
    ::DrawFocusRect(dc, &focus);
  }
}

}  // namespace norvik::ui
