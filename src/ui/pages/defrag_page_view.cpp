#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/defrag_page_view.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "ui/dialogs/hive_progress/hive_progress_dialog.h"
#include "ui/dialogs/system_point/system_point_dialog.h"

namespace norvik::ui {
namespace {

// The four sizes, in the order of their captions (ids::kSizeCaptionBase + i).
constexpr int kSizeIds[] = {ids::kCurrentRegistrySize, ids::kNewRegistrySize, ids::kSizeReduction,
                            ids::kCompactPercent};

}  // namespace

void DefragPageView::Create(const PageHost& host) {
  Controls& controls = host.controls;
  controls_ = &controls;
  instance_ = host.instance;
  frame_ = host.frame;
  HWND page = host.page;
  ::SetWindowTextW(page, L"Registry Defrag");
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
      {{L"Hive Name", 250}, {L"Current Size", 95, true}, {L"New Size", 95, true}, {L"Reduction", 95, true}},
      kBaseDpi);
  controls.AddButton(page, ids::kAnalyzeRegistry, L"Analyze Registry");
  ::EnableWindow(controls.AddButton(page, ids::kDefragRegistry, L"Defrag Registry"), FALSE);
  controls.AddHints(page, {{ids::kAnalyzeRegistry, L"Analyze your registry"}, {ids::kDefragRegistry, L"Defrag your registry"}});
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

void DefragPageView::OnCommand(int id, int code, HWND control) {
  if (controller_ == nullptr || control == nullptr || code != BN_CLICKED) return;
  if (id == ids::kAnalyzeRegistry) controller_->AnalyzeRegistryClick();
  if (id == ids::kDefragRegistry) controller_->DefragRegistryClick();
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

// An unattended run never shows the page: its figures go only into the report.
void DefragPageView::SetRowSizes(std::size_t row, const defrag::HiveRowTexts& texts) {
  if (controls_ == nullptr) return;
  HWND list = controls_->Get(ids::kHiveList);
  const std::string* cells[] = {&texts.current, &texts.copy, &texts.reduction};
  for (int column = 1; column <= 3; ++column) {
    std::wstring wide = platform::win32::Wide(*cells[column - 1]);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  }
}

void DefragPageView::SetSizeLabels(const defrag::AnalysisTexts& texts) {
  if (controls_ == nullptr) return;
  const std::string* values[] = {&texts.current_total, &texts.new_total, &texts.size_reduction,
                                 &texts.compact_percent};
  for (int i = 0; i < 4; ++i) {
    ::SetWindowTextW(controls_->Get(kSizeIds[i]), platform::win32::Wide(*values[i]).c_str());
  }
}

void DefragPageView::EnableDefragRegistry(bool enabled) {
  if (controls_ == nullptr) return;
  ::EnableWindow(controls_->Get(ids::kDefragRegistry), enabled ? TRUE : FALSE);
}

bool DefragPageView::ShowHiveProgress(const app::dialogs::HiveProgressSetup& setup) {
  return ui::ShowHiveProgressDialog(instance_ ? instance_ : ::GetModuleHandleW(nullptr), frame_, setup);
}

bool DefragPageView::ShowRestorePointDialog(platform::System& system, app::WorkerYard& yard) {
  return ShowSystemPointDialog(instance_ ? instance_ : ::GetModuleHandleW(nullptr), frame_, system, yard);
}

}  // namespace norvik::ui
