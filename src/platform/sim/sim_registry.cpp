#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <mutex>

#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

// The lower-cased UTF-16 form orders names the way Wine lists them (its comparison folds
// to lower case, so "[x" sorts before "A"). It folds exactly the letters UpperCase folds,
// so two names share a key exactly when their upper-cased forms are equal.
std::u16string FoldedName(std::string_view utf8) {
  std::u16string s = Utf8ToUtf16(utf8);
  for (char16_t& c : s) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      c = static_cast<char16_t>(c + 32);
    } else if (c == 0x178) {
      c = 0xFF;
    }
  }
  return s;
}

// Names cross the W functions as zero-terminated strings. A name holding a NUL would
// silently name a shorter key or value (a path cut down to "" names the key itself), so
// both backends refuse it instead.
bool HasNul(std::string_view name) { return name.find('\0') != std::string_view::npos; }

struct Value {
  std::string name;
  std::u16string folded;
  RegValue value;
};

struct Node {
  std::string name;
  std::u16string folded;
  Node* parent = nullptr;  // null for a root and for a deleted key
  std::size_t depth = 0;
  bool deleted = false;
  bool access_denied = false;
  std::vector<std::shared_ptr<Node>> subkeys;  // sorted by `folded`
  std::vector<Value> values;                   // sorted by `folded`
};

template <typename T>
auto LowerBound(std::vector<T>& items, const std::u16string& folded) {
  return std::lower_bound(items.begin(), items.end(), folded, [](const T& item, const std::u16string& f) {
    if constexpr (std::is_same_v<T, Value>) {
      return item.folded < f;
    } else {
      return item->folded < f;
    }
  });
}

std::shared_ptr<Node> FindSubkey(Node& node, const std::u16string& folded) {
  auto it = LowerBound(node.subkeys, folded);
  return it != node.subkeys.end() && (*it)->folded == folded ? *it : nullptr;
}

Value* FindValue(Node& node, const std::u16string& folded) {
  auto it = LowerBound(node.values, folded);
  return it != node.values.end() && it->folded == folded ? &*it : nullptr;
}

void MarkDeleted(Node& node) {
  node.deleted = true;
  node.parent = nullptr;
  for (auto& sub : node.subkeys) MarkDeleted(*sub);
  node.subkeys.clear();
  node.values.clear();
}

// Splits a key path into names; empty names are dropped as the registry does.
Result<std::vector<std::string_view>> SplitPath(std::string_view path) {
  std::vector<std::string_view> names;
  if (!path.empty() && path.front() == '\\') return Status(kErrBadPathName);
  if (HasNul(path)) return Status(kErrInvalidParameter);
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string_view name = path.substr(0, slash);
    if (!name.empty()) {
      if (Utf8ToUtf16(name).size() > kMaxKeyNameChars) return Status(kErrInvalidParameter);
      names.push_back(name);
    }
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return names;
}

constexpr std::string_view kClassesPath = "Software\\Classes";
constexpr std::string_view kCurrentConfigPath =
    "System\\CurrentControlSet\\Hardware Profiles\\Current";

}  // namespace

struct detail::SimRegistryState {
  mutable std::mutex mutex;
  std::shared_ptr<Node> local_machine = std::make_shared<Node>();
  std::shared_ptr<Node> users = std::make_shared<Node>();
  std::shared_ptr<Node> performance_data = std::make_shared<Node>();
  std::shared_ptr<Node> dyn_data = std::make_shared<Node>();
  SimRegistry::FileWriter file_writer;
  std::vector<SimRegistry::HiveReplacement> replacements;

  // Walks `names` below `node`. With `create`, missing keys are made. The last key
  // must not be marked access-denied; keys on the way are not checked (traversal
  // needs no access on Windows).
  Result<std::shared_ptr<Node>> Walk(std::shared_ptr<Node> node,
                                     const std::vector<std::string_view>& names, bool create,
                                     bool check_access = true) {
    for (const std::string_view name : names) {
      const std::u16string folded = FoldedName(name);
      std::shared_ptr<Node> next = FindSubkey(*node, folded);
      if (!next) {
        if (!create) return Status(kErrFileNotFound);
        if (node->depth + 1 > kMaxKeyDepth) return Status(kErrInvalidParameter);
        next = std::make_shared<Node>();
        next->name = std::string(name);
        next->folded = folded;
        next->parent = node.get();
        next->depth = node->depth + 1;
        node->subkeys.insert(LowerBound(node->subkeys, folded), next);
      }
      node = std::move(next);
    }
    if (check_access && node->access_denied) return Status(kErrAccessDenied);
    return node;
  }

