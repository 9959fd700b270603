#include "platform/win32/windows_api.h"  // first: tames the A/W macros

#include "ui/dialogs/save_file.h"

#include <commdlg.h>

#include "platform/win32/wide_text.h"

namespace norvik::ui {
namespace {

using platform::win32::Narrow;
using platform::win32::Wide;

// Longest path the save dialog may hand back (the \\?\ limit).
constexpr DWORD kMaxPathChars = 32768;

}  // namespace

std::wstring DialogFilter(std::string_view filter) {
  std::wstring result = Wide(filter);
  for (wchar_t& c : result) {
    if (c == L'|') c = L'\0';
  }
  // One NUL ends the last part, a second ends the list.
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

std::optional<std::string> ChooseSaveFile(HWND owner, std::string_view title, std::string_view filter) {
  const std::wstring wide_title = Wide(title);
  const std::wstring wide_filter = DialogFilter(filter);
  std::wstring path(kMaxPathChars, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = wide_filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = kMaxPathChars;
  ofn.lpstrTitle = wide_title.c_str();
  // No default extension and no overwrite prompt: the caller decides both.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!::GetSaveFileNameW(&ofn)) return std::nullopt;
  path.resize(wcsnlen(path.c_str(), path.size()));
  return Narrow(path);
}

}  // namespace norvik::ui
