#include "platform/registry.h"

#include "platform/text_encoding.h"

namespace norvik::platform {
namespace {

void AppendUtf16(std::vector<std::uint8_t>& out, std::u16string_view text) {
  for (const char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

std::u16string ReadUtf16(const std::vector<std::uint8_t>& data, std::size_t& pos) {
  std::u16string out;
  while (pos + 1 < data.size()) {
    const char16_t c = static_cast<char16_t>(data[pos] | (data[pos + 1] << 8));
    pos += 2;
    if (c == 0) return out;
    out += c;
  }
  pos = data.size();
  return out;
}

}  // namespace

RegValue RegValue::String(std::string_view utf8, RegType type) {
  RegValue v;
  v.type = type;
  AppendUtf16(v.data, Utf8ToUtf16(utf8));
  AppendUtf16(v.data, std::u16string(1, u'\0'));
  return v;
}

RegValue RegValue::MultiString(const std::vector<std::string>& items) {
  RegValue v;
  v.type = RegType::MultiSz;
  for (const auto& item : items) {
    AppendUtf16(v.data, Utf8ToUtf16(item));
    AppendUtf16(v.data, std::u16string(1, u'\0'));
  }
  AppendUtf16(v.data, std::u16string(1, u'\0'));
  return v;
}

RegValue RegValue::Dword(std::uint32_t n) {
  RegValue v;
  v.type = RegType::Dword;
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  return v;
}

RegValue RegValue::Qword(std::uint64_t n) {
  RegValue v;
  v.type = RegType::Qword;
  for (int i = 0; i < 8; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  return v;
}

RegValue RegValue::Binary(std::vector<std::uint8_t> bytes, RegType type) {
  RegValue v;
  v.type = type;
  v.data = std::move(bytes);
  return v;
}

std::string RegValue::AsString() const {
  if (!IsString()) return {};
  std::size_t pos = 0;
  return Utf16ToUtf8(ReadUtf16(data, pos));
}

std::vector<std::string> RegValue::AsMultiString() const {
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos + 1 < data.size()) {
    std::u16string item = ReadUtf16(data, pos);
    if (item.empty()) break;
    items.push_back(Utf16ToUtf8(item));
  }
  return items;
}

std::uint32_t RegValue::AsDword() const {
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) n |= std::uint32_t{data[i]} << (8 * i);
  return n;
}

std::uint64_t RegValue::AsQword() const {
  std::uint64_t n = 0;
  for (std::size_t i = 0; i < 8 && i < data.size(); ++i) n |= std::uint64_t{data[i]} << (8 * i);
  return n;
}

namespace {

Result<RegKey> OpenWith(RegKeyImpl* impl, std::string_view path, std::uint32_t access, RegOpenMode mode) {
  if (!impl) return Status(kErrInvalidHandle);
  auto r = impl->Open(path, access, mode);
  if (!r) return r.status();
  return RegKey(std::move(r).value());
}

}  // namespace

Result<RegKey> RegKey::Open(std::string_view path, std::uint32_t access) const {
  return OpenWith(impl_.get(), path, access, RegOpenMode::Existing);
}

Result<RegKey> RegKey::Create(std::string_view path, std::uint32_t access) const {
  return OpenWith(impl_.get(), path, access, RegOpenMode::Create);
}

Result<RegKey> RegKey::OpenLink(std::string_view path, std::uint32_t access) const {
  return OpenWith(impl_.get(), path, access, RegOpenMode::Link);
}

bool RegKey::IsLink() const {
  auto value = Query(kSymbolicLinkValue);
  return value && value->type == RegType::Link;
}

Result<std::vector<std::string>> RegKey::SubKeyNames() const {
  if (auto s = Check(); !s) return s;
  std::vector<std::string> names;
  for (std::uint32_t i = 0;; ++i) {
    auto r = impl_->EnumKey(i);
    if (!r) {
      if (r.code() == kErrNoMoreItems) return names;
      return r.status();
    }
    names.push_back(std::move(r).value());
  }
}

Result<std::vector<std::string>> RegKey::ValueNames() const {
  if (auto s = Check(); !s) return s;
  std::vector<std::string> names;
  for (std::uint32_t i = 0;; ++i) {
    auto r = impl_->EnumValue(i);
    if (!r) {
      if (r.code() == kErrNoMoreItems) return names;
      return r.status();
    }
    names.push_back(std::move(r).value());
  }
}

Result<RegKeyInfo> RegKey::Info() const {
  if (auto s = Check(); !s) return s;
  return impl_->Info();
}

Result<RegValue> RegKey::Query(std::string_view name) const {
  if (auto s = Check(); !s) return s;
  return impl_->Query(name);
}

Status RegKey::Set(std::string_view name, const RegValue& value) {
  if (auto s = Check(); !s) return s;
  return impl_->Set(name, value);
}

Status RegKey::DeleteValue(std::string_view name) {
  if (auto s = Check(); !s) return s;
  return impl_->DeleteValue(name);
}

Status RegKey::DeleteSubKey(std::string_view name) {
  if (auto s = Check(); !s) return s;
  return impl_->DeleteSubKey(name);
}

Status RegKey::Flush() {
  if (auto s = Check(); !s) return s;
  return impl_->Flush();
}

Status RegKey::SaveToFile(const std::string& path) {
  if (auto s = Check(); !s) return s;
  return impl_->SaveToFile(path);
}

namespace {

// Returns false once the visitor has asked to stop.
bool WalkKey(const RegKey& key, const std::string& path, int depth,
             const std::function<WalkAction(const WalkEntry&)>& visit, std::uint32_t access) {
  const WalkAction action = visit(WalkEntry{path, key, depth});
  if (action == WalkAction::Stop) return false;
  if (action == WalkAction::SkipSubkeys || depth >= kMaxRegistryDepth) return true;
  auto names = key.SubKeyNames();
  if (!names) return true;
  for (const std::string& name : *names) {
    // Opened as itself, a link has no subkeys to enter.
    auto sub = key.OpenLink(name, access);
    if (!sub) continue;
    const std::string sub_path = path.empty() ? name : path + "\\" + name;
    if (!WalkKey(*sub, sub_path, depth + 1, visit, access)) return false;
  }
  return true;
}

}  // namespace

bool WalkSubtree(const RegKey& start, const std::function<WalkAction(const WalkEntry&)>& visit,
                 std::uint32_t access) {
  if (!start.is_open()) return true;
  return WalkKey(start, std::string(), 0, visit, access);
}

std::string_view RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return "HKEY_USERS";
    case RegRoot::PerformanceData: return "HKEY_PERFORMANCE_DATA";
    case RegRoot::CurrentConfig: return "HKEY_CURRENT_CONFIG";
    case RegRoot::DynData: return "HKEY_DYN_DATA";
  }
  return {};
}

}  // namespace norvik::platform
