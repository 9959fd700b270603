#pragma once
// UTF-8 <-> UTF-16 at the edge of the W functions, and the usual "ask for the size,
// grow, ask again" loop of the functions that fill a caller's buffer.

#include "platform/win32/windows_api.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace norvik::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The argument as a NUL-terminated wide string, or nothing when it holds a NUL: the
// W function would silently act on the part before it (a shorter path, another name).
std::optional<std::wstring> WideArg(std::string_view utf8);

// The calling thread's last error, never 0 (a failing call that set none still failed).
std::uint32_t LastError(std::uint32_t fallback = kErrInvalidParameter);

// Windows error number for a COM result.
std::uint32_t ErrorFromHresult(HRESULT hr);

// For functions that return the length copied (without the NUL) when the buffer was
// large enough, the size needed (with the NUL) when it was not, and 0 on failure:
// GetTempPath, GetShortPathName, GetFullPathName, GetEnvironmentVariable...
// `call(buffer, size)` must return that DWORD.
template <typename Call>
Result<std::wstring> CallWithGrowingBuffer(Call call, DWORD initial = MAX_PATH + 1) {
  std::wstring buffer(initial, L'\0');
  // Bounded: the needed size can change between calls, never grow forever.
  for (int attempt = 0; attempt < 8; ++attempt) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_SUCCESS) return Status(error);
      return std::wstring();  // an empty answer, not a failure
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(static_cast<std::size_t>(n) + 1, L'\0');
  }
  return Status(kErrInsufficientBuffer);
}

}  // namespace norvik::platform::win32
