#include "wine/scratch_cleanup.h"

#include <vector>

#include "platform/win32/unique_handles.h"

namespace norvik::wine_test {

using platform::win32::unique_find;
using platform::win32::unique_hkey;

void DeleteKeyTree(HKEY parent, const std::wstring& path) {
  {
    unique_hkey key;
    if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
      return;
    }
    // Names first, deletes after: deleting while enumerating shifts the indexes.
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      DWORD chars = 256;
      if (::RegEnumKeyExW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      children.emplace_back(name, chars);
    }
    for (const auto& child : children) DeleteKeyTree(key.get(), child);
  }
  ::RegDeleteKeyW(parent, path.c_str());
}

void DeleteFolderTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd{};
  unique_find find(::FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (find) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = folder + L"\\" + name;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      const DWORD attributes = fd.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
          ::RemoveDirectoryW(full.c_str());
        } else {
          ::DeleteFileW(full.c_str());
        }
      } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        DeleteFolderTree(full);
      } else {
        ::DeleteFileW(full.c_str());
      }
    } while (::FindNextFileW(find.get(), &fd));
  }
  find.reset();
  ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace norvik::wine_test
