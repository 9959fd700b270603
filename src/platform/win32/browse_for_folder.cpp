#include "platform/win32/browse_for_folder.h"

#include "platform/win32/windows_api.h"
#include <shlobj.h>

#include "platform/win32/unique_handles.h"
#include "platform/win32/wide_text.h"

namespace norvik::platform::win32 {
namespace {

void CentreOnScreen(HWND window) {
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM /*param*/, LPARAM /*data*/) {
  if (message == BFFM_INITIALIZED) CentreOnScreen(window);
  return 0;
}

}  // namespace

std::optional<std::string> BrowseForFolder(void* owner_hwnd, std::string_view title) {
  scoped_com_init com;
  const std::wstring wide_title = Wide(title.substr(0, title.find('\0')));

  BROWSEINFOW info{};
  info.hwndOwner = static_cast<HWND>(owner_hwnd);
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseCallback;

  unique_cotaskmem chosen(::SHBrowseForFolderW(&info));
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path) ||
      path[0] == L'\0') {
    return std::nullopt;
  }
  return Narrow(path);
}

}  // namespace norvik::platform::win32
