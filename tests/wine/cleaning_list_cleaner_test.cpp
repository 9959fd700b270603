// The list cleaner against the real INI, registry and file functions: a custom list
// with folders under C:\ and the local AppData folder and keys under HKCU. A Test
// changes nothing and counts what the Clean then removes.

#include "platform/win32/windows_api.h"

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning/list_cleaner.h"
#include "fakes/run_reporter.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::cleaning {
namespace {

using platform::win32::Narrow;

void WriteFileW(const std::wstring& path, std::size_t size) {
  const auto slash = path.rfind(L'\\');
  ::SHCreateDirectoryExW(nullptr, path.substr(0, slash).c_str(), nullptr);
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << Narrow(path);
  const std::string bytes(size, 'x');
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(h);
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const std::wstring& key, const wchar_t* value = nullptr) {
  HKEY h = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  const bool found = value == nullptr || ::RegQueryValueExW(h, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  ::RegCloseKey(h);
  return found;
}

void SetKeyValue(const std::wstring& key, const wchar_t* name) {
  HKEY h = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  const wchar_t data[] = L"C:\\recent.txt";
  ::RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data));
  ::RegCloseKey(h);
}

TEST(ListCleanerWine, TestCountsAndCleanRemovesExactlyTheListedEntries) {
  const std::wstring tag = L"NorvikList_" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring root = L"C:\\" + tag;
  wchar_t local[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
  const std::wstring local_root = std::wstring(local) + L"\\" + tag;
  const std::wstring key = L"Software\\" + tag;

  WriteFileW(root + L"\\Cache\\a.tmp", 100);
  WriteFileW(root + L"\\Cache\\b.txt", 200);
  WriteFileW(root + L"\\Cache\\sub\\c.tmp", 300);
  WriteFileW(root + L"\\Gone\\deep\\x.bin", 1500);
  WriteFileW(local_root + L"\\Cache\\f.bin", 10);
  SetKeyValue(key + L"\\Mru", L"a");
  SetKeyValue(key + L"\\Mru", L"b");
  SetKeyValue(key + L"\\Old\\Sub", L"v");

  const std::wstring program = root + L"\\Program\\";
  ::SHCreateDirectoryExW(nullptr, program.c_str(), nullptr);
  const std::wstring list = program + L"Custom.dat";
  const std::vector<std::pair<std::wstring, std::wstring>> entries = {
      {L"DelFile1", L"{C: Drive}\\" + tag + L"\\Cache,*.tmp"},
      {L"DelFile2", L"{C: Drive}\\" + tag + L"\\Gone"},
      {L"DelFile3", root + L"\\Cache\\sub,*.*"},
      {L"DelFile4", L"{Local AppData}\\" + tag + L"\\Cache,*.*"},
      {L"DelRegValue1", L"HKEY_CURRENT_USER\\" + key + L"\\Mru,a"},
      {L"DelRegValue2", L"hkey_current_user\\" + key + L"\\Old"},
  };
  for (const auto& [name, value] : entries) {
    ASSERT_TRUE(::WritePrivateProfileStringW(L"<New List>", name.c_str(), value.c_str(), list.c_str()));
  }

  platform::win32::Win32Platform win32;
  FakeRunReporter reporter;
  CleanerTable table;
  for (int kind : {kRunTest, kRunPreparedClean}) {
    RunSetup setup;
    setup.run_kind = kind;
    setup.program_folder = Narrow(program);
    TClearTaskThread worker(win32.platform(), reporter, table, std::move(setup));
    RunListItem(worker, kCustomListFile, "Custom Lists - <New List>");
    // a.tmp, x.bin, c.tmp, f.bin; value a; the key Old with its one value below.
    EXPECT_EQ(worker.ItemCount, 6u) << kind;
    EXPECT_EQ(worker.ItemSize, 100 + 1500 + 300 + 10) << kind;
    EXPECT_EQ(worker.ItemSizeText, "2") << kind;

    const bool test = kind == kRunTest;
    EXPECT_EQ(PathExists(root + L"\\Cache\\a.tmp"), test);
    EXPECT_EQ(PathExists(root + L"\\Gone"), test);
    EXPECT_EQ(PathExists(root + L"\\Cache\\sub\\c.tmp"), test);
    EXPECT_EQ(PathExists(local_root + L"\\Cache\\f.bin"), test);
    EXPECT_EQ(KeyExists(key + L"\\Mru", L"a"), test);
    EXPECT_EQ(KeyExists(key + L"\\Old"), test);
    EXPECT_TRUE(PathExists(root + L"\\Cache\\b.txt"));
    EXPECT_TRUE(PathExists(root + L"\\Cache\\sub"));
    EXPECT_TRUE(PathExists(local_root + L"\\Cache"));
    EXPECT_TRUE(KeyExists(key + L"\\Mru", L"b"));
  }
  EXPECT_TRUE(reporter.questions().empty());
  EXPECT_TRUE(reporter.messages().empty());

  ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  for (const std::wstring& folder : {root, local_root}) {
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    ::SHFileOperationW(&op);
  }
}

}  // namespace
}  // namespace norvik::cleaning