  // The key a predefined root stands for; the keys behind the views are remade if a
  // test deleted them.
  std::shared_ptr<Node> RootNode(RegRoot root) {
    auto view = [this](const std::shared_ptr<Node>& base, std::string_view path) {
      return Walk(base, SplitPath(path).value(), true, false).value();
    };
    switch (root) {
      case RegRoot::LocalMachine: return local_machine;
      case RegRoot::Users: return users;
      case RegRoot::ClassesRoot: return view(local_machine, kClassesPath);
      case RegRoot::CurrentUser: return view(users, kCurrentUserSid);
      case RegRoot::CurrentConfig: return view(local_machine, kCurrentConfigPath);
      case RegRoot::PerformanceData: return performance_data;
      case RegRoot::DynData: return dyn_data;
    }
    return dyn_data;
  }
};

namespace {

class SimKey : public RegKeyImpl {
 public:
  SimKey(std::shared_ptr<detail::SimRegistryState> shared, std::shared_ptr<Node> node,
         std::uint32_t access)
      : shared_(std::move(shared)), node_(std::move(node)), access_(access) {}

  Result<std::unique_ptr<RegKeyImpl>> Open(std::string_view path, std::uint32_t access,
                                           bool create) override {
    std::lock_guard lock(shared_->mutex);
    if (node_->deleted) return Status(kErrKeyDeleted);
    auto names = SplitPath(path);
    if (!names) return names.status();
    auto node = shared_->Walk(node_, *names, create);
    if (!node) return node.status();
    return std::unique_ptr<RegKeyImpl>(std::make_unique<SimKey>(shared_, *node, access));
  }

  Result<std::string> EnumKey(std::uint32_t index) const override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(reg_access::kEnumerateSubKeys); !s) return s;
    if (index >= node_->subkeys.size()) return Status(kErrNoMoreItems);
    return node_->subkeys[index]->name;
  }

  Result<std::string> EnumValue(std::uint32_t index) const override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(reg_access::kQueryValue); !s) return s;
    if (index >= node_->values.size()) return Status(kErrNoMoreItems);
    return node_->values[index].name;
  }

  Result<RegKeyInfo> Info() const override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(0); !s) return s;
    RegKeyInfo info;
    info.subkey_count = static_cast<std::uint32_t>(node_->subkeys.size());
    info.value_count = static_cast<std::uint32_t>(node_->values.size());
    return info;
  }

  Result<RegValue> Query(std::string_view name) const override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(reg_access::kQueryValue); !s) return s;
    if (HasNul(name)) return Status(kErrFileNotFound);
    const Value* v = FindValue(*node_, FoldedName(name));
    if (!v) return Status(kErrFileNotFound);
    return v->value;
  }

  Status Set(std::string_view name, const RegValue& value) override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(reg_access::kSetValue); !s) return s;
    if (HasNul(name)) return Status(kErrInvalidParameter);
    const std::u16string folded = FoldedName(name);
    if (folded.size() > kMaxValueNameChars) return Status(kErrInvalidParameter);
    if (Value* v = FindValue(*node_, folded)) {
      v->value = value;  // the name keeps the case it was created with
      return Status::Ok();
    }
    node_->values.insert(LowerBound(node_->values, folded), Value{std::string(name), folded, value});
    return Status::Ok();
  }

  Status DeleteValue(std::string_view name) override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(reg_access::kSetValue); !s) return s;
    if (HasNul(name)) return Status(kErrFileNotFound);
    const std::u16string folded = FoldedName(name);
    auto it = LowerBound(node_->values, folded);
    if (it == node_->values.end() || it->folded != folded) return Status(kErrFileNotFound);
    node_->values.erase(it);
    return Status::Ok();
  }

  Status DeleteSubKey(std::string_view path) override {
    std::lock_guard lock(shared_->mutex);
    if (auto s = Usable(0); !s) return s;
    if (HasNul(path)) return Status(kErrFileNotFound);
    auto names = SplitPath(path);
    if (!names) return names.status();
    // An empty path would name this key itself; only subkeys are deleted here.
    if (names->empty()) return Status(kErrInvalidParameter);
    auto found = shared_->Walk(node_, *names, false);
    if (!found) return found.status();
    Node& target = **found;
    // A root has no parent to be removed from; Windows refuses it like a non-empty key.
    if (!target.subkeys.empty() || target.parent == nullptr) return Status(kErrAccessDenied);
    auto& siblings = target.parent->subkeys;
    siblings.erase(LowerBound(siblings, target.folded));
    MarkDeleted(target);
    return Status::Ok();
  }

  Status Flush() override {
    std::lock_guard lock(shared_->mutex);
    return Usable(0);
  }

  Status SaveToFile(const std::string& path) override {
    SimRegistry::FileWriter writer;
    {
      std::lock_guard lock(shared_->mutex);
      if (auto s = Usable(0); !s) return s;
      if (!shared_->file_writer) return Status(kErrNotSupported);
      writer = shared_->file_writer;
    }
    // The text is made through a key of its own so that each read takes the lock itself.
    RegKey reader(std::make_unique<SimKey>(shared_, node_, reg_access::kRead));
    return writer(path, SubtreeToRegText(reader, kSavedHiveRoot, RegFormat::Version5));
  }

 private:
  Status Usable(std::uint32_t needed_access) const {
    if (node_->deleted) return Status(kErrKeyDeleted);
    if ((access_ & needed_access) != needed_access) return Status(kErrAccessDenied);
    return Status::Ok();
  }

  std::shared_ptr<detail::SimRegistryState> shared_;
  std::shared_ptr<Node> node_;
  std::uint32_t access_;
};

}  // namespace

