#include "core/registry_access.h"

#include <algorithm>

namespace norvik::core {

using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;
using platform::Result;

RegistryAccess::RegistryAccess(platform::Registry& registry)
    : registry_(registry), root_key_(registry.Root(root_)) {}

RegistryAccess::~RegistryAccess() { CloseKey(); }

void RegistryAccess::SetRootKey(RegRoot root) {
  CloseKey();
  root_ = root;
  root_key_ = registry_.Root(root);
}

RegistryAccess::Target RegistryAccess::Resolve(std::string_view path) const {
  Target t{};
  t.from_root = !path.empty() && path.front() == '\\';
  if (t.from_root) path.remove_prefix(1);
  // A trailing backslash names the same key; keep the stored path clean.
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  t.path = std::string(path);
  t.base = (t.from_root || !current_.is_open()) ? &root_key_ : &current_;
  return t;
}

Result<RegKey> RegistryAccess::OpenTarget(const Target& target, bool create) const {
  // Creating with an empty path would only reopen the base, so plain open does.
  if (create && !target.path.empty()) return target.base->Create(target.path, access_);
  return target.base->Open(target.path, access_);
}

bool RegistryAccess::OpenKey(std::string_view path, bool create) {
  const Target target = Resolve(path);
  auto key = OpenTarget(target, create);
  if (!key) return false;
  std::string new_path;
  if (target.base == &current_ && !current_path_.empty()) {
    new_path = target.path.empty() ? current_path_ : current_path_ + "\\" + target.path;
  } else {
    new_path = target.path;
  }
  CloseKey();
  current_ = std::move(key).value();
  current_path_ = std::move(new_path);
  return true;
}

void RegistryAccess::CloseKey() {
  if (current_.is_open()) {
    // Flushing is costly on Windows; keys that were only read skip it. A key that
    // cannot be flushed is still closed.
    if (written_) (void)current_.Flush();
    current_.Close();
  }
  written_ = false;
  current_path_.clear();
}

bool RegistryAccess::KeyExists(std::string_view path) {
  return OpenTarget(Resolve(path), false).ok();
}

Result<RegValue> RegistryAccess::Query(std::string_view name) const {
  if (!current_.is_open()) return platform::Status(platform::kErrInvalidHandle);
  return current_.Query(name);
}

bool RegistryAccess::ValueExists(std::string_view name) { return Query(name).ok(); }

bool RegistryAccess::GetKeyNames(std::vector<std::string>& list) {
  list.clear();
  if (!current_.is_open()) return false;
  auto names = current_.SubKeyNames();
  if (!names) return false;
  list = std::move(names).value();
  return true;
}

bool RegistryAccess::GetValueNames(std::vector<std::string>& list) {
  list.clear();
  if (!current_.is_open()) return false;
  auto names = current_.ValueNames();
  if (!names) return false;
  list = std::move(names).value();
  return true;
}

bool RegistryAccess::GetKeyInfo(platform::RegKeyInfo& info) {
  info = {};
  if (!current_.is_open()) return false;
  auto r = current_.Info();
  if (!r) return false;
  info = *r;
  return true;
}

std::optional<RegType> RegistryAccess::GetDataType(std::string_view name) {
  auto v = Query(name);
  if (!v) return std::nullopt;
  return v->type;
}

std::int64_t RegistryAccess::GetDataSize(std::string_view name) {
  auto v = Query(name);
  if (!v) return -1;
  const auto bytes = static_cast<std::int64_t>(v->data.size());
  switch (v->type) {
    case RegType::Sz:
    case RegType::ExpandSz:
    case RegType::MultiSz:
      // Stored as UTF-16; the 8-bit view has one byte per character.
      return bytes / 2;
    default:
      return bytes;
  }
}

namespace {

constexpr platform::Status kWrongKind(platform::kErrDatatypeMismatch);

}  // namespace

Result<std::string> RegistryAccess::ReadString(std::string_view name) {
  auto v = Query(name);
  if (!v) return v.status();
  if (v->data.empty()) return std::string();
  if (!v->IsString()) return kWrongKind;
  return v->AsString();
}

Result<std::int32_t> RegistryAccess::ReadInteger(std::string_view name) {
  auto v = Query(name);
  if (!v) return v.status();
  if (v->type != RegType::Dword) return kWrongKind;
  return static_cast<std::int32_t>(v->AsDword());
}

Result<std::vector<std::uint8_t>> RegistryAccess::ReadBinaryData(std::string_view name) {
  auto v = Query(name);
  if (!v) return v.status();
  if (v->IsString() || v->type == RegType::Dword) return kWrongKind;
  return std::move(v).value().data;
}

Result<RegValue> RegistryAccess::ReadValue(std::string_view name) { return Query(name); }

bool RegistryAccess::WriteValue(std::string_view name, const RegValue& value) {
  if (!current_.is_open() || !current_.Set(name, value).ok()) return false;
  written_ = true;
  return true;
}

bool RegistryAccess::WriteString(std::string_view name, std::string_view text) {
  return WriteValue(name, RegValue::String(text));
}

bool RegistryAccess::WriteExpandString(std::string_view name, std::string_view text) {
  return WriteValue(name, RegValue::ExpandString(text));
}

bool RegistryAccess::WriteInteger(std::string_view name, std::int32_t value) {
  return WriteValue(name, RegValue::Dword(static_cast<std::uint32_t>(value)));
}

bool RegistryAccess::WriteBinaryData(std::string_view name, const std::vector<std::uint8_t>& bytes) {
  return WriteValue(name, RegValue::Binary(bytes));
}

bool RegistryAccess::DeleteValue(std::string_view name) {
  if (!current_.is_open() || !current_.DeleteValue(name).ok()) return false;
  written_ = true;
  return true;
}

bool RegistryAccess::DeleteTree(RegKey& parent, const std::string& name, int depth) {
  if (depth < kMaxDeleteDepth) {
    if (auto key = parent.Open(name, access_)) {
      // Names are taken once per key so that a subkey that will not go away cannot
      // keep the walk busy.
      std::vector<std::string> children = key->SubKeyNames().value_or({});
      for (auto it = children.rbegin(); it != children.rend(); ++it) {
        DeleteTree(*key, *it, depth + 1);
      }
    }
  }
  return parent.DeleteSubKey(name).ok();
}

bool RegistryAccess::DeleteKey(std::string_view path) {
  const Target target = Resolve(path);
  if (target.path.empty()) return false;
  const auto cut = target.path.rfind('\\');
  const std::string parent_path = cut == std::string::npos ? "" : target.path.substr(0, cut);
  const std::string leaf = cut == std::string::npos ? target.path : target.path.substr(cut + 1);
  if (leaf.empty()) return false;
  auto parent = target.base->Open(parent_path, access_);
  if (!parent) return false;
  return DeleteTree(*parent, leaf, 0);
}

std::optional<RegRoot> RootFromName(std::string_view name) {
  static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
      {"HKEY_CLASSES_ROOT", RegRoot::ClassesRoot},
      {"HKEY_CURRENT_USER", RegRoot::CurrentUser},
      {"HKEY_LOCAL_MACHINE", RegRoot::LocalMachine},
      {"HKEY_USERS", RegRoot::Users},
      {"HKEY_CURRENT_CONFIG", RegRoot::CurrentConfig},
  };
  for (const auto& [text, root] : kRoots) {
    if (text == name) return root;
  }
  return std::nullopt;
}

RegistryPath SplitRegistryPath(std::string_view full) {
  const auto cut = full.find('\\');
  if (cut == std::string_view::npos) return {std::string(full), {}};
  return {std::string(full.substr(0, cut)), std::string(full.substr(cut + 1))};
}

}  // namespace norvik::core
