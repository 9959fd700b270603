#include "platform/win32/wide_text.h"

#include "platform/text_encoding.h"

namespace norvik::platform::win32 {

std::wstring Wide(std::string_view utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::optional<std::wstring> WideArg(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos) return std::nullopt;
  return Wide(utf8);
}

std::uint32_t LastError(std::uint32_t fallback) {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

std::uint32_t ErrorFromHresult(HRESULT hr) {
  if (SUCCEEDED(hr)) return kOk;
  const auto facility = HRESULT_FACILITY(hr);
  // Win32 and structured-storage failures carry the Windows error number in the low word.
  if (facility == FACILITY_WIN32 || facility == FACILITY_STORAGE) return HRESULT_CODE(hr);
  if (hr == E_OUTOFMEMORY) return ERROR_OUTOFMEMORY;
  if (hr == E_INVALIDARG) return kErrInvalidParameter;
  if (hr == E_NOTIMPL || hr == REGDB_E_CLASSNOTREG || hr == E_NOINTERFACE) return kErrNotSupported;
  return ERROR_INVALID_DATA;
}

}  // namespace norvik::platform::win32
