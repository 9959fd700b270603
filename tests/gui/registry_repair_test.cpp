// Fixing and restoring through norvik.exe against Wine's registry: "Fix Errors" removes
// exactly the entries the scan listed (after the restore point dialog has had its say),
// and the Restore dialog brings them back through Wine's own registry editor.

#include "gui/gui_driver.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/pages/page.h"
#include "ui/dialogs/restore/restore_ids.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr wchar_t kKey[] = L"Software\\NorvikFixTest";
constexpr DWORD kTimeoutMs = 300000;

// A value below HKEY_CURRENT_USER as the registry holds it: kind and bytes, or kind 0
// and "<missing>".
std::pair<DWORD, std::string> UserValue(const std::wstring& key, const std::wstring& name) {
  DWORD type = 0, size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                     &size) != ERROR_SUCCESS) {
    return {0, "<missing>"};
  }
  std::string bytes(size, '\0');
  ::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size);
  bytes.resize(size);
  return {type, bytes};
}

// The value a row names: "HKEY_CURRENT_USER\key\name", or, for a name holding a
// backslash, the key with the name in the Data column.
std::pair<std::wstring, std::wstring> RowValue(const std::wstring& path, const std::wstring& data) {
  const std::wstring below = path.substr(path.find(L'\\') + 1);
  const auto cut = below.rfind(L'\\');
  if (UserValue(below.substr(0, cut), below.substr(cut + 1)).first != 0) return {below.substr(0, cut), below.substr(cut + 1)};
  return {below, data};
}

class RegistryRepairTest : public ProgramFolderTest {
 protected:
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    ProgramFolderTest::TearDown();
  }
};

TEST_F(RegistryRepairTest, FixErrorsRemovesExactlyTheListedEntriesAndRestoreBringsThemBack) {
  ASSERT_TRUE(PlantFile(L"C:\\NorvikFix\\app.exe", "x"));
  ASSERT_TRUE(PlantUserStrings(kKey, {{L"", L"C:\\NorvikFix\\default.exe"},
                                      {L"Missing", L"C:\\NorvikFix\\gone.exe"},
                                      {L"a\"b\\c", L"\"C:\\NorvikFix\\gone two.exe\" /q"},
                                      {L"caf\u00e9", L"C:\\NorvikFix\\\u00e9t\u00e9.exe"},
                                      {L"Present", L"C:\\NorvikFix\\app.exe"}}));
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const std::wstring expand = L"%SystemRoot%\\norvik-gone.exe";
  ::RegSetValueExW(key, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand.c_str()),
                   static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);

  // Only the current user's hive is scanned; a restore point is asked for first.
  std::string ini = "[Options]\r\nRestorePoint=1\r\n[TreeViewNodeCheck]\r\n";
  for (int code = 1; code <= 25; ++code) ini += std::to_string(code) + (code <= 2 || code == 4 ? "=1\r\n" : "=0\r\n");
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini", ini));
  ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\Backup").c_str(), nullptr));
  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagRegistry)), BM_CLICK, 0, 0);
  ::SendMessageW(app.Control(ids::kScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return ControlText(app.Control(ids::kScanProgress)) == L"Finished!"; }, kTimeoutMs));

  const RemoteListView list(app.Control(ids::kRegistryData), app.process());
  std::map<std::pair<std::wstring, std::wstring>, std::pair<DWORD, std::string>> listed;
  std::vector<std::wstring> ours;
  for (int i = 0; i < list.Count(); ++i) {
    const auto value = RowValue(list.Text(i, 2), list.Text(i, 1));
    listed[value] = UserValue(value.first, value.second);
    ASSERT_NE(listed[value].first, 0u) << "a row naming nothing";
    if (value.first == kKey) ours.push_back(value.second);
  }
  std::sort(ours.begin(), ours.end());
  // A name with a backslash comes as the key with the name beside it (another fix kind).
  EXPECT_EQ(ours, (std::vector<std::wstring>{L"", L"Expand", L"Missing", L"a\"b\\c", L"caf\u00e9"}));

  // Posted: the handler's dialogs hold it until they close.
  ::PostMessageW(app.Control(ids::kFixErrors), BM_CLICK, 0, 0);
  // Wine's System Restore is a stub that answers no: the user is asked and goes on.
  bool asked = false;
  ASSERT_TRUE(Eventually(
      [&] {
        HWND box = FindProcessWindow(app.process(), L"Norvik Cleaner");
        HWND yes = box ? ChildWithText(box, L"&Yes") : nullptr;
        if (yes && !asked) {
          asked = true;
          EXPECT_TRUE(ChildWithText(box, L"Restore Point creation Failed! Contiue to fix?"));
          HWND point = FindProcessWindow(app.process(), L"Create System Point");
          EXPECT_TRUE(point) << "the question stands alone";
          if (point) ShotIfAsked(app, point, L"restore_point.bmp");
          ShotIfAsked(app, box, L"restore_point_failed.bmp");
          ::PostMessageW(yes, BM_CLICK, 0, 0);
        }
        return ControlText(app.Control(ids::kStatusBar)).starts_with(L"Fix errors finished!");
      },
      kTimeoutMs));
  EXPECT_TRUE(asked);
  EXPECT_EQ(ControlText(app.Control(ids::kStatusBar)), L"Fix errors finished!");
  EXPECT_EQ(list.Count(), 0);
  for (const auto& [at, value] : listed) EXPECT_EQ(UserValue(at.first, at.second).first, 0u) << at.second.c_str();
  EXPECT_TRUE(UserValueExists(kKey, L"Present"));
  ShotIfAsked(app, app.window(), L"registry_fixed.bmp");

  // Restore: the one backup of this run, imported by Wine's regedit, then deleted.
  ::PostMessageW(app.Control(ids::kRestoreRegistry), BM_CLICK, 0, 0);
  HWND restore = nullptr;
  ASSERT_TRUE(Eventually([&] {
    restore = FindProcessWindow(app.process(), L"Norvik Cleaner");
    return restore && ::GetDlgItem(restore, IDC_RS_LIST);
  }));
  const RemoteListView backups(::GetDlgItem(restore, IDC_RS_LIST), app.process());
  ASSERT_EQ(backups.Count(), 1);
  EXPECT_TRUE(backups.Text(0, 0).ends_with(L".reg")) << backups.Text(0, 0).c_str();
  wchar_t shown[MAX_PATH]{};  // an edit of another process answers WM_GETTEXT only
  ::SendMessageW(::GetDlgItem(restore, IDC_RS_FOLDER), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(shown, folder_ + L"\\Backup");
  ASSERT_TRUE(backups.Select(0));
  ShotIfAsked(app, restore, L"restore_dialog.bmp");
  ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(restore, IDC_RS_RESTORE)));
  ::PostMessageW(::GetDlgItem(restore, IDC_RS_RESTORE), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return backups.Count() == 0; }, kTimeoutMs)) << "the imported backup stays listed";
  for (const auto& [at, value] : listed) EXPECT_EQ(UserValue(at.first, at.second), value) << at.second.c_str();
  ::PostMessageW(restore, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(Eventually([&] { return !::IsWindow(restore); }));
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
