#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/pages/registry_page_view.h"

#include "platform/win32/wide_text.h"

namespace norvik::ui {
namespace {

// Posted to the main window: lParam is a section tree item to expand again.
constexpr UINT kWmReopenSection = WM_APP + 1;

}  // namespace

void RegistryPageView::Create(const PageHost& host) {
  frame_ = host.frame;
  Controls& controls = host.controls;
  HWND page = host.page;
  controls.AddLabel(page, ids::kScanTitle, L"Select the sections to scan", SS_LEFT | SS_NOPREFIX);
  HWND tree = controls.Add(page, ids::kSections, WC_TREEVIEWW, L"",
                           WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS,
                           WS_EX_CLIENTEDGE);
  tree_.Attach(tree, [this](std::optional<core::NodeId> node, app::TreeHit hit) {
    if (controller_ != nullptr) controller_->TreeMouseDown(node, hit);
  });
  controls.AddReportList(page, ids::kRegistryData, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  controls.AddColumns(ids::kRegistryData, {{L"Problem", 150}, {L"Data", 170}, {L"Registry key", 260}}, kBaseDpi);
  controls.Add(page, ids::kKeyDisplay, WC_EDITW, L"", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
               WS_EX_CLIENTEDGE);
  HWND progress = controls.Add(page, ids::kScanProgress, PROGRESS_CLASSW, L"", 0);
  ::SendMessageW(progress, PBM_SETRANGE32, 0, 1000);
  status_ = controls.AddLabel(page, ids::kStatusBar, L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX);
  controls.AddButton(page, ids::kScan, L"Scan");
  ::EnableWindow(controls.AddButton(page, ids::kFixErrors, L"Fix Errors"), FALSE);
  ::EnableWindow(controls.AddButton(page, ids::kRestoreRegistry, L"Restore"), FALSE);
}

void RegistryPageView::Layout(const Controls& controls, const PageGrid& g) {
  const int m = g.Margin();
  const int top = g.Top();
  const int label_h = g.LabelHeight();
  const int bw = g.ButtonWidth();
  const int bh = g.ButtonHeight();
  controls.Place(ids::kScanTitle, m, top, g.LeftWidth(), label_h);
  controls.Place(ids::kSections, m, top + label_h + g.S(2), g.LeftWidth(), g.height - top - label_h - g.S(2) - m);
  controls.Place(ids::kRegistryData, g.RightX(), top, g.RightWidth(), g.ProgressY() - g.S(4) - top);
  controls.Place(ids::kKeyDisplay, g.RightX(), g.ProgressY() - g.S(4) - g.S(60), g.RightWidth(), g.S(60));
  controls.Place(ids::kScanProgress, g.RightX(), g.ProgressY(), g.RightWidth(), g.ProgressHeight());
  const int restore_x = g.width - m - bw;
  const int fix_x = restore_x - g.Gap() - bw;
  const int scan_x = fix_x - g.Gap() - bw;
  controls.Place(ids::kRestoreRegistry, restore_x, g.RowY(), bw, bh);
  controls.Place(ids::kFixErrors, fix_x, g.RowY(), bw, bh);
  controls.Place(ids::kScan, scan_x, g.RowY(), bw, bh);
  controls.Place(ids::kStatusBar, g.RightX(), g.RowY(), scan_x - g.RightX() - g.Gap(), bh);
}

void RegistryPageView::ApplyDpi(UINT dpi, HFONT) { tree_.SetStateImages(dpi); }

void RegistryPageView::OnCommand(int id, int code, HWND control) {
  if (controller_ != nullptr && control != nullptr && code == BN_CLICKED && id == ids::kScan) {
    controller_->ScanClick();
  }
}

LRESULT RegistryPageView::OnNotify(const NMHDR& header) {
  if (static_cast<int>(header.idFrom) != ids::kSections) return 0;
  // The A and W forms share the fields read here.
  const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
  const bool collapsing = (change.action & TVE_COLLAPSE) != 0;
  if (header.code == TVN_ITEMEXPANDINGW || header.code == TVN_ITEMEXPANDINGA) {
    // Nonzero refuses the change.
    return collapsing && !app::RegistryPage::TreeMayCollapse() ? TRUE : FALSE;
  }
  if ((header.code == TVN_ITEMEXPANDEDW || header.code == TVN_ITEMEXPANDEDA) && collapsing &&
      !app::RegistryPage::TreeMayCollapse()) {
    // Some tree controls collapse anyway: open the node again once the control is done.
    ::PostMessageW(frame_, kWmReopenSection, 0, reinterpret_cast<LPARAM>(change.itemNew.hItem));
  }
  return 0;
}

bool RegistryPageView::OnMessage(UINT message, WPARAM, LPARAM lparam) {
  if (message != kWmReopenSection) return false;
  ::SendMessageW(tree_.hwnd(), TVM_EXPAND, TVE_EXPAND, lparam);
  return true;
}

void RegistryPageView::SetStatusText(std::string_view text) {
  ::SetWindowTextW(status_, platform::win32::Wide(text).c_str());
}

}  // namespace norvik::ui
