#pragma once
// The Defrag page's controls: the four sizes, the hive list and the two buttons.

#include "platform/win32/windows_api.h"

#include <string>
#include <vector>

#include "app/pages/defrag_page.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class DefragPageView final : public PageView, public app::DefragPageView {
 public:
  DefragPageView() : PageView(app::kTagDefrag, ids::kDefragIds) {}

  void Attach(app::DefragPage& controller) { controller_ = &controller; }

  // PageView
  void Create(const PageHost& host) override;
  bool CreatedAtStart() const override { return false; }
  void Layout(const Controls& controls, const PageGrid& grid) override;
  void OnCommand(int id, int code, HWND control) override;

  // app::DefragPageView
  void DisableAnalyzeRegistry() override;
  void ClearSizeLabels() override;
  void AddRow(std::string_view text) override;
  void SetRowSizes(std::size_t row, const defrag::HiveRowTexts& texts) override;
  void SetSizeLabels(const defrag::AnalysisTexts& texts) override;
  void EnableDefragRegistry(bool enabled) override;
  bool ShowHiveProgress(const app::dialogs::HiveProgressSetup& setup) override;
  bool ShowRestorePointDialog(platform::System& system, app::WorkerYard& yard) override;

 private:
  void InsertRow(const std::string& text) const;

  const Controls* controls_ = nullptr;  // none until the page is first shown
  // What the page was told before it had controls.
  bool analyze_disabled_ = false;
  std::vector<std::string> rows_;
  app::DefragPage* controller_ = nullptr;
  // The dialogs' owner; none while the page was never shown (an unattended run).
  HINSTANCE instance_ = nullptr;
  HWND frame_ = nullptr;
};

}  // namespace norvik::ui
