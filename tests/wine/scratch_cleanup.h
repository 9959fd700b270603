#pragma once
// Removing a test's scratch key or folder with plain Win32 calls, independent of the
// backend under test.

#include <string>

#include "platform/win32/windows_api.h"

namespace norvik::wine_test {

// Deletes `path` below `parent` with all its subkeys. A missing key is no error.
void DeleteKeyTree(HKEY parent, const std::wstring& path);

// Deletes a folder and everything in it. Links inside are removed, never followed.
void DeleteFolderTree(const std::wstring& folder);

}  // namespace norvik::wine_test
