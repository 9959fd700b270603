#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "tools/custom_list.h"

namespace norvik::tools {
namespace {

using Rows = std::vector<std::string>;
using platform::file_attr::kReadOnly;

const std::string kFile = "C:\\Norvik\\Custom.dat";

class CustomListTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();

  Rows Keys() { return p.ini.GetKeys(kFile, kCustomListSection); }
  std::string Value(const std::string& key) { return p.ini.GetString(kFile, kCustomListSection, key, "<missing>"); }
};

TEST_F(CustomListTest, SaveNumbersEachFamilyInRowOrderAndReplacesTheOldSection) {
  machine.WriteFile(kFile, "[<New List>]\nDelFile1=C:\\Old\nDelFile2=C:\\Old2\nDelFile3=C:\\Old3\n[Other]\nA=1\n");
  const Rows rows = {"C:\\Temp", "HKEY_CURRENT_USER\\Software\\X", "C:\\Logs,*.log", "hkey_current_user\\Software\\Y,Last"};
  ASSERT_TRUE(SaveCustomList(p.ini, kFile, rows));

  EXPECT_EQ(Keys(), Rows({"DelFile1", "DelRegValue1", "DelFile2", "DelRegValue2"}));
  EXPECT_EQ(Value("DelRegValue2"), rows[3]);
  EXPECT_EQ(Value("DelFile3"), "<missing>");
  EXPECT_EQ(p.ini.GetString(kFile, "Other", "A", ""), "1");
  EXPECT_EQ(LoadCustomList(p.ini, kFile), rows);
}

TEST_F(CustomListTest, LoadKeepsFileOrderAndLongRows) {
  const std::string long_row = "C:\\" + std::string(5000, 'a');
  machine.WriteFile(kFile, "[<New List>]\nDelRegValue2=HKEY_USERS\\B\nDelFile1=" + long_row + "\nDelRegValue1=HKEY_USERS\\A,\n");
  EXPECT_EQ(LoadCustomList(p.ini, kFile), Rows({"HKEY_USERS\\B", long_row, "HKEY_USERS\\A,"}));
  EXPECT_TRUE(LoadCustomList(p.ini, "C:\\Norvik\\missing.dat").empty());
}

TEST_F(CustomListTest, FailedOrRefusedSavesAreReported) {
  machine.WriteFile(kFile, "[<New List>]\nDelFile1=C:\\Keep\n");
  // A line break would read back as further entries.
  EXPECT_EQ(SaveCustomList(p.ini, kFile, {"C:\\A\nDelFile9=C:\\Windows"}).code(), platform::kErrInvalidParameter);
  ASSERT_TRUE(p.files.SetAttributes(kFile, kReadOnly));
  EXPECT_FALSE(SaveCustomList(p.ini, kFile, {"C:\\New"}));
  EXPECT_EQ(Value("DelFile1"), "C:\\Keep");
}

}  // namespace
}  // namespace norvik::tools