SimRegistry::SimRegistry() : shared_(std::make_shared<detail::SimRegistryState>()) {
  for (const std::string_view path : {std::string_view("Hardware"), kClassesPath, kCurrentConfigPath}) {
    (void)shared_->Walk(shared_->local_machine, SplitPath(path).value(), true);
  }
  for (const std::string_view path : {std::string_view(".Default"), kCurrentUserSid}) {
    (void)shared_->Walk(shared_->users, SplitPath(path).value(), true);
  }
}

SimRegistry::~SimRegistry() = default;

RegKey SimRegistry::Root(RegRoot root) {
  std::lock_guard lock(shared_->mutex);
  return RegKey(std::make_unique<SimKey>(shared_, shared_->RootNode(root), reg_access::kAllAccess));
}

Status SimRegistry::ReplaceHive(RegRoot root, std::string_view subkey, const std::string& new_file,
                                const std::string& old_file) {
  std::lock_guard lock(shared_->mutex);
  shared_->replacements.push_back({root, std::string(subkey), new_file, old_file});
  return Status::Ok();
}

Result<RegKey> SimRegistry::OpenKey(RegRoot root, std::string_view path, std::uint32_t access) const {
  std::lock_guard lock(shared_->mutex);
  auto names = SplitPath(path);
  if (!names) return names.status();
  auto node = shared_->Walk(shared_->RootNode(root), *names, false);
  if (!node) return node.status();
  return RegKey(std::make_unique<SimKey>(shared_, *node, access));
}

void SimRegistry::SetFileWriter(FileWriter writer) {
  std::lock_guard lock(shared_->mutex);
  shared_->file_writer = std::move(writer);
}

Status SimRegistry::SetAccessDenied(RegRoot root, std::string_view path, bool denied) {
  std::lock_guard lock(shared_->mutex);
  auto names = SplitPath(path);
  if (!names) return names.status();
  auto node = shared_->Walk(shared_->RootNode(root), *names, true, false);
  if (!node) return node.status();
  (*node)->access_denied = denied;
  return Status::Ok();
}

std::vector<SimRegistry::HiveReplacement> SimRegistry::hive_replacements() const {
  std::lock_guard lock(shared_->mutex);
  return shared_->replacements;
}

std::string SaveRegText(const SimRegistry& registry, RegFormat format) {
  std::vector<RegKey> roots;
  std::vector<RegSubtree> subtrees;
  roots.reserve(2);
  for (const RegRoot root : {RegRoot::LocalMachine, RegRoot::Users}) {
    if (auto key = registry.OpenKey(root, "")) {
      roots.push_back(std::move(key).value());
      subtrees.push_back({roots.back(), std::string(RootName(root))});
    }
  }
  return SubtreesToRegText(subtrees, format);
}

}  // namespace norvik::platform::sim
