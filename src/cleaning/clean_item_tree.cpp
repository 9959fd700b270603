#include "cleaning/clean_item_tree.h"

#include <algorithm>
#include <initializer_list>

#include "core/registry_access.h"
#include "platform/text_encoding.h"

namespace norvik::cleaning {
namespace {

struct Item {
  // Implicit, so that an item of code of its own is just its text in the table below.
  constexpr Item(const char* item_text) : text(item_text), source(ItemSource::OwnCleaner) {}  // NOLINT
  constexpr Item(std::string_view item_text, ItemSource item_source) : text(item_text), source(item_source) {}
  std::string_view text;
  ItemSource source;
};

constexpr ItemSource kQolt = ItemSource::QoltList;

struct Group {
  std::string_view text;
  int image_index;
  std::initializer_list<Item> items;
  ItemSource added_items = kQolt;  // the source of items added at run time
};

// Tree order is catalogue order; the image index identifies a group.
const Group kCatalogue[] = {
    {"Internet Explorer", 1,
     {"Recently Typed URLs", "Cookies", "Visited URL History", "Last Download Location",
      "Temporary Internet Files", "Index.dat Files", "Autocomplete History"}},
    {"Windows", 2,
     {"Recent Documents", "Start Run", "Search Assistant", "Empty Recycle Bin", "Temporary Files",
      "Clipboard", "Memory Dumps", "Chkdsk File Fragments", {"Windows Log Files", kQolt}}},
    {"Netscape", 3,
     {"Cookies", "Visited URL History", "Temporary Internet Files", "Preferences",
      "Saved Form Information"}},
    {"Opera", 4,
     {"Recently Typed URLs", "Cookies", "Visited URL History", "Temporary Internet Files",
      "Autocomplete History", "Transfers"}},
    {"Mozilla Firefox", 5,
     {"Cookies", "Visited URL History", "Download Manager", "Temporary Internet Files",
      "Autocomplete History", "Preferences", "Saved Form Information"}},
    {"Google Chrome", 11,
     {"Temporary Internet Files", "Cookies", "Visited URL History", "Session",
      "Stored passwords in Forms", "Saved Form Information", "Download History", "Local Storage"}},
    {"Advanced", 6,
     {"Open File History", "Menu Order Cache", "Tray Notifications Cache", "User Assist History",
      "Paint", {"Google Toolbar History", kQolt}, {"MSN Toolbar History", kQolt}, {"Yahoo! Toolbar History", kQolt}}},
    {"Microsoft Office", 7, {"Access", "Excel", "FrontPage", "Powerpoint", "Word", "Recent Files"}},
    {"Instant Messengers", 8,
     {"MSN Messenger", "Yahoo! Messenger", {"ICQ", kQolt}, {"AOL Instant Messenger", kQolt}, "Skype"}},
    {kApplicationsGroup, 9, {}},
    {kCustomListsGroup, 10, {{kNewListItem, ItemSource::CustomList}}, ItemSource::CustomList},
};

bool ContainsIgnoreCase(const std::string& upper_haystack, const std::string& upper_needle) {
  return upper_haystack.find(upper_needle) != std::string::npos;
}

// Display names of the programs under one Uninstall key, in the order the subkeys come.
void AppendDisplayNames(core::RegistryAccess& reg, const std::string& uninstall,
                        std::vector<std::string>& names) {
  reg.CloseKey();
  if (!reg.OpenKey(uninstall, false)) return;
  std::vector<std::string> subkeys;
  reg.GetKeyNames(subkeys);
  for (const auto& subkey : subkeys) {
    reg.CloseKey();
    if (!reg.OpenKey(uninstall + "\\" + subkey, false)) continue;
    // A display name that is not text names nothing we could match.
    auto name = reg.ReadString("DisplayName").value_or({});
    if (!name.empty()) names.push_back(std::move(name));
  }
  reg.CloseKey();
}

}  // namespace

ItemSource SourceOfItem(std::string_view run_name) {
  for (const Group& group : kCatalogue) {
    if (!run_name.starts_with(group.text) || !run_name.substr(group.text.size()).starts_with(kRunNameSeparator)) {
      continue;
    }
    const std::string_view text = run_name.substr(group.text.size() + kRunNameSeparator.size());
    for (const Item& item : group.items) {
      if (item.text == text) return item.source;
    }
    return group.added_items;
  }
  return kQolt;
}

CleanItemTree::CleanItemTree() {
  for (const auto& group : kCatalogue) {
    const NodeId id = tree_.Add(std::nullopt, std::string(group.text), group.image_index);
    for (const Item& item : group.items) tree_.Add(id, std::string(item.text), group.image_index);
  }
}

std::string CleanItemTree::Name(NodeId id) const {
  const auto& node = tree_.node(id);
  if (!node.parent) return node.text;
  return tree_.node(*node.parent).text + std::string(kRunNameSeparator) + node.text;
}

void CleanItemTree::CollectSelectedItems(std::vector<std::string>& list) const {
  for (NodeId group : tree_.TopLevel()) {
    for (NodeId item : tree_.node(group).children) {
      if (tree_.node(item).state == core::kTicked) list.push_back(Name(item));
    }
  }
}

std::vector<std::string> CleanItemTree::CheckedNames() const {
  std::vector<std::string> names;
  for (NodeId id : tree_.WalkOrder()) {
    if (tree_.node(id).state == core::kTicked) names.push_back(Name(id));
  }
  return names;
}

void CleanItemTree::CheckItemByName(std::string_view name) {
  for (NodeId id = 0; id < tree_.size(); ++id) {
    if (Name(id) == name) tree_.SetState(id, core::kTicked);
  }
}

bool CleanItemTree::IsGroupChecked(std::string_view group) const {
  for (NodeId id : tree_.TopLevel()) {
    if (tree_.node(id).text == group && tree_.node(id).state == core::kTicked) return true;
  }
  return false;
}

void CleanItemTree::UncheckAll() {
  for (NodeId id = 0; id < tree_.size(); ++id) tree_.SetState(id, core::kUnticked);
}

void CleanItemTree::ToggleByUser(NodeId id) {
  const auto& node = tree_.node(id);
  if (node.state == core::kUnticked) {
    tree_.SetState(id, core::kTicked);
  } else if (node.state == core::kTicked) {
    tree_.SetState(id, core::kUnticked);
  }
  if (!node.parent) {
    tree_.SetSubtreeState(id, node.state);
  } else {
    tree_.SetState(*node.parent, tree_.AnyChildTicked(*node.parent) ? core::kTicked : core::kUnticked);
  }
}

void CleanItemTree::BuildApplicationsBranch(const std::vector<std::string>& sections,
                                            const std::vector<std::string>& display_names) {
  std::optional<NodeId> group;
  for (NodeId id : tree_.TopLevel()) {
    if (platform::EqualsIgnoreCase(tree_.node(id).text, kApplicationsGroup)) {
      group = id;
      break;
    }
  }
  if (!group) return;

  std::vector<std::string> upper_sections;
  upper_sections.reserve(sections.size());
  for (const auto& s : sections) upper_sections.push_back(platform::UpperCase(s));
  std::vector<std::string> present;
  for (NodeId child : tree_.node(*group).children) present.push_back(platform::UpperCase(tree_.node(child).text));

  for (const auto& display : display_names) {
    if (display.empty()) continue;
    const auto upper_display = platform::UpperCase(display);
    for (std::size_t i = 0; i < sections.size(); ++i) {
      const auto& upper = upper_sections[i];
      // An empty section name would "occur" in every display name.
      if (upper.empty()) continue;
      if (!ContainsIgnoreCase(upper_display, upper) && !ContainsIgnoreCase(upper, upper_display)) continue;
      if (std::find(present.begin(), present.end(), upper) != present.end()) continue;
      tree_.Add(*group, sections[i], tree_.node(*group).image_index);
      present.push_back(upper);
    }
  }
}

ApplicationSources ReadApplicationSources(platform::Platform platform, const std::string& qolt_path) {
  ApplicationSources sources;
  sources.sections = platform.ini.GetSections(qolt_path);
  if (sources.sections.empty()) return sources;  // nothing could match

  core::RegistryAccess reg(platform.registry);
  reg.SetAccess(platform::reg_access::kRead);
  reg.SetRootKey(platform::RegRoot::LocalMachine);
  AppendDisplayNames(reg, std::string(kUninstallKey), sources.display_names);
  // This build is 64-bit; 32-bit programs register under the WOW64 view.
  AppendDisplayNames(reg, "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                     sources.display_names);
  return sources;
}

}  // namespace norvik::cleaning
