#include "regscan/section_tree.h"

namespace norvik::regscan {
namespace {

struct Section {
  const char* text;
  int code;
};

const Section kHives[] = {
    {"HKEY_CLASSES_ROOT", 3}, {"HKEY_CURRENT_USER", 4}, {"HKEY_LOCAL_MACHINE", 5}, {"HKEY_USERS", 6}};

// The root's children in tree order; "Files and Folders" holds the hives.
const Section kRootChildren[] = {
    {"Files and Folders", kFilesAndFoldersCode},
    {"Shared DLLs", 7},
    {"Software Locations", 8},
    {"Start Menu Section", 9},
    {"Obsolete Software", 10},
    {"File Extensions", 11},
    {"Fonts Section", 12},
    {"Help File Paths", 13},
    {"Startup Programs", 14},
    {"Add/Remove Programs", 15},
    {"Custom Controls", 16},
    {"Windows Services", 17},
    {"Shortcuts", 18},
    {"Sound and Appevents", 19},
    {"Invalid ActiveX", 20},
    {"Installer", 21},
    {"Applications", 22},
    {"Uninstaller Entry", 23},
    {"MRU History Lists", 24},
    {"Empty Keys", 25},
};

int StateOf(bool checked) { return checked ? core::kTicked : core::kUnticked; }

}  // namespace

SectionTree::SectionTree() {
  const NodeId root = tree_.Add(std::nullopt, "My Computers", kRootSectionCode);
  for (const auto& section : kRootChildren) {
    const NodeId id = tree_.Add(root, section.text, section.code);
    if (section.code == kFilesAndFoldersCode) {
      for (const auto& hive : kHives) tree_.Add(id, hive.text, hive.code);
    }
  }
  for (NodeId id = 0; id < tree_.size(); ++id) tree_.SetState(id, core::kTicked);
}

void SectionTree::ToggleByUser(NodeId id) {
  const int state = tree_.node(id).state;
  if (state == core::kUnticked) {
    tree_.SetState(id, core::kTicked);
  } else if (state == core::kTicked) {
    tree_.SetState(id, core::kUnticked);
  } else {
    return;
  }
  tree_.SetSubtreeState(id, tree_.node(id).state);
  RecomputeParent(id);
}

void SectionTree::SetChecked(NodeId id, bool checked) { tree_.SetState(id, StateOf(checked)); }

std::vector<int> SectionTree::TickedCodes() const {
  std::vector<int> codes;
  for (NodeId id : tree_.WalkOrder()) {
    if (tree_.node(id).state == core::kTicked) codes.push_back(Code(id));
  }
  return codes;
}

void SectionTree::RecomputeParent(NodeId id) {
  for (auto parent = tree_.node(id).parent; parent; parent = tree_.node(*parent).parent) {
    tree_.SetState(*parent, StateOf(tree_.AnyChildTicked(*parent)));
  }
}

}  // namespace norvik::regscan
