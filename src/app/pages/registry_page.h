#pragma once
// The Registry page: the tree of sections to scan and the scan's status line. The scan
// itself arrives with its worker.

#include <string_view>
#include <vector>

#include "app/pages/page.h"
#include "regscan/section_tree.h"

namespace norvik::app {

class RegistryPageView {
 public:
  virtual ~RegistryPageView() = default;
  virtual void RebuildTree(const core::CheckTree& model) = 0;
  virtual void RefreshTreeChecks(const core::CheckTree& model) = 0;
  virtual void ExpandNode(core::NodeId id) = 0;
  virtual void SetStatusText(std::string_view text) = 0;
};

class RegistryPage final : public Page {
 public:
  RegistryPage(core::Settings& settings, RegistryPageView& view);

  // Page
  int Tag() const override { return kTagRegistry; }
  void Create(std::uint8_t os_code) override;
  void Show() override;
  void StoreSettings(core::Settings& settings) override;

  void TreeMouseDown(std::optional<core::NodeId> node, TreeHit hit);
  static constexpr bool TreeMayCollapse() { return false; }
  const regscan::SectionTree& Sections() const { return sections_; }
  void ScanClick() {}

 private:
  core::Settings& settings_;
  RegistryPageView& view_;
  regscan::SectionTree sections_;
  std::vector<core::NodeId> walk_;
};

}  // namespace norvik::app
