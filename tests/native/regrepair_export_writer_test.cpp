#include "regrepair/export_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/text_encoding.h"

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
      {"a\"b\\c", RegValue::String("x"), R"("a\"b\\c"="x")"}, {"p", RegValue::String("C:\\dir"), R"("p"="C:\\dir")"},
      {"Count", RegValue::Dword(26), R"("Count"=dword:0000001A)"}, {"", RegValue::String("d"), R"(@="d")"},
      {"e", RegValue::String(""), R"("e"="")"}, {"é€", RegValue::String("ü"), "\"é€\"=\"ü\""},
      {"bin", RegValue::Binary({1, 2, 255}), "\"bin\"=hex:01,02,FF"}, {"b0", RegValue::Binary({}), "\"b0\"=hex:"},
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
      {"line\nbreak", RegValue::String("x"), std::nullopt}, {"snow☃", RegValue::String("x"), std::nullopt},
      {"s", RegValue::String("snow☃"), std::nullopt}, {"s", RegValue::ExpandString("snow☃"), std::nullopt},
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
  std::string Export(const std::string& path) {
    return platform::ExportRegKey(p.registry, RegRoot::CurrentUser, path, platform::RegFormat::Version5).value();
  }
};

TEST_F(BackupTest, FileNameTextHeaderAndAppend) {
  platform::CalendarTime at{2026, 12, 0, 5, 7, 34, 20, 0};
  EXPECT_EQ(MakeBackupFileName("C:\\Backup", at) + "|" + MakeBackupFileName("C:\\Backup\\", at), file + "|" + file);
  at = {2026, 11, 0, 30, 23, 59, 59, 0};
  EXPECT_EQ(MakeBackupFileName("D:\\b", at), "D:\\b\\2026_11_30_235959.reg");

  auto key = Create("Software\\Example");
  ASSERT_TRUE(key.Set("", RegValue::String("C:\\dir\\x.exe")) && key.Set("Count", RegValue::Dword(26)));
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
  // A short root name, the root itself (never deleted) and a missing key.
  EXPECT_EQ((std::vector{deletes.DeleteKey("HKCU", "Software\\K"), deletes.DeleteKey("HKEY_CURRENT_USER", "\\"),
                         deletes.DeleteKey("hkey_current_user", "Software\\Gone")}),
            (std::vector{DeleteOutcome::BadRoot, DeleteOutcome::Failed, DeleteOutcome::Missing}));
  // REGEDIT4 cannot carry the name, so no backup could bring it back.
  EXPECT_THROW(deletes.DeleteValue("HKEY_CURRENT_USER", "Software\\V", "snow☃", true), BackupError);
  EXPECT_EQ(Backup(), "(none)");
  BackedUpDeletes into_folder(p.registry, p.files, "C:\\Backup");
  EXPECT_THROW(into_folder.DeleteKey("HKEY_CURRENT_USER", "Software\\K"), BackupError);

  ASSERT_TRUE(machine.registry().SetAccessDenied(RegRoot::CurrentUser, "Software\\K\\Sub", true));
  // A key that cannot be read, or holds one, is left alone: its backup would be empty.
  EXPECT_EQ((std::vector{deletes.DeleteKey("HKEY_CURRENT_USER", "Software\\K"),
                         deletes.DeleteKey("HKEY_CURRENT_USER", "Software\\K\\Sub")}),
            std::vector(2, DeleteOutcome::Failed));
  EXPECT_TRUE(Exists("Software\\K"));
  // The startup manager's delete has no backup to write.
  EXPECT_TRUE(deletes.DeleteRegValue("HKEY_CURRENT_USER", "Software\\V", "snow☃", false));
}

// Random trees of every kind of value, with hostile names, are backed up, deleted and
// imported again (as "regedit /s" would): the subtree must come back byte for byte.
class TreeMaker {
 public:
  explicit TreeMaker(unsigned seed) : rng_(seed) {}

