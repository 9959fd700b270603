#pragma once
// The Defrag page: the hive list and the analysis, which only the NT family supports.
// Analysing and compacting arrive with their issue.

#include <string>
#include <string_view>
#include <vector>

#include "app/pages/page.h"
#include "platform/platform.h"

namespace norvik::app {

inline constexpr std::string_view kUnsupportedSystemLine =
    "The software does not support the current Windows system!";

class DefragPageView {
 public:
  virtual ~DefragPageView() = default;
  virtual void DisableAnalyzeRegistry() = 0;
  virtual void ClearSizeLabels() = 0;
  virtual void AddRow(std::string_view text) = 0;
};

class DefragPage final : public Page {
 public:
  DefragPage(platform::Platform platform, DefragPageView& view) : platform_(platform), view_(view) {}

  int Tag() const override { return kTagDefrag; }
  void Create(std::uint8_t os_code) override;
  void Show() override;
  void Close() override;

  bool AnalyzeRegistryEnabled() const { return analyze_enabled_; }

 private:
  void LoadHiveList() {}

  platform::Platform platform_;
  DefragPageView& view_;
  bool analyze_enabled_ = true;
  bool is_wow64_ = false;
  std::vector<std::string> hive_names_;
  std::vector<std::string> hive_files_;
};

}  // namespace norvik::app
