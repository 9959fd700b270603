#include "platform/win32/windows_api.h"

#include <algorithm>

#include "platform/ini_file.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::platform::win32 {
namespace {

// Key and section lists are read into a buffer that doubles until the list fits;
// a list this long is not an INI file we should be reading.
constexpr DWORD kMaxListChars = 16 * 1024 * 1024;

// GetPrivateProfileString with a NULL section or key: a list of NUL-terminated names.
// It returns size - 2 when the list was cut short.
std::vector<std::string> ReadNameList(const wchar_t* section, const std::wstring& file) {
  std::wstring buffer(4096, L'\0');
  DWORD chars = 0;
  for (;;) {
    const auto size = static_cast<DWORD>(buffer.size());
    chars = ::GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), size, file.c_str());
    if (chars < size - 2 || size >= kMaxListChars) break;
    buffer.assign(static_cast<std::size_t>(size) * 2, L'\0');
  }
  std::vector<std::string> names;
  const std::wstring_view all(buffer.data(), std::min<std::size_t>(chars, buffer.size()));
  std::size_t start = 0;
  while (start < all.size()) {
    const std::size_t end = std::min(all.find(L'\0', start), all.size());
    if (end > start) names.push_back(Narrow(all.substr(start, end - start)));
    start = end + 1;
  }
  return names;
}

Status WriteProfile(const std::string& file, const std::wstring* section, const std::wstring* key,
                    const std::wstring* value) {
  const auto wide_file = WideArg(file);
  if (!wide_file) return Status(kErrInvalidName);
  const BOOL ok = ::WritePrivateProfileStringW(section ? section->c_str() : nullptr,
                                               key ? key->c_str() : nullptr,
                                               value ? value->c_str() : nullptr,
                                               wide_file->c_str());
  return ok ? Status::Ok() : Status(LastError());
}

}  // namespace

std::string Win32IniFiles::GetString(const std::string& file, std::string_view section,
                                     std::string_view key, std::string_view default_value,
                                     std::size_t buffer_chars) {
  const auto wide_file = WideArg(file);
  const auto wide_section = WideArg(section);
  const auto wide_key = WideArg(key);
  const auto wide_default = WideArg(default_value);
  if (buffer_chars == 0) return std::string();
  const auto size = static_cast<DWORD>(std::min<std::size_t>(buffer_chars, kMaxListChars));
  if (!wide_file || !wide_section || !wide_key || !wide_default) {
    // Not something the W function could be asked; answer as for a missing key.
    const std::wstring fallback = Wide(default_value.substr(0, default_value.find('\0')));
    return Narrow(std::wstring_view(fallback).substr(0, size - 1));
  }
  std::wstring buffer(size, L'\0');
  const DWORD chars = ::GetPrivateProfileStringW(wide_section->c_str(), wide_key->c_str(),
                                                 wide_default->c_str(), buffer.data(), size,
                                                 wide_file->c_str());
  buffer.resize(std::min<std::size_t>(chars, size - 1));
  return Narrow(buffer);
}

std::vector<std::string> Win32IniFiles::GetKeys(const std::string& file,
                                                std::string_view section) {
  const auto wide_file = WideArg(file);
  const auto wide_section = WideArg(section);
  if (!wide_file || !wide_section) return {};
  return ReadNameList(wide_section->c_str(), *wide_file);
}

std::vector<std::string> Win32IniFiles::GetSections(const std::string& file) {
  const auto wide_file = WideArg(file);
  if (!wide_file) return {};
  return ReadNameList(nullptr, *wide_file);
}

Status Win32IniFiles::WriteString(const std::string& file, std::string_view section,
                                  std::string_view key, std::string_view value) {
  const auto wide_section = WideArg(section);
  const auto wide_key = WideArg(key);
  const auto wide_value = WideArg(value);
  if (!wide_section || !wide_key || !wide_value) return Status(kErrInvalidParameter);
  return WriteProfile(file, &*wide_section, &*wide_key, &*wide_value);
}

Status Win32IniFiles::DeleteKey(const std::string& file, std::string_view section,
                                std::string_view key) {
  const auto wide_section = WideArg(section);
  const auto wide_key = WideArg(key);
  if (!wide_section || !wide_key) return Status(kErrInvalidParameter);
  return WriteProfile(file, &*wide_section, &*wide_key, nullptr);
}

Status Win32IniFiles::DeleteSection(const std::string& file, std::string_view section) {
  const auto wide_section = WideArg(section);
  if (!wide_section) return Status(kErrInvalidParameter);
  return WriteProfile(file, &*wide_section, nullptr, nullptr);
}

Status Win32IniFiles::WriteStrings(const std::string& file, std::span<const IniEntry> entries) {
  // Our own text in the form the profile functions write (kept equal by the conformance
  // tests): one read and one write instead of rewriting the whole file once per key.
  return WriteIniEntries(files_, file, entries);
}

IniReader Win32IniFiles::ReadWhole(const std::string& file) {
  auto doc = ReadIniFile(files_, file);
  return IniReader(doc ? std::move(doc).value() : IniDocument{});
}

}  // namespace norvik::platform::win32
