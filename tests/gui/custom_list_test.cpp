// The custom list editor as a user meets it: opened from "<New List>" in the clean-item
// tree, a registry row and a folder row added through their dialogs, Custom.dat written
// beside the program on "&OK". When each "&OK" is enabled is proven natively; here the
// dialogs' wiring. Screenshots of the three dialogs go to %NORVIK_SHOT_DIR%.

#include "gui/gui_driver.h"  // first: brings the Windows headers in the right order

#include <gtest/gtest.h>

#include <string>

#include "ui/main/control_ids.h"
#include "ui/dialogs/add_folder/add_folder_ids.h"
#include "ui/dialogs/add_registry/add_registry_ids.h"
#include "ui/dialogs/custom_list/custom_list_ids.h"

namespace norvik::gui {
namespace {

constexpr wchar_t kRegistryKey[] = L"HKEY_CURRENT_USER\\Software\\NorvikCustomListTest";

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; }

void Type(HWND dialog, int id, const std::wstring& text) {
  ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
// A click that returns at once: the button may open a modal dialog.
void Click(HWND dialog, int id) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// A click that is handled before this returns.
void ClickNow(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

LRESULT RowCount(HWND dialog, int list_id, UINT count_message) {
  return ::SendMessageW(::GetDlgItem(dialog, list_id), count_message, 0, 0);
}

class CustomListTest : public ProgramFolderTest {
 protected:
  HWND WaitForWindow(const wchar_t* caption) {
    HWND window = nullptr;
    Eventually([&] { return (window = FindProcessWindow(app_.process(), caption)) != nullptr; });
    return window;
  }

  void Shot(HWND window, const wchar_t* name) { ShotIfAsked(app_, window, name); }

  App app_;
};

TEST_F(CustomListTest, RowsAddedThroughBothDialogsAreSavedToCustomDat) {
  const std::wstring data = folder_ + L"\\Data";
  ASSERT_TRUE(::CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(::CopyFileW(exe_.c_str(), (data + L"\\sample.exe").c_str(), FALSE));
  ASSERT_TRUE(app_.Start(exe_));

  const RemoteTree items(app_.Control(ui::ids::kCleanItems), app_.process());
  const auto groups = items.Children(nullptr);
  ASSERT_FALSE(groups.empty());
  ASSERT_EQ(items.Text(groups.back()), L"Custom Lists");
  const auto lists = items.Children(groups.back());
  ASSERT_EQ(lists.size(), 1u);
  ASSERT_TRUE(items.ClickLabel(lists[0]));

  const HWND editor = WaitForWindow(L"Edit Custom Item");
  ASSERT_NE(editor, nullptr) << "no editor after a click on <New List>";
  EXPECT_FALSE(Enabled(editor, IDOK)) << "nothing to save yet";

  // A registry value: "&OK" waits for the value name.
  Click(editor, IDC_CL_ADD_REGISTRY);
  const HWND registry = WaitForWindow(L"Add Registry");
  ASSERT_NE(registry, nullptr);
  Type(registry, IDC_AR_KEY, kRegistryKey);
  ClickNow(registry, IDC_AR_DELETE_VALUE);
  EXPECT_FALSE(Enabled(registry, IDOK)) << "the value name is missing";
  Type(registry, IDC_AR_VALUE, L"Last");
  EXPECT_TRUE(Enabled(registry, IDOK));
  Shot(registry, L"custom_list_add_registry.bmp");
  Click(registry, IDOK);
  EXPECT_TRUE(Eventually([&] { return !::IsWindow(registry); }));
  EXPECT_TRUE(Eventually([&] { return RowCount(editor, IDC_CL_CONTENT, LVM_GETITEMCOUNT) == 1; }));

  // A folder: "Delete single file" lists its files once chosen again.
  Click(editor, IDC_CL_ADD_FOLDER);
  const HWND folder = WaitForWindow(L"Add File and Folder");
  ASSERT_NE(folder, nullptr);
  Type(folder, IDC_AF_FOLDER, data);
  ClickNow(folder, IDC_AF_SINGLE);
  EXPECT_EQ(RowCount(folder, IDC_AF_FILES, LB_GETCOUNT), 1);
  ClickNow(folder, IDC_AF_MULTIPLE);
  EXPECT_FALSE(Visible(folder, IDC_AF_FILES));
  EXPECT_TRUE(Visible(folder, IDC_AF_WHOLE) && Visible(folder, IDC_AF_PATTERN));
  Shot(folder, L"custom_list_add_folder.bmp");
  Click(folder, IDOK);
  EXPECT_TRUE(Eventually([&] { return !::IsWindow(folder); }));
  EXPECT_TRUE(Eventually([&] { return RowCount(editor, IDC_CL_CONTENT, LVM_GETITEMCOUNT) == 2; }));

  Shot(editor, L"custom_list_editor.bmp");
  Click(editor, IDOK);
  EXPECT_TRUE(Eventually([&] { return !::IsWindow(editor); }));

  const std::wstring file = folder_ + L"\\Custom.dat";
  EXPECT_EQ(IniValue(file, L"<New List>", L"DelRegValue1"), std::wstring(kRegistryKey) + L",Last");
  EXPECT_EQ(IniValue(file, L"<New List>", L"DelFile1"), data);
  EXPECT_TRUE(app_.Close());
}

}  // namespace
}  // namespace norvik::gui