  void Fill(platform::RegKey& key, int depth) {
    const int values = Pick(0, 6);
    for (int i = 0; i < values; ++i) (void)key.Set(i == 0 && Pick(0, 2) == 0 ? "" : Text(6) + "#" + std::to_string(i), Value());
    if (depth >= 3) return;
    // Names are unique within a key through their index.
    const int subkeys = Pick(0, 3);
    for (int i = 0; i < subkeys; ++i) {
      std::string name = Text(6);
      std::erase(name, '\\');  // a key name holds none
      auto sub = key.Create(name + "#" + std::to_string(i)).value();
      Fill(sub, depth + 1);
    }
  }
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

 private:
  std::string Text(int max_chars) {
    static const char* const kPieces[] = {"a", "Z", "\\", "\"", " ", "é", "€", "%PATH%", "[x]", "=", "@", ";", "ÿ"};
    std::string out;
    for (int n = Pick(0, max_chars); n > 0; --n) out += kPieces[Pick(0, 12)];
    return out;
  }
  std::vector<std::uint8_t> Random(int max) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(Pick(0, max)));
    for (auto& b : out) b = static_cast<std::uint8_t>(Pick(0, 255));
    return out;
  }
  RegValue Value() {
    switch (Pick(0, 11)) {
      case 0: return RegValue::String(Text(12));
      case 1: return RegValue::String(Text(3) + std::string(1, '\0') + Text(3) + "\r\n");
      case 2: return RegValue::ExpandString(Text(12));
      case 3: return RegValue::MultiString({Text(5), Text(5), "x"});
      case 4: return RegValue::Dword(static_cast<std::uint32_t>(Pick(0, 1 << 30)) * 3u);
      case 5: return RegValue::Qword(0x8000000000000001ull + static_cast<std::uint64_t>(Pick(0, 1000)));
      case 6: return RegValue::Binary(Random(90));
      case 7: return RegValue::Binary({});
      case 8: return Raw(RegType::None, Random(4));
      case 9: return Raw(static_cast<RegType>(Pick(8, 0x7FFF)), Random(30));
      case 10: return Raw(RegType::Dword, Random(3));
      default: return RegValue::String("");
    }
  }
  std::mt19937 rng_;
};

TEST_F(BackupTest, GeneratedTreesComeBackExactly) {
  constexpr int kCases = 1000;
  TreeMaker maker(20261205);
  for (int i = 0; i < kCases; ++i) {
    const std::string path = "Software\\Gen\\T" + std::to_string(i);
    auto key = Create(path);
    maker.Fill(key, 0);
    key.Close();
    const std::string before = Export(path);
    const std::string backup = "C:\\Backup\\case.reg";
    BackedUpDeletes deletes(p.registry, p.files, backup);
    // Every fourth case deletes its top key's values one by one, the rest the whole key.
    auto names = p.registry.Root(RegRoot::CurrentUser).Open(path).value().ValueNames().value();
    if (i % 4 == 0 && !names.empty()) {
      for (const auto& name : names) ASSERT_TRUE(deletes.DeleteRegValue("HKEY_CURRENT_USER", path, name, true));
    } else {
      ASSERT_TRUE(deletes.DeleteRegKey("HKEY_CURRENT_USER", path)) << i;
      ASSERT_FALSE(Exists(path));
    }
    const auto problems = platform::LoadRegText(p.registry, machine.ReadFile(backup).value());
    ASSERT_TRUE(problems.empty()) << i << ": line " << problems.front().line << " " << problems.front().message;
    ASSERT_EQ(Export(path), before) << "case " << i << ", backup:\n" << *machine.ReadFile(backup);
    // Each case starts from an empty registry and folder, so that they all cost the same.
    ASSERT_TRUE(platform::LoadRegText(p.registry, "REGEDIT4\r\n[-HKEY_CURRENT_USER\\" + path + "]\r\n").empty());
    ASSERT_TRUE(p.files.DeleteFile(backup));
  }
}

}  // namespace
}  // namespace norvik::regrepair
