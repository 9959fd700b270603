// The main window's controls: creation, fonts, layout and the owner-drawn parts.
// Every size here is for 96 DPI and goes through Scale().

#include "platform/win32/windows_api.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/wide_text.h"
#include "ui/main/control_ids.h"
#include "ui/main/dpi.h"
#include "ui/main/main_frame.h"
#include "ui/main/res/resource.h"

namespace norvik::ui {
namespace {

using platform::win32::Wide;

// The title band runs from the first colour on the left to the second on the right.
constexpr COLORREF kBandLeft = RGB(20, 48, 92);
constexpr COLORREF kBandRight = RGB(62, 118, 184);
constexpr COLORREF kBandEdge = RGB(140, 178, 224);
// The selected side button's marker matches the band.
constexpr COLORREF kSelectedMarker = RGB(40, 86, 150);

constexpr int kTitleBandHeight = 50;
constexpr int kSideButtonLeft = 6;
constexpr int kSideButtonWidth = 90;
constexpr int kSideButtonHeight = 55;
constexpr int kSideButtonPitch = 61;
constexpr int kPageMargin = 6;

// Inside a page (group box).
constexpr int kInner = 8;          // margin to the group box's frame
constexpr int kCaptionTop = 20;    // below the group box's caption
constexpr int kTreeWidth = 225;
constexpr int kGap = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kProgressHeight = 16;

COLORREF Lerp(COLORREF a, COLORREF b, int num, int den) {
  const auto mix = [&](int x, int y) { return x + (y - x) * num / std::max(den, 1); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

}  // namespace

HWND MainFrame::AddControl(HWND parent, int id, const wchar_t* window_class, std::wstring_view text,
                           DWORD style, DWORD ex_style) {
  const std::wstring caption(text);
  HWND control = ::CreateWindowExW(ex_style, window_class, caption.c_str(), WS_CHILD | style, 0, 0,
                                   0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   instance_, nullptr);
  controls_[id] = control;
  return control;
}

HWND MainFrame::AddButton(HWND parent, int id, std::wstring_view text, DWORD style) {
  return AddControl(parent, id, WC_BUTTONW, text, WS_VISIBLE | WS_TABSTOP | style);
}

HWND MainFrame::AddLabel(HWND parent, int id, std::wstring_view text, DWORD style) {
  return AddControl(parent, id, WC_STATICW, text, WS_VISIBLE | style);
}

HWND MainFrame::AddReportList(HWND parent, int id, DWORD ex_list_style) {
  HWND list = AddControl(parent, id, WC_LISTVIEWW, L"",
                         WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex_list_style, ex_list_style);
  return list;
}

void MainFrame::AddColumns(int list_id, std::initializer_list<ListColumn> columns) {
  int index = 0;
  for (const ListColumn& column : columns) {
    LVCOLUMNW lv{};
    lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    lv.fmt = column.right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    lv.pszText = const_cast<wchar_t*>(column.title);
    lv.cx = Scale(column.width, dpi_);
    ::SendMessageW(Control(list_id), LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&lv));
    columns_.push_back({list_id, column.width});
  }
}

HWND MainFrame::Page(int tag) const { return Control(ids::Page(tag)); }

HWND MainFrame::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void MainFrame::CreateControls() {
  CreateTitleStrip();

  // The first four buttons switch pages; each page is captioned like its button.
  static const struct {
    int tag;
    const wchar_t* caption;
  } kSideButtons[] = {{app::kTagCleaner, L"Cleaner"}, {app::kTagRegistry, L"Registry"},
                      {app::kTagTools, L"Tools"},     {app::kTagDefrag, L"Defrag"},
                      {app::kTagOptions, L"Options"}, {app::kTagHelp, L"More"}};
  for (const auto& button : kSideButtons) {
    AddButton(hwnd_, ids::SideButton(button.tag), button.caption, BS_OWNERDRAW);
    if (button.tag == app::kTagOptions || button.tag == app::kTagHelp) continue;
    // Hidden until the controller picks a page. The page parents its controls, so it
    // must let tab navigation in and pass their notifications on.
    HWND box = AddControl(hwnd_, ids::Page(button.tag), WC_BUTTONW, button.caption,
                          BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    ::SetWindowSubclass(box, PageProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }
  CreateCleanerPage();
  CreateRegistryPage();
  CreateToolsPage();
  CreateDefragPage();
}

void MainFrame::AddCheckTree(HWND page, int id, CheckTreeControl& control) {
  HWND tree = AddControl(page, id, WC_TREEVIEWW, L"",
                         WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                             TVS_SHOWSELALWAYS,
                         WS_EX_CLIENTEDGE);
  control.Attach(tree);
  // Clicks on the check boxes go to the controller (TreeProc).
  ::SetWindowSubclass(tree, TreeProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void MainFrame::CreateTitleStrip() {
  const std::wstring product = Wide(app::kProductName);
  // imgTitle: the band. Its siblings lie on top of it and paint their share of the band
  // themselves (WM_CTLCOLORSTATIC), so it must stay at the bottom and clip them out.
  HWND band = AddLabel(hwnd_, ids::kTitleImage, L"", SS_LEFT | WS_CLIPSIBLINGS);
  AddLabel(hwnd_, ids::kTitleIcon, L"", SS_ICON | SS_REALSIZECONTROL | SS_NOTIFY);
  AddLabel(hwnd_, ids::kTitle, product, SS_LEFT | SS_NOTIFY | SS_NOPREFIX);
  AddLabel(hwnd_, ids::kTitleHint, Wide(app::kTitleHint), SS_LEFT | SS_NOPREFIX);
  AddLabel(hwnd_, ids::kUpdateLink, Wide(app::kUpdateLinkText), SS_RIGHT | SS_NOTIFY | SS_NOPREFIX);
  ::SetWindowPos(band, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainFrame::CreateCleanerPage() {
  HWND page = Page(app::kTagCleaner);
  AddCheckTree(page, ids::kCleanItems, clean_tree_);

  AddControl(page, ids::kLog, WC_LISTBOXW, L"",
             WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                 LBS_NOTIFY,
             WS_EX_CLIENTEDGE);
  HWND progress = AddControl(page, ids::kCleanProgress, PROGRESS_CLASSW, L"", 0);
  ::SendMessageW(progress, PBM_SETRANGE32, 0, 1000);
  // Draws the caption ("Finished!", "57%") over the bar.
  ::SetWindowSubclass(progress, CleanBarProc, 0, reinterpret_cast<DWORD_PTR>(this));
  AddButton(page, ids::kFastMode, L"Fast Mode", BS_AUTOCHECKBOX);
  AddButton(page, ids::kTest, L"Test");
  AddButton(page, ids::kClean, L"Clean");
}

void MainFrame::CreateRegistryPage() {
  HWND page = Page(app::kTagRegistry);
  AddLabel(page, ids::kScanTitle, L"Select the sections to scan", SS_LEFT | SS_NOPREFIX);
  AddCheckTree(page, ids::kSections, section_tree_);

  AddReportList(page, ids::kRegistryData, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumns(ids::kRegistryData, {{L"Problem", 150}, {L"Data", 170}, {L"Registry key", 260}});
  AddControl(page, ids::kKeyDisplay, WC_EDITW, L"",
             WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE);
  HWND progress = AddControl(page, ids::kScanProgress, PROGRESS_CLASSW, L"", 0);
  ::SendMessageW(progress, PBM_SETRANGE32, 0, 1000);
  AddLabel(page, ids::kStatusBar, L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX);
  AddButton(page, ids::kScan, L"Scan");
  ::EnableWindow(AddButton(page, ids::kFixErrors, L"Fix Errors"), FALSE);
  ::EnableWindow(AddButton(page, ids::kRestoreRegistry, L"Restore"), FALSE);
}

void MainFrame::CreateToolsPage() {
  HWND page = Page(app::kTagTools);
  AddReportList(page, ids::kStartupList, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  AddColumns(ids::kStartupList, {{L"Name", 130}, {L"Command", 200}, {L"Location", 120}});
  static const struct {
    int id;
    const wchar_t* caption;
  } kButtons[] = {{ids::kStartup, L"Startup"},
                  {ids::kDeleteEntry, L"&Delete Entry"},
                  {ids::kSelectAll, L"Select &All"},
                  {ids::kSelectNone, L"Select &None"},
                  {ids::kViewHistory, L"Index.dat Viewer..."},
                  {ids::kBackupFullRegistry, L"Backup Full Registry..."},
                  {ids::kWindowsBackup, L"Windows Backup..."}};
  for (const auto& button : kButtons) {
    ::EnableWindow(AddButton(page, button.id, button.caption), FALSE);
  }
}

void MainFrame::CreateDefragPage() {
  HWND page = Page(app::kTagDefrag);
  static const struct {
    const wchar_t* caption;
    int value_id;
  } kSizes[] = {{L"Current Registry Size:", ids::kCurrentRegistrySize},
                {L"New Registry Size:", ids::kNewRegistrySize},
                {L"Size Reduction:", ids::kSizeReduction},
                {L"Compact Percent:", ids::kCompactPercent}};
  int caption_id = ids::kSizeCaptionBase;
  for (const auto& size : kSizes) {
    AddLabel(page, caption_id++, size.caption, SS_LEFT | SS_NOPREFIX);
    AddLabel(page, size.value_id, L"", SS_LEFT | SS_NOPREFIX);
  }
  AddReportList(page, ids::kHiveList, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  // Sizes read best right-aligned.
  AddColumns(ids::kHiveList,
             {{L"Hive Name", 190}, {L"Current Size", 95, true}, {L"New Size", 95, true}, {L"Reduction", 95, true}});
  AddButton(page, ids::kAnalyzeRegistry, L"Analyze Registry");
  ::EnableWindow(AddButton(page, ids::kDefragRegistry, L"Defrag Registry"), FALSE);
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

  for (const auto& [id, control] : controls_) {
    HFONT font = AsFont(font_);
    if (id == ids::kTitle) font = AsFont(title_font_);
    if (id == ids::kUpdateLink) font = AsFont(link_font_);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }

  const int icon_size = Scale(32, dpi_);
  title_icon_.reset(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_NORVIK), IMAGE_ICON,
                                                    icon_size, icon_size, 0)));
  ::SendMessageW(Control(ids::kTitleIcon), STM_SETICON, reinterpret_cast<WPARAM>(title_icon_.get()), 0);

  clean_tree_.SetStateImages(dpi_);
  section_tree_.SetStateImages(dpi_);

  std::map<int, int> next_index;
  for (const Column& column : columns_) {
    ::SendMessageW(Control(column.list_id), LVM_SETCOLUMNWIDTH, next_index[column.list_id]++,
                   Scale(column.width, dpi_));
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int MainFrame::TitleHeight() const { return Scale(kTitleBandHeight, dpi_); }

void MainFrame::Place(int id, int x, int y, int width, int height) {
  if (HWND control = Control(id)) {
    ::SetWindowPos(control, nullptr, x, y, std::max(width, 0), std::max(height, 0),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void MainFrame::Layout() {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int height = client.bottom;
  const auto s = [this](int v) { return Scale(v, dpi_); };
  const int band = TitleHeight();

  // Title strip.
  Place(ids::kTitleImage, 0, 0, width, band);
  Place(ids::kTitleIcon, s(10), (band - s(32)) / 2, s(32), s(32));
  Place(ids::kTitle, s(50), s(4), std::min(s(360), width - s(60)), s(27));
  Place(ids::kTitleHint, s(52), s(30), std::min(s(360), width - s(60)), s(17));
  {
    // The link is exactly as wide as its text, so only the text is clickable.
    HWND link = Control(ids::kUpdateLink);
    int text_width = s(140);
    if (HDC dc = ::GetDC(link)) {
      HGDIOBJ old = ::SelectObject(dc, link_font_.get());
      const std::wstring text = Wide(app::kUpdateLinkText);
      SIZE extent{};
      if (::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent)) {
        text_width = extent.cx + s(2);
      }
      ::SelectObject(dc, old);
      ::ReleaseDC(link, dc);
    }
    Place(ids::kUpdateLink, width - s(8) - text_width, s(30), text_width, s(17));
  }

  // Side buttons, stacked below the title.
  int y = band + s(kPageMargin);
  for (const int tag : app::kSideButtonTags) {
    Place(ids::SideButton(tag), s(kSideButtonLeft), y, s(kSideButtonWidth), s(kSideButtonHeight));
    y += s(kSideButtonPitch);
  }

  // Pages fill the rest.
  const int page_x = s(kSideButtonLeft + kSideButtonWidth + kPageMargin);
  const int page_y = band + s(kPageMargin);
  const int page_w = std::max(width - page_x - s(kPageMargin), s(200));
  const int page_h = std::max(height - page_y - s(kPageMargin), s(200));
  for (const int tag : app::kPageTags) Place(ids::Page(tag), page_x, page_y, page_w, page_h);

  // Shared frame of the pages: a left column, a right area and a bottom button row.
  const int m = s(kInner);
  const int top = s(kCaptionTop);
  const int left_w = s(kTreeWidth);
  const int right_x = m + left_w + s(kGap);
  const int right_w = page_w - right_x - m;
  const int bw = s(kButtonWidth);
  const int bh = s(kButtonHeight);
  const int row_y = page_h - m - bh;
  const int progress_y = row_y - s(6) - s(kProgressHeight);

  // Cleaner.
  Place(ids::kCleanItems, m, top, left_w, page_h - top - m);
  Place(ids::kLog, right_x, top, right_w, progress_y - s(4) - top);
  Place(ids::kCleanProgress, right_x, progress_y, right_w, s(kProgressHeight));
  const int clean_x = page_w - m - bw;
  const int test_x = clean_x - s(20) - bw;
  Place(ids::kClean, clean_x, row_y, bw, bh);
  Place(ids::kTest, test_x, row_y, bw, bh);
  Place(ids::kFastMode, right_x, row_y, std::min(s(120), test_x - right_x - s(kGap)), bh);

  // Registry.
  const int label_h = s(16);
  Place(ids::kScanTitle, m, top, left_w, label_h);
  Place(ids::kSections, m, top + label_h + s(2), left_w, page_h - top - label_h - s(2) - m);
  Place(ids::kRegistryData, right_x, top, right_w, progress_y - s(4) - top);
  Place(ids::kKeyDisplay, right_x, progress_y - s(4) - s(60), right_w, s(60));
  Place(ids::kScanProgress, right_x, progress_y, right_w, s(kProgressHeight));
  const int restore_x = page_w - m - bw;
  const int fix_x = restore_x - s(kGap) - bw;
  const int scan_x = fix_x - s(kGap) - bw;
  Place(ids::kRestoreRegistry, restore_x, row_y, bw, bh);
  Place(ids::kFixErrors, fix_x, row_y, bw, bh);
  Place(ids::kScan, scan_x, row_y, bw, bh);
  Place(ids::kStatusBar, right_x, row_y, scan_x - right_x - s(kGap), bh);

  // Tools: the startup list and a column of buttons on its right.
  const int tools_bw = s(150);
  const int tools_x = page_w - m - tools_bw;
  Place(ids::kStartupList, m, top, tools_x - s(kGap) - m, page_h - top - m);
  const int pitch = bh + s(6);
  const int top_buttons[] = {ids::kStartup, ids::kDeleteEntry, ids::kSelectAll, ids::kSelectNone};
  int button_y = top;
  for (const int id : top_buttons) {
    Place(id, tools_x, button_y, tools_bw, bh);
    button_y += pitch;
  }
  const int bottom_buttons[] = {ids::kWindowsBackup, ids::kBackupFullRegistry, ids::kViewHistory};
  button_y = row_y;
  for (const int id : bottom_buttons) {
    Place(id, tools_x, button_y, tools_bw, bh);
    button_y -= pitch;
  }

  // Defrag: two rows of sizes, the hive list, the buttons.
  const int caption_w = s(130);
  const int half = (page_w - 2 * m) / 2;
  const int size_ids[] = {ids::kCurrentRegistrySize, ids::kNewRegistrySize, ids::kSizeReduction,
                          ids::kCompactPercent};
  for (int i = 0; i < 4; ++i) {
    const int x = m + (i % 2) * half;
    const int row = top + s(4) + (i / 2) * s(22);
    Place(ids::kSizeCaptionBase + i, x, row, caption_w, label_h);
    Place(size_ids[i], x + caption_w, row, half - caption_w - s(kGap), label_h);
  }
  const int hive_y = top + s(4) + 2 * s(22) + s(4);
  Place(ids::kHiveList, m, hive_y, page_w - 2 * m, row_y - s(kGap) - hive_y);
  const int defrag_w = s(120);
  const int defrag_x = page_w - m - defrag_w;
  Place(ids::kDefragRegistry, defrag_x, row_y, defrag_w, bh);
  Place(ids::kAnalyzeRegistry, defrag_x - s(kGap) - defrag_w, row_y, defrag_w, bh);

  ::InvalidateRect(hwnd_, nullptr, TRUE);
  // The gradient spans the whole width: every label on the band must repaint its share.
  const RECT band_rect{0, 0, width, band};
  ::RedrawWindow(hwnd_, &band_rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainFrame::PaintTitleBand(HDC dc, POINT origin) const {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const int width = std::max<int>(client.right, 1);
  const int band = TitleHeight();
  // Vertical strips of the gradient: cheap, and needs no extra library.
  constexpr int kStrip = 4;
  for (int x = 0; x < width; x += kStrip) {
    HBRUSH brush = ::CreateSolidBrush(Lerp(kBandLeft, kBandRight, x, width));
    const RECT strip{x - origin.x, -origin.y, x + kStrip - origin.x, band - 1 - origin.y};
    ::FillRect(dc, &strip, brush);
    ::DeleteObject(brush);
  }
  HBRUSH edge = ::CreateSolidBrush(kBandEdge);
  const RECT line{-origin.x, band - 1 - origin.y, width - origin.x, band - origin.y};
  ::FillRect(dc, &line, edge);
  ::DeleteObject(edge);
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

void MainFrame::PaintCleanBar(HWND bar, HDC dc) const {
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
    ::DefSubclassProc(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    return;
  }
  HGDIOBJ old_bitmap = ::SelectObject(memory, bitmap.get());
  ::FillRect(memory, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
  ::DefSubclassProc(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  if (clean_bar_caption_ && !clean_bar_caption_->empty()) {
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
    HGDIOBJ old_font = ::SelectObject(memory, font_.get());
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
      ::DrawTextW(memory, clean_bar_caption_->c_str(), static_cast<int>(clean_bar_caption_->size()), &rect,
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
