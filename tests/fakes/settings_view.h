#pragma once
// The main window and its two trees as the settings store sees them, for the tests of
// both builds: nodes are (image index or name, flag) pairs.

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings_store.h"

namespace norvik::core {

class FakeView : public SettingsView {
 public:
  using Names = std::vector<std::string>;
  std::vector<std::pair<std::string, bool>> items{
      {"Windows", false}, {"Windows - Recent Documents", false}, {"Windows - Clipboard", false},
      {"Mozilla Firefox", false}, {"Mozilla Firefox - Download Manager", false}};
  std::vector<std::pair<int, bool>> registry_top{{1, false}};
  std::vector<std::pair<int, bool>> clean_top{{1, false}, {2, false}, {11, false}};
  std::vector<std::pair<int, bool>> sections{{1, false}, {2, false}, {25, false}};
  std::optional<int> show_command = 1;
  WindowBounds bounds{0, 0, 705, 490};
  int check_requests = 0;

  void Check(const Names& names) {
    for (auto& [name, on] : items) on = std::find(names.begin(), names.end(), name) != names.end();
  }
  void UncheckAllItems() override { Check({}); }
  void CheckItemByName(std::string_view name) override {
    ++check_requests;
    for (auto& [text, on] : items) on = on || text == name;
  }
  Names CheckedItemNames() override {
    Names out;
    for (const auto& [name, on] : items) if (on) out.push_back(name);
    return out;
  }
  std::vector<std::pair<int, bool>>& Top(Tree t) { return t == Tree::RegistrySections ? registry_top : clean_top; }
  std::size_t TopLevelCount(Tree t) override { return Top(t).size(); }
  int TopLevelImageIndex(Tree t, std::size_t i) override { return Top(t)[i].first; }
  bool IsTopLevelExpanded(Tree t, std::size_t i) override { return Top(t)[i].second; }
  void ExpandTopLevel(Tree t, std::size_t i) override { Top(t)[i].second = true; }
  std::size_t SectionNodeCount() override { return sections.size(); }
  int SectionNodeImageIndex(std::size_t i) override { return sections[i].first; }
  bool IsSectionNodeChecked(std::size_t i) override { return sections[i].second; }
  void SetSectionNodeChecked(std::size_t i, bool on) override { sections[i].second = on; }
  std::optional<int> WindowShowCommand() override { return show_command; }
  WindowBounds CurrentWindowBounds() override { return bounds; }
  ScreenSize GetScreenSize() override { return {1024, 768}; }
};

}  // namespace norvik::core
