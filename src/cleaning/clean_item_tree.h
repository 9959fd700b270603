#pragma once
// The catalogue of clean items as a two-level tree: groups (browsers, Windows, Office, ...)
// and their items. A run receives the ticked items as run names, group + " - " + item.

#include <string>
#include <string_view>
#include <vector>

#include "core/check_tree.h"
#include "platform/platform.h"

namespace norvik::cleaning {

using core::NodeId;

inline constexpr std::string_view kRunNameSeparator = " - ";
inline constexpr std::string_view kApplicationsGroup = "Applications";
inline constexpr std::string_view kCustomListsGroup = "Custom Lists";
inline constexpr std::string_view kNewListItem = "<New List>";
inline constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Where a run finds an item's work.
enum class ItemSource {
  OwnCleaner,  // code of its own, registered in the run's CleanerTable
  QoltList,    // its section of qolt.dat
  CustomList,  // its section of the user's Custom.dat
};
// The source the catalogue gives a run name. Items added at run time take their group's:
// Applications read qolt.dat, Custom Lists read Custom.dat; unknown names read qolt.dat.
ItemSource SourceOfItem(std::string_view run_name);

class CleanItemTree {
 public:
  // The fixed catalogue, every node unticked; "Applications" has no items yet.
  CleanItemTree();

  const core::CheckTree& tree() const { return tree_; }

  // A group's name is its text; an item's name is its group's text, " - " and its text.
  std::string Name(NodeId id) const;

  // Run names of every ticked item (groups are never cleaned), in tree order.
  void CollectSelectedItems(std::vector<std::string>& list) const;
  // Names of every ticked node, groups included, each node followed by its children.
  std::vector<std::string> CheckedNames() const;
  // Ticks every node whose name equals `name` exactly; an unknown name changes nothing.
  void CheckItemByName(std::string_view name);
  // A top-level node with exactly this text is ticked.
  bool IsGroupChecked(std::string_view group) const;
  void UncheckAll();

  // A click on a node's state image: toggles it; a group passes its new state to its
  // items, an item ticks its group when any item of the group is ticked.
  void ToggleByUser(NodeId id);

  // Adds under "Applications" (found ignoring letter case) each qolt.dat section that
  // matches an installed program's display name: either contains the other, ignoring
  // case. Order of first match; each section at most once; existing children are kept.
  void BuildApplicationsBranch(const std::vector<std::string>& sections,
                               const std::vector<std::string>& display_names);

 private:
  core::CheckTree tree_;
};

// What BuildApplicationsBranch needs from the machine: the section names of `qolt_path`
// in file order and the non-empty display names under HKLM's Uninstall key, in the order
// the subkeys are listed. Anything unreadable gives an empty list.
struct ApplicationSources {
  std::vector<std::string> sections;
  std::vector<std::string> display_names;
};
ApplicationSources ReadApplicationSources(platform::Platform platform, const std::string& qolt_path);

}  // namespace norvik::cleaning
