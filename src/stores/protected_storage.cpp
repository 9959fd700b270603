#include "stores/protected_storage.h"

namespace norvik::stores {
namespace {

// The first `max` characters of UTF-8 text, never splitting one.
std::string CutToChars(std::string text, std::size_t max) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // a continuation byte
    if (chars++ == max) {
      text.resize(i);
      break;
    }
  }
  return text;
}

template <typename T>
std::vector<T> Drain(platform::Result<std::unique_ptr<platform::StoreEnumerator<T>>> opened) {
  std::vector<T> all;
  if (!opened || !*opened) return all;
  for (;;) {
    std::vector<T> batch = (*opened)->Next(kEnumBatch);
    if (batch.empty()) break;
    for (T& element : batch) all.push_back(std::move(element));
  }
  return all;
}

}  // namespace

bool TPStorage::Connect() {
  Disconnect();
  if (!Available()) return false;
  auto provider = system_.ConnectProtectedStorage();
  if (!provider || !*provider) return false;
  provider_ = std::move(*provider);
  return true;
}

TIDList TPStorage::Types() { return provider_ ? Drain(provider_->EnumTypes()) : TIDList(); }

TIDList TPStorage::Subtypes(const StoreGuid& type) {
  return provider_ ? Drain(provider_->EnumSubtypes(type)) : TIDList();
}

TItemList TPStorage::Items(const StoreGuid& type, const StoreGuid& subtype) {
  if (!provider_) return {};
  TItemList items = Drain(provider_->EnumItems(type, subtype));
  for (std::string& item : items) item = CutToChars(std::move(item), kMaxItemNameChars);
  return items;
}

std::string TPStorage::TypeName(const StoreGuid& type) {
  if (!provider_) return {};
  return provider_->TypeName(type).value_or(std::string());
}

bool TPStorage::DeleteItem(const StoreGuid& type, const StoreGuid& subtype, std::string_view item) {
  return provider_ && provider_->DeleteItem(type, subtype, item).ok();
}

}  // namespace norvik::stores
