#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/defrag_page_view.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace norvik::ui {
namespace {

// The four sizes, in the order of their captions (ids::kSizeCaptionBase + i).
constexpr int kSizeIds[] = {ids::kCurrentRegistrySize, ids::kNewRegistrySize, ids::kSizeReduction,
                            ids::kCompactPercent};

}  // namespace

void DefragPageView::Create(const PageHost& host) {
  Controls& controls = host.controls;
  controls_ = &controls;
  HWND page = host.page;
  static const wchar_t* const kCaptions[] = {L"Current Registry Size:", L"New Registry Size:", L"Size Reduction:",
                                             L"Compact Percent:"};
  for (int i = 0; i < 4; ++i) {
    controls.AddLabel(page, ids::kSizeCaptionBase + i, kCaptions[i], SS_LEFT | SS_NOPREFIX);
    controls.AddLabel(page, kSizeIds[i], L"", SS_LEFT | SS_NOPREFIX);
  }
  controls.AddReportList(page, ids::kHiveList, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  // Sizes read best right-aligned.
  controls.AddColumns(
      ids::kHiveList,
      {{L"Hive Name", 190}, {L"Current Size", 95, true}, {L"New Size", 95, true}, {L"Reduction", 95, true}},
      kBaseDpi);
  controls.AddButton(page, ids::kAnalyzeRegistry, L"Analyze Registry");
  ::EnableWindow(controls.AddButton(page, ids::kDefragRegistry, L"Defrag Registry"), FALSE);
  if (analyze_disabled_) DisableAnalyzeRegistry();
  for (const std::string& row : rows_) InsertRow(row);
  rows_.clear();
}

void DefragPageView::Layout(const Controls& controls, const PageGrid& g) {
  // Two rows of sizes, the hive list, the buttons.
  const int m = g.Margin();
  const int top = g.Top();
  const int caption_w = g.S(130);
  const int half = (g.width - 2 * m) / 2;
  for (int i = 0; i < 4; ++i) {
    const int x = m + (i % 2) * half;
    const int row = top + g.S(4) + (i / 2) * g.S(22);
    controls.Place(ids::kSizeCaptionBase + i, x, row, caption_w, g.LabelHeight());
    controls.Place(kSizeIds[i], x + caption_w, row, half - caption_w - g.Gap(), g.LabelHeight());
  }
  const int hive_y = top + g.S(4) + 2 * g.S(22) + g.S(4);
  controls.Place(ids::kHiveList, m, hive_y, g.width - 2 * m, g.RowY() - g.Gap() - hive_y);
  const int defrag_w = g.S(120);
  const int defrag_x = g.width - m - defrag_w;
  controls.Place(ids::kDefragRegistry, defrag_x, g.RowY(), defrag_w, g.ButtonHeight());
  controls.Place(ids::kAnalyzeRegistry, defrag_x - g.Gap() - defrag_w, g.RowY(), defrag_w, g.ButtonHeight());
}

void DefragPageView::DisableAnalyzeRegistry() {
  analyze_disabled_ = true;
  if (controls_ != nullptr) ::EnableWindow(controls_->Get(ids::kAnalyzeRegistry), FALSE);
}

void DefragPageView::ClearSizeLabels() {
  if (controls_ == nullptr) return;  // they start empty
  for (const int id : kSizeIds) ::SetWindowTextW(controls_->Get(id), L"");
}

void DefragPageView::AddRow(std::string_view text) {
  if (controls_ == nullptr) {
    rows_.emplace_back(text);
  } else {
    InsertRow(std::string(text));
  }
}

void DefragPageView::InsertRow(const std::string& text) const {
  HWND list = controls_->Get(ids::kHiveList);
  std::wstring wide = platform::win32::Wide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = wide.data();
  // The three size columns start empty; an analysis fills them in.
  ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace norvik::ui
