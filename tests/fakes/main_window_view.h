#pragma once
// The main window as the controller sees it, recording what it was told to show.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"

namespace norvik::app {

class FakeMainWindowView : public MainWindowView {
 public:
  std::map<int, bool> button_selected;
  std::map<int, bool> page_visible;
  std::set<std::pair<Tree, NodeId>> expanded;
  std::string registry_status = "<unset>";
  std::optional<bool> fast_mode;
  std::vector<std::string> log;
  bool backup_hidden = false;
  bool analyze_disabled = false;
  std::vector<std::string> defrag_rows;
  std::optional<int> show_command = 1;
  core::WindowBounds bounds{0, 0, 713, 495};  // the frame around a 697 x 456 client
  bool maximised = false;
  std::vector<unsigned> posted;
  int closes = 0, restores = 0;
  std::vector<std::string> questions, errors, dialogs;
  bool answer_yes = false;
  std::optional<std::string> save_name;

  void SetSideButtonSelected(int tag, bool on) override { button_selected[tag] = on; }
  void SetPageVisible(int tag, bool on) override { page_visible[tag] = on; }
  void RebuildTree(Tree) override {}
  void RefreshTreeChecks(Tree) override {}
  bool IsNodeExpanded(Tree t, NodeId id) override { return expanded.count({t, id}) > 0; }
  void ExpandNode(Tree t, NodeId id) override { expanded.insert({t, id}); }
  void ScrollCleanTreeToTop() override {}
  void SetFastModeChecked(bool on) override { fast_mode = on; }
  std::size_t LogLineCount() override { return log.size(); }
  std::vector<std::string> LogLines() override { return log; }
  void SetRegistryStatusText(std::string_view text) override { registry_status = text; }
  void HideWindowsBackupButton() override { backup_hidden = true; }
  void DisableAnalyzeRegistry() override { analyze_disabled = true; }
  void ClearDefragSizeLabels() override {}
  void AddDefragRow(std::string_view text) override { defrag_rows.emplace_back(text); }
  std::optional<int> WindowShowCommand() override { return show_command; }
  core::WindowBounds CurrentWindowBounds() override { return bounds; }
  core::ScreenSize GetScreenSize() override { return {1024, 768}; }
  void SetWindowBounds(const core::WindowBounds& b) override { bounds = b; }
  void MaximiseWindow() override { maximised = true; }
  void RestoreAndShowWindow() override { ++restores; }
  void PostToSelf(unsigned message) override { posted.push_back(message); }
  void CloseWindow() override { ++closes; }
  bool AskYesNo(std::string_view q) override {
    questions.emplace_back(q);
    return answer_yes;
  }
  void ShowError(std::string_view m) override { errors.emplace_back(m); }
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter) override {
    dialogs.push_back(std::string(title) + "|" + std::string(filter));
    return save_name;
  }
  void ShowAboutBox() override { dialogs.emplace_back("about"); }
  void ShowCustomListEditor() override { dialogs.emplace_back("custom list"); }
  void ShowOptionsDialog() override { dialogs.emplace_back("options"); }
  void PopupHelpMenu() override { dialogs.emplace_back("help menu"); }

  std::vector<int> VisiblePages() const {
    std::vector<int> out;
    for (const auto& [tag, on] : page_visible) if (on) out.push_back(tag);
    return out;
  }
  std::vector<int> SelectedButtons() const {
    std::vector<int> out;
    for (const auto& [tag, on] : button_selected) if (on) out.push_back(tag);
    return out;
  }
};

}  // namespace norvik::app
