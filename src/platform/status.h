#pragma once
// Results of platform calls. Every call answers with the Windows error number it
// got (0 = success), so callers and tests see the same codes on both backends.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace norvik::platform {

// The Windows error numbers the program looks at. Both backends report these values.
enum ErrorCode : std::uint32_t {
  kOk = 0,
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrAccessDenied = 5,
  kErrInvalidHandle = 6,
  kErrNotEnoughMemory = 8,
  kErrNotReady = 21,
  kErrSharingViolation = 32,
  kErrFileExists = 80,
  kErrInvalidParameter = 87,
  kErrInsufficientBuffer = 122,
  kErrInvalidName = 123,
  kErrDirNotEmpty = 145,
  kErrAlreadyExists = 183,
  kErrFileTooLarge = 223,
  kErrMoreData = 234,
  kErrNoMoreItems = 259,
  kErrNoMoreFiles = 18,
  kErrNotSupported = 50,
  kErrNoToken = 1008,
  kErrBadKey = 1010,
  kErrKeyDeleted = 1018,
  kErrNotAllAssigned = 1300,
  kErrNoSuchPrivilege = 1313,
  kErrCallNotImplemented = 120,
  kErrProcNotFound = 127,
  kErrDatatypeMismatch = 1629,
};

// Outcome of a call that returns nothing else.
class [[nodiscard]] Status {
 public:
  constexpr Status() = default;
  constexpr explicit Status(std::uint32_t code) : code_(code) {}
  static constexpr Status Ok() { return Status(); }

  constexpr bool ok() const { return code_ == kOk; }
  constexpr explicit operator bool() const { return ok(); }
  constexpr std::uint32_t code() const { return code_; }
  friend constexpr bool operator==(Status, Status) = default;

 private:
  std::uint32_t code_ = kOk;
};

// A value or the error number that prevented it.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}                 // NOLINT: implicit by design
  Result(Status error) : v_(error.ok() ? Status(kErrInvalidParameter) : error) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  Status status() const { return ok() ? Status() : std::get<1>(v_); }
  std::uint32_t code() const { return status().code(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  // The value, or `fallback` after a failure.
  T value_or(T fallback) const& { return ok() ? value() : std::move(fallback); }
  T value_or(T fallback) && { return ok() ? std::move(value()) : std::move(fallback); }

 private:
  std::variant<T, Status> v_;
};

}  // namespace norvik::platform
