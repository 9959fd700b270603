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

  void Create(const PageHost& host) override;
  bool CreatedAtStart() const override { return false; }
  void Layout(const Controls& controls, const PageGrid& grid) override;

  void DisableAnalyzeRegistry() override;
  void ClearSizeLabels() override;
  void AddRow(std::string_view text) override;

 private:
  void InsertRow(const std::string& text) const;

  const Controls* controls_ = nullptr;  // none until the page is first shown
  // What the page was told before it had controls.
  bool analyze_disabled_ = false;
  std::vector<std::string> rows_;
};

}  // namespace norvik::ui
