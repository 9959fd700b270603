#include "regrepair/export_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"

namespace norvik::regrepair {
namespace {

using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

RegValue Raw(RegType type, std::vector<std::uint8_t> bytes) { return RegValue::Binary(std::move(bytes), type); }

std::vector<std::uint8_t> Bytes(std::size_t n) {
  std::vector<std::uint8_t> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(i);
  return out;
}

TEST(BackupTextTest, ValueLines) {
  const RegValue nul_inside = Raw(RegType::Sz, {'a', 0, 0, 0, 'b', 0, 0, 0});
  const struct {
    const char* name;
    RegValue value;
    std::optional<std::string> line;
  } kCases[] = {
      {"a\"b\\c", RegValue::String("x"), R"("a\"b\\c"="x")"},
      {"p", RegValue::String("C:\\dir"), R"("p"="C:\\dir")"},
      {"Count", RegValue::Dword(26), R"("Count"=dword:0000001A)"},
      {"", RegValue::String("d"), R"(@="d")"},
      {"e", RegValue::String(""), R"("e"="")"},
      {"é€", RegValue::String("ü"), "\"é€\"=\"ü\""},
      {"bin", RegValue::Binary({1, 2, 255}), "\"bin\"=hex:01,02,FF"},
      {"b0", RegValue::Binary({}), "\"b0\"=hex:"},
      {"b26", RegValue::Binary(Bytes(26)),
       "\"b26\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19"},
      {"b27", RegValue::Binary(Bytes(27)),
       "\"b27\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\\\r\n1A"},
      {"b52", RegValue::Binary(Bytes(52)),
       "\"b52\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,\\\r\n"
       "1A,1B,1C,1D,1E,1F,20,21,22,23,24,25,26,27,28,29,2A,2B,2C,2D,2E,2F,30,31,32,\\\r\n33"},
      // The kinds the plain forms lose come back typed.
      {"x", RegValue::ExpandString("%A%"), "\"x\"=hex(2):25,41,25,00"},
      {"m", RegValue::MultiString({"a", "é"}), "\"m\"=hex(7):61,00,E9,00,00"},
      {"q", RegValue::Qword(0x0102030405060708ull), "\"q\"=hex(b):08,07,06,05,04,03,02,01"},
      {"n", Raw(RegType::None, {}), "\"n\"=hex(0):"},
      {"r", Raw(static_cast<RegType>(0x12345), {7}), "\"r\"=hex(12345):07"},
      {"z", nul_inside, "\"z\"=hex(1):61,00,62,00"},
      {"lf", RegValue::String("a\r\nb"), "\"lf\"=hex(1):61,0D,0A,62,00"},
      {"short", Raw(RegType::Dword, {1, 2, 3}), "\"short\"=hex(4):01,02,03"},
      // No import could give these back.
      {"line\nbreak", RegValue::String("x"), std::nullopt},
      {"snow☃", RegValue::String("x"), std::nullopt},
      {"s", RegValue::String("snow☃"), std::nullopt},
      {"s", RegValue::ExpandString("snow☃"), std::nullopt},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto line = platform::BackupValueLine(c.name, c.value);
    EXPECT_EQ(line, c.line ? std::optional<std::string>(*c.line + "\r\n") : std::nullopt);
  }
}

class BackupTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
  platform::Platform p = machine.platform();
  const std::string file = "C:\\Backup\\2026_12_05_073420.reg";

  BackupTest() { machine.MakeFolder("C:\\Backup"); }
  platform::RegKey Create(std::string_view path) { return p.registry.Root(RegRoot::CurrentUser).Create(path).value(); }
  bool Exists(std::string_view path) { return p.registry.Root(RegRoot::CurrentUser).Open(path).ok(); }
  std::string Backup() { return machine.ReadFile(file).value_or("(none)"); }
};

TEST_F(BackupTest, FileNameTextHeaderAndAppend) {
  const platform::CalendarTime at{2026, 12, 0, 5, 7, 34, 20, 0};
  EXPECT_EQ(MakeBackupFileName("C:\\Backup", at), file);
  EXPECT_EQ(MakeBackupFileName("C:\\Backup\\", at), file);

  auto key = Create("Software\\Example");
  ASSERT_TRUE(key.Set("", RegValue::String("C:\\dir\\x.exe")));
  ASSERT_TRUE(key.Set("Count", RegValue::Dword(26)));
  ASSERT_TRUE(Create("Software\\Example\\Sub").Set("Data", RegValue::Binary({1, 2, 255})));
  // One trailing backslash is dropped; the second export adds no second header.
  SaveKeyToRegFile(p.registry, p.files, file, RegRoot::CurrentUser, "Software\\Example\\", "", true);
  SaveKeyToRegFile(p.registry, p.files, file, RegRoot::CurrentUser, "Software\\Example", "Count", false);
  EXPECT_EQ(Backup(),
            "REGEDIT4\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\Example]\r\n@=\"C:\\\\dir\\\\x.exe\"\r\n\"Count\"=dword:0000001A\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\Example\\Sub]\r\n\"Data\"=hex:01,02,FF\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\Example]\r\n\"Count\"=dword:0000001A\r\n");
}

TEST_F(BackupTest, RefusalsAndFailuresDeleteNothingUnbackedUp) {
  Create("Software\\K\\Sub");
  ASSERT_TRUE(Create("Software\\V").Set("snow☃", RegValue::Dword(1)));
  BackedUpDeletes deletes(p.registry, p.files, file);
  EXPECT_EQ(deletes.DeleteKey("HKCU", "Software\\K"), DeleteOutcome::BadRoot);
  EXPECT_EQ(deletes.DeleteKey("HKEY_CURRENT_USER", "\\"), DeleteOutcome::Failed);  // never a root
  EXPECT_EQ(deletes.DeleteKey("hkey_current_user", "Software\\Gone"), DeleteOutcome::Missing);
  // REGEDIT4 cannot carry the name, so no backup could bring it back.
  EXPECT_THROW(deletes.DeleteValue("HKEY_CURRENT_USER", "Software\\V", "snow☃", true), BackupError);
  EXPECT_EQ(Backup(), "(none)");
  BackedUpDeletes into_folder(p.registry, p.files, "C:\\Backup");
  EXPECT_THROW(into_folder.DeleteKey("HKEY_CURRENT_USER", "Software\\K"), BackupError);

  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::CurrentUser, "Software\\K\\Sub", true));
  EXPECT_EQ(deletes.DeleteKey("HKEY_CURRENT_USER", "Software\\K"), DeleteOutcome::Failed);
  // A key that cannot be read is left alone: its backup would be empty.
  EXPECT_EQ(deletes.DeleteKey("HKEY_CURRENT_USER", "Software\\K\\Sub"), DeleteOutcome::Failed);
  EXPECT_TRUE(Exists("Software\\K"));
  // The startup manager's delete has no backup to write.
  EXPECT_TRUE(deletes.DeleteRegValue("HKEY_CURRENT_USER", "Software\\V", "snow☃", false));
}

}  // namespace
}  // namespace norvik::regrepair
