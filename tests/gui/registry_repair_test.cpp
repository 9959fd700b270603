// Fixing and restoring through norvik.exe against Wine's registry and folders: broken
// entries planted for three sections (a key, values named either way, a shortcut file)
// are listed by the scan, "Fix Errors" (after the restore point dialog has had its say)
// removes exactly those entries and nothing beside them, and the Restore dialog brings the
// registry's back through Wine's own registry editor, identical. Every kind of fix with
// its restore is proven on this registry by BackupConformanceTest.

#include "gui/gui_driver.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/pages/page.h"
#include "ui/dialogs/restore/restore_ids.h"
#include "ui/main/control_ids.h"

namespace norvik::gui {
namespace {

namespace ids = ui::ids;

constexpr DWORD kTimeoutMs = 300000;
constexpr wchar_t kCu[] = L"HKEY_CURRENT_USER\\";
constexpr wchar_t kLm[] = L"HKEY_LOCAL_MACHINE\\";
constexpr wchar_t kOpenSave[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr wchar_t kMsConfig[] = L"Software\\Microsoft\\Shared Tools\\MSConfig";
// Wine keeps a shell link's path in the ANSI code page: a Latin-1 name is what survives.
constexpr wchar_t kGone[] = L"C:\\NorvikFix\\Zi\u00ebl_d\u00e9j\u00e0.exe";
constexpr wchar_t kPresent[] = L"C:\\NorvikFix\\app.exe";

// "HKEY_..." roots as the rows name them.
HKEY RootOf(const std::wstring& path) { return path.starts_with(kLm) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
std::wstring Below(const std::wstring& path) { return path.substr(path.find(L'\\') + 1); }

bool SetText(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
  return PlantStrings(Below(key), {{name, text}}, RootOf(key));
}

// A subtree as the registry holds it: each key with its values' kinds and bytes.
using Values = std::map<std::wstring, std::pair<DWORD, std::string>>;
using Tree = std::map<std::wstring, Values>;

void Snapshot(const std::wstring& path, Tree& tree) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(RootOf(path), Below(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  Values& values = tree[path];
  wchar_t name[16384];
  for (DWORD i = 0;; ++i) {
    DWORD length = 16384, type = 0, size = 0;
    if (::RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::string bytes(size, '\0');
    length = 16384;
    ::RegEnumValueW(key, i, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
    values[name] = {type, bytes};
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name);
  }
  ::RegCloseKey(key);
  for (const std::wstring& subkey : subkeys) Snapshot(path + L"\\" + subkey, tree);
}

Tree Snapshot(const std::vector<std::wstring>& roots) {
  Tree tree;
  for (const std::wstring& root : roots) Snapshot(root, tree);
  return tree;
}

class RegistryRepairTest : public ProgramFolderTest {
 protected:
  void TearDown() override {
    for (const std::wstring& key : {std::wstring(kCu) + kOpenSave, std::wstring(kLm) + kMsConfig}) {
      ::RegDeleteTreeW(RootOf(key), Below(key).c_str());
    }
    ::DeleteFileW(shortcut_.c_str());
    RemoveFolderTree(L"C:\\NorvikFix");
    ProgramFolderTest::TearDown();
  }
  std::wstring shortcut_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Norvik planted.lnk";
};

TEST_F(RegistryRepairTest, FixErrorsRemovesExactlyTheListedEntriesAndRestoreBringsThemBack) {
  ASSERT_TRUE(PlantFile(kPresent, "x"));
  ASSERT_TRUE(PlantFile(kGone, "x"));  // a shell link wants its target to exist when made
  ASSERT_TRUE(PlantShortcut(shortcut_, kGone));
  ASSERT_TRUE(::DeleteFileW(kGone));

  // Each broken entry beside one that holds, with the row the scan should list for it:
  // (Data column, Registry key column).
  const std::wstring open_save = kCu + std::wstring(kOpenSave);
  const std::wstring startups = kLm + std::wstring(kMsConfig) + L"\\startupreg";
  const std::wstring named = L"C:\\NorvikFix\\gone two.exe", accented = L"C:\\NorvikFix\\\u00e9t\u00e9.exe";
  // A history value with a backslash in its name is named beside its key.
  ASSERT_TRUE(SetText(open_save, L"", L"C:\\NorvikFix\\default.exe") && SetText(open_save, L"Missing", kGone) &&
              SetText(open_save, L"a\"b\\c", named) && SetText(open_save, L"caf\u00e9", accented) &&
              SetText(open_save, L"Present", kPresent));
  ASSERT_TRUE(SetText(startups + L"\\NorvikGone", L"command", kGone) &&
              SetText(startups + L"\\NorvikGone\\More", L"item", L"x") &&
              SetText(startups + L"\\NorvikKept", L"command", kPresent));
  const std::set<std::pair<std::wstring, std::wstring>> expected_rows = {
      {startups + L"\\NorvikGone", kGone},                  // the key
      {open_save + L"\\", L"C:\\NorvikFix\\default.exe"},   // a value named in the key column
      {open_save + L"\\Missing", kGone},
      {open_save + L"\\caf\u00e9", accented},
      {open_save, L"a\"b\\c"},                               // a value named in the Data column
      {shortcut_, kGone},                                    // a file
  };
  const std::vector<std::wstring> planted = {open_save, startups};
  const Tree before = Snapshot(planted);
  Tree after_fix = before;
  std::erase_if(after_fix, [&](const auto& key) { return key.first.starts_with(startups + L"\\NorvikGone"); });
  for (const wchar_t* name : {L"", L"Missing", L"a\"b\\c", L"caf\u00e9"}) after_fix[open_save].erase(name);

  // Small sections only: Startup Programs, Shortcuts, MRU lists.
  std::string ini = "[Options]\r\nRestorePoint=1\r\n[TreeViewNodeCheck]\r\n";
  for (int code = 1; code <= 25; ++code) {
    const bool ticked = code == 1 || code == 14 || code == 18 || code == 24;
    ini += std::to_string(code) + (ticked ? "=1\r\n" : "=0\r\n");
  }
  ASSERT_TRUE(WriteBytes(folder_ + L"\\options.ini", ini));
  ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\Backup").c_str(), nullptr));
  App app;
  ASSERT_TRUE(app.Start(exe_));
  ::SendMessageW(app.Control(ids::SideButton(app::kTagRegistry)), BM_CLICK, 0, 0);
  ::SendMessageW(app.Control(ids::kScan), BM_CLICK, 0, 0);
  ASSERT_TRUE(Eventually([&] { return ControlText(app.Control(ids::kScanProgress)) == L"Finished!"; }, kTimeoutMs));

  const RemoteListView list(app.Control(ids::kRegistryData), app.process());
  std::set<std::pair<std::wstring, std::wstring>> rows;
  for (int i = 0; i < list.Count(); ++i) rows.insert({list.Text(i, 2), list.Text(i, 1)});
  ASSERT_EQ(rows, expected_rows);

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
  EXPECT_EQ(Snapshot(planted), after_fix);
  EXPECT_FALSE(PathExists(shortcut_));
  EXPECT_TRUE(PathExists(kPresent));
  // Seen at the smallest window, where the status line is narrowest.
  ::SetWindowPos(app.window(), nullptr, 0, 0, 626, 455, SWP_NOMOVE | SWP_NOZORDER);
  ShotIfAsked(app, app.window(), L"registry_fixed.bmp");

  // Restore: the one backup of this run, imported by Wine's regedit, then deleted. The
  // shortcut had no backup to come back from.
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
  EXPECT_EQ(Snapshot(planted), before);
  ::PostMessageW(restore, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(Eventually([&] { return !::IsWindow(restore); }));
  EXPECT_TRUE(app.Close());
}

}  // namespace
}  // namespace norvik::gui
