#pragma once
// One move-only owner per Windows handle kind. Each closes its handle with the one
// function that handle kind needs; none of them can be copied, so a handle is never
// closed twice and never outlives its owner by accident.

#include "platform/win32/windows_api.h"
#include <objbase.h>

#include <utility>

namespace norvik::platform::win32 {

// The owner shared by all handle kinds; `Traits` says what "no handle" is and how to close.
template <typename Traits>
class unique_any {
 public:
  using pointer = typename Traits::type;

  unique_any() noexcept = default;
  explicit unique_any(pointer value) noexcept : value_(value) {}
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  pointer get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::is_valid(value_); }

  void reset(pointer value = Traits::invalid()) noexcept {
    const pointer old = std::exchange(value_, value);
    if (Traits::is_valid(old)) Traits::close(old);
  }
  pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
  // For out parameters: closes what is held and hands out the storage.
  pointer* put() noexcept {
    reset();
    return &value_;
  }

 private:
  pointer value_ = Traits::invalid();
};

// The predefined keys are owned by the system: "closing" them would drop the
// process-wide cached handle, so an owner holding one closes nothing.
inline bool IsPredefinedKey(HKEY key) noexcept {
  static const HKEY kPredefined[] = {HKEY_CLASSES_ROOT,      HKEY_CURRENT_USER,
                                     HKEY_LOCAL_MACHINE,     HKEY_USERS,
                                     HKEY_PERFORMANCE_DATA,  HKEY_PERFORMANCE_TEXT,
                                     HKEY_PERFORMANCE_NLSTEXT, HKEY_CURRENT_CONFIG,
                                     HKEY_DYN_DATA};
  for (const HKEY k : kPredefined) {
    if (k == key) return true;
  }
  return false;
}

struct hkey_traits {
  using type = HKEY;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept {
    if (!IsPredefinedKey(h)) ::RegCloseKey(h);
  }
};

// Kernel handles: some functions fail with NULL, others with INVALID_HANDLE_VALUE.
struct handle_traits {
  using type = HANDLE;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::CloseHandle(h); }
};

struct find_traits {
  using type = HANDLE;
  static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool is_valid(type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(type h) noexcept { ::FindClose(h); }
};

// Kinds whose "no handle" is NULL and that one function closes.
template <typename T, auto Close>
struct null_handle_traits {
  using type = T;
  static type invalid() noexcept { return nullptr; }
  static bool is_valid(type h) noexcept { return h != nullptr; }
  static void close(type h) noexcept { Close(h); }
};

using hlocal_traits = null_handle_traits<HLOCAL, &::LocalFree>;
// SIDs made by AllocateAndInitializeSid.
using sid_traits = null_handle_traits<PSID, &::FreeSid>;
// Memory the shell hands out (item id lists).
using cotaskmem_traits = null_handle_traits<void*, &::CoTaskMemFree>;
// Libraries loaded with LoadLibrary.
using hmodule_traits = null_handle_traits<HMODULE, &::FreeLibrary>;

using unique_hkey = unique_any<hkey_traits>;
using unique_handle = unique_any<handle_traits>;
using unique_find = unique_any<find_traits>;
using unique_hlocal = unique_any<hlocal_traits>;
using unique_sid = unique_any<sid_traits>;
using unique_cotaskmem = unique_any<cotaskmem_traits>;
using unique_hmodule = unique_any<hmodule_traits>;

// A COM interface pointer: one reference, released with the owner.
template <typename T>
class unique_com {
 public:
  unique_com() noexcept = default;
  explicit unique_com(T* ptr) noexcept : ptr_(ptr) {}
  unique_com(unique_com&& other) noexcept : ptr_(other.release()) {}
  unique_com& operator=(unique_com&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_com(const unique_com&) = delete;
  unique_com& operator=(const unique_com&) = delete;
  ~unique_com() { reset(); }

  T* get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }

  void reset(T* ptr = nullptr) noexcept {
    T* old = std::exchange(ptr_, ptr);
    if (old) old->Release();
  }
  T* release() noexcept { return std::exchange(ptr_, nullptr); }
  T** put() noexcept {
    reset();
    return &ptr_;
  }
  // For the void** out parameter of CoCreateInstance and QueryInterface.
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

 private:
  T* ptr_ = nullptr;
};

// Initialises COM on this thread for a scope. A thread already in another apartment
// (RPC_E_CHANGED_MODE) can still use the objects we need, and must not be uninitialised.
class scoped_com_init {
 public:
  scoped_com_init() noexcept
      : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  scoped_com_init(const scoped_com_init&) = delete;
  scoped_com_init& operator=(const scoped_com_init&) = delete;
  ~scoped_com_init() {
    if (initialised_) ::CoUninitialize();
  }

 private:
  bool initialised_;
};

}  // namespace norvik::platform::win32
