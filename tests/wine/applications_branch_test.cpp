// The Applications branch against the real registry and INI functions: a program we
// register under HKLM's Uninstall key must show up by its qolt.dat section.

#include "platform/win32/windows_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cleaning/clean_item_tree.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::cleaning {
namespace {

TEST(ApplicationsBranchWine, InstalledProgramMatchesItsSection) {
  const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NorvikWineTest_" +
                           std::to_wstring(::GetCurrentProcessId());
  HKEY created = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              nullptr),
            ERROR_SUCCESS);
  const wchar_t display[] = L"Norvik Test Tool 2.0";
  ::RegSetValueExW(created, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(display), sizeof(display));
  ::RegCloseKey(created);

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring qolt = std::wstring(temp) + L"norvik_qolt_test.dat";
  ::WritePrivateProfileStringW(L"Norvik Test Tool", L"DelFile1", L"x", qolt.c_str());
  ::WritePrivateProfileStringW(L"Unrelated Program", L"DelFile1", L"y", qolt.c_str());

  platform::win32::Win32Platform win32;
  const auto sources = ReadApplicationSources(win32.platform(), platform::win32::Narrow(qolt));
  CleanItemTree tree;
  tree.BuildApplicationsBranch(sources.sections, sources.display_names);

  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
  ::DeleteFileW(qolt.c_str());

  EXPECT_EQ(sources.sections, (std::vector<std::string>{"Norvik Test Tool", "Unrelated Program"}));
  EXPECT_NE(std::find(sources.display_names.begin(), sources.display_names.end(), "Norvik Test Tool 2.0"),
            sources.display_names.end());
  tree.CheckItemByName("Applications - Norvik Test Tool");
  EXPECT_EQ(tree.CheckedNames(), std::vector<std::string>{"Applications - Norvik Test Tool"});
}

}  // namespace
}  // namespace norvik::cleaning
