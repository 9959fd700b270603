#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/custom_list_editor.h"
#include "platform/sim/sim_machine.h"
#include "tools/custom_list.h"

namespace norvik::app::dialogs {
namespace {

using Rows = std::vector<std::string>;
using platform::file_attr::kHidden;
using platform::file_attr::kReadOnly;

const std::string kFile = "C:\\Norvik\\Custom.dat";

class CustomListEditorTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();

  Rows Keys() { return p.ini.GetKeys(kFile, tools::kCustomListSection); }
  std::string Value(const std::string& key) {
    return p.ini.GetString(kFile, tools::kCustomListSection, key, "<missing>");
  }
};

// Custom.dat: each family numbered in row order, the old section replaced, other
// sections kept; read back in file order, long rows whole.
TEST_F(CustomListEditorTest, SavedRowsAreNumberedByFamilyAndReadBackInFileOrder) {
  machine.WriteFile(kFile, "[<New List>]\nDelFile1=C:\\Old\nDelFile2=C:\\Old2\nDelFile3=C:\\Old3\n[Other]\nA=1\n");
  const Rows rows = {"C:\\Temp", "HKEY_CURRENT_USER\\Software\\X", "C:\\Logs,*.log", "hkey_current_user\\Software\\Y,Last"};
  ASSERT_TRUE(tools::SaveCustomList(p.ini, kFile, rows));
  EXPECT_EQ(Keys(), Rows({"DelFile1", "DelRegValue1", "DelFile2", "DelRegValue2"}));
  EXPECT_EQ(Value("DelRegValue2"), rows[3]);
  EXPECT_EQ(p.ini.GetString(kFile, "Other", "A", ""), "1");
  EXPECT_EQ(tools::LoadCustomList(p.ini, kFile), rows);

  const std::string long_row = "C:\\" + std::string(5000, 'a');
  machine.WriteFile(kFile, "[<New List>]\nDelRegValue2=HKEY_USERS\\B\nDelFile1=" + long_row + "\nDelRegValue1=HKEY_USERS\\A,\n");
  EXPECT_EQ(tools::LoadCustomList(p.ini, kFile), Rows({"HKEY_USERS\\B", long_row, "HKEY_USERS\\A,"}));
  EXPECT_TRUE(tools::LoadCustomList(p.ini, "C:\\Norvik\\missing.dat").empty());
}

// An emptied list, a row holding a line break (it would read back as further entries)
// and a read-only file: none is saved, and the file keeps its rows.
TEST_F(CustomListEditorTest, RefusedOrFailedSavesLeaveTheFileItsRows) {
  machine.WriteFile(kFile, "[<New List>]\nDelFile1=C:\\A\nDelFile2=C:\\B\n");
  CustomListEditor editor(p, "C:\\Norvik\\");
  editor.Load();
  ASSERT_TRUE(editor.CanAccept());
  editor.Select(0);
  editor.RemoveSelected();
  editor.RemoveSelected();
  EXPECT_FALSE(editor.CanRemove());
  EXPECT_FALSE(editor.CanAccept());
  EXPECT_FALSE(editor.Save());
  EXPECT_EQ(tools::SaveCustomList(p.ini, kFile, {"C:\\A\nDelFile9=C:\\Windows"}).code(), platform::kErrInvalidParameter);
  ASSERT_TRUE(p.files.SetAttributes(kFile, kReadOnly));
  EXPECT_FALSE(tools::SaveCustomList(p.ini, kFile, {"C:\\New"}));
  EXPECT_EQ(Keys(), Rows({"DelFile1", "DelFile2"}));
  EXPECT_EQ(Value("DelFile1"), "C:\\A");
}

TEST_F(CustomListEditorTest, RemoveSelectsTheRowNowInItsPlaceOrTheNewLast) {
  const struct { std::size_t rows, removed; std::optional<std::size_t> next; } cases[] = {{3, 0, 0}, {3, 1, 1}, {3, 2, 1}, {1, 0, std::nullopt}};
  for (const auto& c : cases) {
    CustomListEditor editor(p, "C:\\Norvik\\");
    for (std::size_t i = 0; i < c.rows; ++i) editor.Append("C:\\" + std::to_string(i));
    editor.Select(c.removed);
    editor.RemoveSelected();
    EXPECT_EQ(editor.selection(), c.next) << c.rows << " rows, removed " << c.removed;
  }
}

TEST_F(CustomListEditorTest, OnlyRegistryRowsAreEditedAndTheirTextSurvivesTheDialog) {
  using enum RegistryChoice;
  const struct { const char* row; bool editable; RegistryChoice choice; const char* key; const char* value; } cases[] = {
      {"HKEY_CURRENT_USER\\Software\\X", true, DeleteKey, "HKEY_CURRENT_USER\\Software\\X", ""},
      {"HKEY_CURRENT_USER\\Software\\X,", true, DeleteValues, "HKEY_CURRENT_USER\\Software\\X", ""},
      {"hkey_current_user\\x,Last", true, DeleteValue, "hkey_current_user\\x", "Last"},
      {"HKEY_USERS\\A,b,c", true, DeleteValue, "HKEY_USERS\\A", "b,c"},
      {"C:\\HKEY_X", false, DeleteKey, "", ""},
      {" HKEY_USERS\\A", false, DeleteKey, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    CustomListEditor editor(p, "C:\\Norvik\\");
    editor.Append(c.row);
    editor.Select(0);
    EXPECT_EQ(editor.CanEdit(), c.editable);
    const auto dialog = editor.EditSelected();
    ASSERT_EQ(dialog.has_value(), c.editable);
    if (!dialog) continue;
    EXPECT_EQ(dialog->choice(), c.choice);
    EXPECT_EQ(dialog->key(), c.key);
    EXPECT_EQ(dialog->value_name(), c.value);
    EXPECT_EQ(dialog->Entry(), c.row);
  }
}

// The list splits an entry at its first ",": a folder or key holding one would name
// another target, so both dialogs refuse it; a comma in a value name is fine.
TEST_F(CustomListEditorTest, RegistryDialogAcceptsAKeyWithWhatToDelete) {
  using enum RegistryChoice;
  const struct { const char* key; RegistryChoice choice; const char* value; bool ok; } cases[] = {
      {"", DeleteKey, "", false},                {"Software\\X", DeleteKey, "", false},
      {"hkey_users\\x", DeleteKey, "", true},    {"HKEY_USERS\\x", DeleteValues, "", true},
      {"HKEY_USERS\\x", DeleteValue, "", false}, {"HKEY_USERS\\x", DeleteValue, "B,C", true},
      {"HKEY_CURRENT_USER\\Software\\A,B", DeleteKey, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key + std::string(" / ") + c.value);
    AddRegistryDialog dialog;
    dialog.SetKey(c.key);
    dialog.SetChoice(c.choice);
    dialog.SetValueName(c.value);
    EXPECT_EQ(dialog.CanAccept(), c.ok) << static_cast<int>(c.choice);
    EXPECT_EQ(dialog.Refusal(), std::string(c.key).find(',') != std::string::npos ? kCommaInKeyMessage : "");
  }
}

TEST_F(CustomListEditorTest, FolderDialogEntriesAndWhenOkIsEnabled) {
  machine.WriteFile("C:\\Data\\a.txt", "a");
  machine.WriteFile("C:\\Logs,2010\\a,b.txt", "a");
  using enum DeletingMode;
  using enum FolderChoice;
  // entry: nothing when "&OK" is disabled
  const struct { const char* folder; FolderChoice choice; DeletingMode mode; const char* pattern;
                 std::optional<std::string> entry; } cases[] = {
      {"C:\\Data", SingleFile, WholeFolder, "*.", "C:\\Data,a.txt"},
      {"C:\\Data", MultipleFiles, WholeFolder, "*.", "C:\\Data"},
      {"C:\\Data", MultipleFiles, Wildcard, "*.", std::nullopt},
      {"C:\\Data", MultipleFiles, Wildcard, "*.log", "C:\\Data,*.log"},
      {"C:\\Missing", MultipleFiles, WholeFolder, "*.", std::nullopt},
      {"C:\\Data\\a.txt", MultipleFiles, WholeFolder, "*.", std::nullopt},
      {"", MultipleFiles, WholeFolder, "*.", std::nullopt},
      {"C:\\Logs,2010", MultipleFiles, WholeFolder, "*.", "C:\\Logs,2010"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + std::string(" ") + c.pattern);
    AddFolderDialog dialog(p.files);
    dialog.FolderBrowsed(c.folder);
    dialog.SetChoice(c.choice);
    dialog.SetDeletingMode(c.mode);
    dialog.SetPattern(c.pattern);
    dialog.SelectFile(0);
    EXPECT_EQ(dialog.CanAccept() ? std::optional(dialog.Entry()) : std::nullopt, c.entry);
    EXPECT_EQ(dialog.Refusal(), std::string(c.folder).find(',') != std::string::npos ? kCommaInFolderMessage : "");
  }
}

TEST_F(CustomListEditorTest, ANewFolderTypedOrBrowsedReplacesTheFileListAndSelection) {
  machine.WriteFile("C:\\One\\a.txt", "");
  machine.WriteFile("C:\\One\\Sub\\deep.txt", "");
  machine.WriteFile("C:\\One\\hidden.dat", "");
  ASSERT_TRUE(p.files.SetAttributes("C:\\One\\hidden.dat", kHidden));
  machine.WriteFile("C:\\Two\\b.txt", "");

  AddFolderDialog dialog(p.files);
  dialog.FolderBrowsed("C:\\One");
  Rows names = dialog.file_names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, Rows({"a.txt", "hidden.dat"}));
  dialog.SelectFile(1);

  // Typed letter by letter or chosen with "...": never "C:\Two" with One's file.
  for (const bool typed : {true, false}) {
    SCOPED_TRACE(typed ? "typed" : "browsed");
    dialog.FolderBrowsed("C:\\One");
    dialog.SelectFile(1);
    if (typed) {
      dialog.SetFolder("C:\\Tw");
      EXPECT_EQ(dialog.file_names(), Rows());
      dialog.SetFolder("C:\\Two");
    } else {
      dialog.FolderBrowsed("C:\\Two");
    }
    EXPECT_EQ(dialog.file_names(), Rows({"b.txt"}));
    EXPECT_EQ(dialog.selected_file(), std::nullopt);
    EXPECT_FALSE(dialog.CanAccept());
  }
}

}  // namespace
}  // namespace norvik::app::dialogs
