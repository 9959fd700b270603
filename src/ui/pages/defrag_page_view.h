#pragma once
// The Defrag page's controls: the four sizes, the hive list and the two buttons.

#include "platform/win32/windows_api.h"

#include "app/pages/defrag_page.h"
#include "ui/main/page_view.h"

namespace norvik::ui {

class DefragPageView final : public PageView, public app::DefragPageView {
 public:
  DefragPageView() : PageView(app::kTagDefrag, ids::kDefragIds) {}

  void Create(const PageHost& host) override;
  void Layout(const Controls& controls, const PageGrid& grid) override;

  void DisableAnalyzeRegistry() override;
  void ClearSizeLabels() override;
  void AddRow(std::string_view text) override;

 private:
  const Controls* controls_ = nullptr;
};

}  // namespace norvik::ui
