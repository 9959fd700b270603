#include "platform/sim/reg_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

std::string Utf16File(std::string_view utf8) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : Utf8ToUtf16(utf8)) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// The text of a 5.00 file with LF line ends, for comparing with expected text.
std::string ReadUtf16File(std::string_view bytes) {
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string units;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::string text = Utf16ToUtf8(units), lf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") != 0) lf += text[i];
  }
  return lf;
}

std::optional<RegValue> Get(const SimRegistry& reg, RegRoot root, std::string_view path,
                            std::string_view name) {
  auto key = reg.OpenKey(root, path);
  if (!key) return std::nullopt;
  auto value = key->Query(name);
  return value ? std::optional<RegValue>(*value) : std::nullopt;
}

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00\n\n";

// Wine's regedit, given this file by "regedit /s", wrote back kWineExport with "regedit /e".
constexpr std::string_view kWineImport = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Fixture]
@="default \"q\" \\ back"
"dw"=dword:0000001A
"DWUP"=dword:ABCDEF01
"bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f,40,41,42,43,44,45,46,47,48,49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,56,57,58,59,5a,5b,5c,5d,5e,5f,60,61,62,63
"bin0"=hex:
"exp"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00
"multi"=hex(7):61,00,00,00,62,00,00,00,00,00
"qw"=hex(b):01,02,03,04,05,06,07,08
"nonedata"=hex(0):01,02
"big"=hex(12345):01
"a\"b\\c"="x"
"café ☃"="été ☃"
"aVeryLongValueNameThatPushesTheFirstLineOfHexOutABitFurtherThanUsualOkay"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,30,31,32,33,34,35,36,37,38,39,3a,3b
"n"=hex:01,02,\
  03,04

[HKEY_CURRENT_USER\Software\Fixture\Sub]
"x"="y"
)";

constexpr std::string_view kWineExport = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Fixture]
@="default \"q\" \\ back"
"a\"b\\c"="x"
"aVeryLongValueNameThatPushesTheFirstLineOfHexOutABitFurtherThanUsualOkay"=hex:00,\
  01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,\
  1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,30,31,32,\
  33,34,35,36,37,38,39,3a,3b
"big"=hex(12345):01
"bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\
  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\
  30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f,40,41,42,43,44,45,46,47,48,\
  49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,56,57,58,59,5a,5b,5c,5d,5e,5f,60,61,\
  62,63
"bin0"=hex:
"café ☃"="été ☃"
"dw"=dword:0000001a
"DWUP"=dword:abcdef01
"exp"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,\
  25,00,00,00
"multi"=hex(7):61,00,00,00,62,00,00,00,00,00
"n"=hex:01,02,03,04
"nonedata"=hex(0):01,02
"qw"=hex(b):01,02,03,04,05,06,07,08

[HKEY_CURRENT_USER\Software\Fixture\Sub]
"x"="y"

)";

TEST(RegFileTest, ExportMatchesWineRegeditByteForByte) {
  SimRegistry reg;
  EXPECT_TRUE(LoadRegText(reg, Utf16File(kWineImport)).empty());
  const auto bytes = SaveRegText(reg, RegRoot::CurrentUser, "Software\\Fixture", RegFormat::Version5);
  ASSERT_TRUE(bytes.ok());
  EXPECT_NE(bytes->find(std::string("\r\0\n\0", 4)), std::string::npos);  // CRLF line ends
  EXPECT_EQ(ReadUtf16File(*bytes), kWineExport);
}

// Everything a value can hold, with the names and data that break naive writers.
struct TreeEntry {
  const char* path;
  std::string name;
  RegValue value;
  bool in_regedit4 = true;  // false where code page 1252 cannot carry it
};

std::vector<TreeEntry> HostileTree() {
  std::vector<std::uint8_t> ramp(1000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i * 7);
  const auto bin = [&](std::size_t n) {
    return RegValue::Binary(std::vector<std::uint8_t>(ramp.begin(), ramp.begin() + static_cast<long>(n)));
  };
  const auto raw = [](RegType t, std::vector<std::uint8_t> b) { return RegValue::Binary(std::move(b), t); };
  return {
      {"Software\\RT", "", RegValue::String("default")},
      {"Software\\RT", "quote\"back\\slash\\", RegValue::String("C:\\dir\\ \"q\"")},
      {"Software\\RT", "\"", RegValue::String("")},
      {"Software\\RT", "line\r\nbreak", RegValue::String("x")},
      {"Software\\RT", "naïve é€", RegValue::String("été €")},
      {"Software\\RT", "snow ☃", RegValue::String("☃ 日本"), false},
      {"Software\\RT", "expand", RegValue::ExpandString("%TEMP%\\é")},
      {"Software\\RT", "multi", RegValue::MultiString({"a", "é€", "c"})},
      {"Software\\RT", "dword", RegValue::Dword(0x1A)},
      {"Software\\RT", "qword", RegValue::Qword(0xFFFFFFFF00000001ull)},
      {"Software\\RT", "bin0", bin(0)},
      {"Software\\RT", "bin25", bin(25)},
      {"Software\\RT", "bin26", bin(26)},
      {"Software\\RT", "bin27", bin(27)},
      {"Software\\RT", "bin1000 with NULs", bin(1000)},
      {"Software\\RT", "none", raw(RegType::None, {})},
      {"Software\\RT", "none data", raw(RegType::None, {0, 1})},
      {"Software\\RT", "sz no terminator", raw(RegType::Sz, {'a', 0, 'b', 0})},
      {"Software\\RT", "sz embedded NUL", raw(RegType::Sz, {'a', 0, 0, 0, 'b', 0, 0, 0})},
      {"Software\\RT", "sz CRLF", RegValue::String("a\r\nb")},
      {"Software\\RT", "sz zero bytes", raw(RegType::Sz, {})},
      {"Software\\RT", "sz odd", raw(RegType::Sz, {'a', 0, 'b'}), false},
      {"Software\\RT", "dword 3 bytes", raw(RegType::Dword, {1, 2, 3})},
      {"Software\\RT", "kind ffffffff", raw(static_cast<RegType>(0xFFFFFFFFu), {7})},
      {"Software\\RT\\Sub ]x[", "v", RegValue::String("in odd key")},
      {"Software\\RT\\ spaced ", "v", RegValue::Dword(1)},
      {"Software\\RT\\Ünï ☃", "v", RegValue::Dword(2), false},
      {"Software\\RT\\empty key", "", RegValue::String("")},
  };
}

TEST(RegFileTest, LoadSaveLoadKeepsTheTreeInBothForms) {
  for (const RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
    SCOPED_TRACE(format == RegFormat::Version5 ? "5.00" : "REGEDIT4");
    SimRegistry original;
    for (const auto& e : HostileTree()) {
      if (format == RegFormat::Regedit4 && !e.in_regedit4) continue;
      ASSERT_TRUE(original.Root(RegRoot::CurrentUser).Create(e.path)->Set(e.name, e.value));
    }
    const std::string first = SaveRegText(original, RegRoot::CurrentUser, "Software\\RT", format).value();
    SimRegistry copy;
    const auto problems = LoadRegText(copy, first);
    EXPECT_TRUE(problems.empty()) << problems.front().line << ": " << problems.front().message;
    for (const auto& e : HostileTree()) {
      if (format == RegFormat::Regedit4 && !e.in_regedit4) continue;
      EXPECT_EQ(Get(copy, RegRoot::CurrentUser, e.path, e.name), e.value) << e.path << " / " << e.name;
    }
    EXPECT_EQ(SaveRegText(copy, RegRoot::CurrentUser, "Software\\RT", format).value(), first);
  }
}

struct LineCase {
  const char* lines;  // below [HKEY_CURRENT_USER\Software\T]
  const char* name;
  std::optional<RegValue> expected;  // nullopt: the value must not exist
  bool problem;
};

TEST(RegFileTest, ValueLinesAreReadAsWineRegeditReadsThem) {
  const std::vector<LineCase> cases = {
      {R"("d"=dword:1a)", "d", RegValue::Dword(0x1A), false},
      {R"("d"=dword: 0000001A  )", "d", RegValue::Dword(0x1A), false},
      {R"("d"=dword:123456789)", "d", std::nullopt, true},
      {R"("d"=DWORD:1)", "d", std::nullopt, true},
      {R"("s" = "spaced"   )", "s", RegValue::String("spaced"), false},
      {R"("s"="b" junk)", "s", std::nullopt, true},
      {R"("s"="open)", "s", std::nullopt, true},
      {R"("s"="a\\b\"c\nd\q")", "s", RegValue::String("a\\b\"c\ndq"), false},
      {R"("s"="C:\dir")", "s", RegValue::String("C:dir"), false},  // unknown escapes drop the '\'
      {R"(@="dflt")", "", RegValue::String("dflt"), false},
      {R"(""="empty name")", "", RegValue::String("empty name"), false},
      {R"("open="x")", "open=", std::nullopt, true},
      {R"("x"=str(2):"y")", "x", std::nullopt, true},
      {R"(garbage)", "garbage", std::nullopt, true},
      {R"("h"=hex:1,2,)", "h", RegValue::Binary({1, 2}), false},
      {R"("h"=hex:)", "h", RegValue::Binary({}), false},
      {R"("h"=hex: 01 , 02)", "h", std::nullopt, true},
      {R"("h"=hex:01,,02)", "h", std::nullopt, true},
      {R"("h"=hex:01,zz)", "h", std::nullopt, true},
      {R"("h"=HEX:01)", "h", std::nullopt, true},
      {R"("h"=hex(100000000):01)", "h", std::nullopt, true},
      {R"("h"=hex(b):01,00,00,00,00,00,00,00)", "h", RegValue::Qword(1), false},
      {"\"h\"=hex:01,\\\n; comment\n\n  02", "h", RegValue::Binary({1, 2}), false},
      {"\"h\"=hex:01\\\n  02", "h", std::nullopt, true},
      {"\"h\"=hex:01,0\\\n  2", "h", std::nullopt, true},
      {"\"h\"=hex:01,\\", "h", std::nullopt, true},  // the file ends inside the value
      {R"(# "c"="comment")", "c", std::nullopt, false},
      {"\"gone\"=\"y\"\n\"GONE\"=-", "gone", std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    SimRegistry reg;
    const auto problems =
        LoadRegText(reg, std::string(kHeader5) + "[HKEY_CURRENT_USER\\Software\\T]\n" + c.lines + "\n");
    EXPECT_EQ(problems.size(), c.problem ? 1u : 0u);
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\T", c.name), c.expected);
  }
}

TEST(RegFileTest, KeyLinesNameTheKeyTheirValuesGoTo) {
  struct Case {
    const char* line;
    RegRoot root;
    const char* path;  // where "v" lands; nullptr: nowhere (the line is reported)
  };
  const std::string deep = "[HKEY_CURRENT_USER\\" + [] {
    std::string p;
    for (int i = 0; i < 600; ++i) p += "d\\";
    return p;
  }() + "]";
  const std::vector<Case> cases = {
      {"[HKEY_CURRENT_USER\\Software\\T\\trailing]   ", RegRoot::CurrentUser, "Software\\T\\trailing"},
      {"[HKEY_CURRENT_USER\\Software\\T\\slash\\]", RegRoot::CurrentUser, "Software\\T\\slash"},
      {"  [HKEY_CURRENT_USER\\Software\\T\\indented]", RegRoot::CurrentUser, "Software\\T\\indented"},
      {"[HKCU\\Software\\T\\short]", RegRoot::CurrentUser, "Software\\T\\short"},
      {"[hkey_current_user\\Software\\T\\lower]", RegRoot::CurrentUser, "Software\\T\\lower"},
      {"[HKEY_CURRENT_USER\\Software\\T\\a]b]", RegRoot::CurrentUser, "Software\\T\\a]b"},
      {"[HKEY_CURRENT_USER\\\\Software\\T\\dbl\\\\x]", RegRoot::CurrentUser, "Software\\T\\dbl\\x"},
      {"[HKLM\\Software\\T]", RegRoot::LocalMachine, "Software\\T"},
      {"[HKEY_CLASSES_ROOT\\.t]", RegRoot::LocalMachine, "Software\\Classes\\.t"},
      {"[HKEY_CURRENT_USER]", RegRoot::Users, "S-1-5-21-0-0-0-1000"},
      {"[HKEY_CURRENT_USER\\Software\\T\\nobracket", RegRoot::CurrentUser, nullptr},
      {"[HKEY_BOGUS\\Software\\T]", RegRoot::CurrentUser, nullptr},
      {deep.c_str(), RegRoot::CurrentUser, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SimRegistry reg;
    // A rejected key line must not send its values to the section before it.
    const auto problems = LoadRegText(
        reg, std::string(kHeader5) + "[HKEY_CURRENT_USER\\Software\\T]\n" + c.line + "\n\"v\"=\"1\"\n");
    EXPECT_EQ(problems.size(), c.path ? 0u : 1u);
    if (c.path) {
      EXPECT_EQ(Get(reg, c.root, c.path, "v"), RegValue::String("1"));
    }
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\T", "v"), std::nullopt);
  }
}

TEST(RegFileTest, MinusSectionsDeleteWholeSubtreesButNeverARoot) {
  SimRegistry reg;
  const auto problems = LoadRegText(reg, std::string(kHeader5) +
                                             "[HKEY_CURRENT_USER\\Software\\T\\del\\sub\\deeper]\n"
                                             "\"v\"=\"1\"\n"
                                             "[HKEY_CURRENT_USER\\Software\\T\\keep]\n"
                                             "[-HKEY_CURRENT_USER\\Software\\T\\DEL]\n"
                                             "\"ignored\"=\"1\"\n"
                                             "[-HKEY_CURRENT_USER\\Software\\T\\missing]\n"
                                             "[-HKEY_CURRENT_USER]\n");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 9u);
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, "Software\\T").value().SubKeyNames().value(),
            std::vector<std::string>{"keep"});
}

TEST(RegFileTest, FileEncodingsAndHeaders) {
  struct Case {
    std::string bytes;
    const char* key;  // below HKCU\Software, holding "s"
    const char* text;
  };
  const std::string body5 = "\r\n[HKEY_CURRENT_USER\\Software\\café ☃]\r\n\"s\"=\"€\"\r\n";
  const std::vector<Case> cases = {
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\caf\xE9]\r\n\"s\"=\"\x80\"\r\n", "café", "€"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\Software\\lf]\n\"s\"=\"x\"", "lf", "x"},
      {Utf16File("Windows Registry Editor Version 5.00\r\n" + body5), "café ☃", "€"},
      {Utf16File("Windows Registry Editor Version 5.00\r\n" + body5) + "\x01", "café ☃", "€"},
      {"Windows Registry Editor Version 5.00\r\n" + body5, "café ☃", "€"},
      {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n" + body5, "café ☃", "€"},
      // Not UTF-8: read as code page text, as Wine reads every 5.00 file without a BOM.
      {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\caf\xE9]\r\n\"s\"=\"\x80\"",
       "café", "€"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    SimRegistry reg;
    EXPECT_TRUE(LoadRegText(reg, c.bytes).empty());
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, std::string("Software\\") + c.key, "s"), RegValue::String(c.text));
  }
  for (const std::string bad : {"", "REGEDIT5\r\n[HKEY_CURRENT_USER\\X]", "\xFE\xFF\x00R", "\x00\x01\x02"}) {
    SimRegistry reg;
    const auto problems = LoadRegText(reg, bad);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 1u);
  }
}

TEST(RegFileTest, Regedit4CarriesStringKindsInHexAsCodePageBytes) {
  SimRegistry reg;
  ASSERT_TRUE(LoadRegText(reg, "REGEDIT4\r\n[HKEY_CURRENT_USER\\T]\r\n"
                               "\"e\"=hex(2):41,e9,80,00\r\n\"m\"=hex(7):61,00,e9,00,00\r\n"
                               "\"b\"=hex:e9\r\n")
                  .empty());
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "T", "e"), RegValue::ExpandString("Aé€"));
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "T", "m"), RegValue::MultiString({"a", "é"}));
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "T", "b"), RegValue::Binary({0xE9}));

  ASSERT_TRUE(reg.Root(RegRoot::CurrentUser).Open("T")->Set("s", RegValue::String("é ☃")));
  EXPECT_EQ(SaveRegText(reg, RegRoot::CurrentUser, "T", RegFormat::Regedit4).value(),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n\"b\"=hex:e9\r\n"
            "\"e\"=hex(2):41,e9,80,00\r\n\"m\"=hex(7):61,00,e9,00,00\r\n\"s\"=\"\xE9 ?\"\r\n\r\n");
}

TEST(RegFileTest, ReadsTheProgramsOwnBackupFiles) {
  // Upper-case digits, 26 bytes on the first line and continuation lines without indentation.
  std::string data;
  for (int i = 0; i < 26; ++i) data += "FF,";
  data += "\\\r\nFF";
  const std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Example]\r\n"
                           "@=\"C:\\\\dir\\\\x.exe\"\r\n\"Count\"=dword:0000001A\r\n\r\n"
                           "[HKEY_CURRENT_USER\\Software\\Example\\Sub]\r\n\"Data\"=hex:" + data + "\r\n";
  SimRegistry reg;
  EXPECT_TRUE(LoadRegText(reg, text).empty());
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\Example", ""), RegValue::String("C:\\dir\\x.exe"));
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\Example", "Count"), RegValue::Dword(26));
  EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\Example\\Sub", "Data"),
            RegValue::Binary(std::vector<std::uint8_t>(27, 0xFF)));
}

TEST(RegFileTest, WholeRegistryDumpCoversTheRealHivesOnceAndReloads) {
  SimRegistry reg;
  ASSERT_TRUE(reg.Root(RegRoot::CurrentUser).Create("Software\\X")->Set("v", RegValue::Dword(1)));
  ASSERT_TRUE(reg.Root(RegRoot::ClassesRoot).Create(".x")->Set("", RegValue::String("x")));
  const std::string dump = ReadUtf16File(SaveRegText(reg, RegFormat::Version5));
  EXPECT_EQ(dump.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE]\n", 0), 0u);
  EXPECT_NE(dump.find("[HKEY_LOCAL_MACHINE\\Software\\Classes\\.x]\n@=\"x\"\n"), std::string::npos);
  EXPECT_NE(dump.find("[HKEY_USERS\\S-1-5-21-0-0-0-1000\\Software\\X]\n\"v\"=dword:00000001\n"),
            std::string::npos);
  EXPECT_EQ(dump.find("[HKEY_CURRENT_USER"), std::string::npos);
  EXPECT_EQ(dump.find("[HKEY_CLASSES_ROOT"), std::string::npos);

  SimRegistry copy;
  EXPECT_TRUE(LoadRegText(copy, SaveRegText(reg, RegFormat::Version5)).empty());
  EXPECT_EQ(SaveRegText(copy, RegFormat::Version5), SaveRegText(reg, RegFormat::Version5));
  EXPECT_EQ(SaveRegText(reg, RegRoot::CurrentUser, "Software\\Missing", RegFormat::Version5).code(),
            kErrFileNotFound);
}

TEST(RegFileTest, HostileFilesAreReportedNeverFatal) {
  SimRegistry reg;
  const std::string header(kHeader5);
  // An over-long line is skipped; the next one still loads.
  auto problems = LoadRegText(reg, header + "[HKEY_CURRENT_USER\\T]\n\"big\"=\"" +
                                       std::string(kMaxRegLineBytes, 'x') + "\"\n\"ok\"=\"1\"\n");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 4u);
  EXPECT_TRUE(Get(reg, RegRoot::CurrentUser, "T", "ok").has_value());

  std::string garbage = header;
  for (int i = 0; i < 5000; ++i) garbage += "junk\n";
  EXPECT_EQ(LoadRegText(reg, garbage).size(), kMaxRegProblems + 1);

  // Mutations of a valid export (cut, byte flips, repeats) must load or be reported.
  const std::string seed = SaveRegText(reg, RegFormat::Regedit4) + std::string(kWineImport);
  std::uint32_t rng = 12345;
  const auto next = [&rng](std::size_t bound) {
    rng = rng * 1103515245u + 12345u;
    return static_cast<std::size_t>((rng >> 8) % bound);
  };
  for (int round = 0; round < 300; ++round) {
    std::string text = seed;
    for (int m = 0; m < 8; ++m) {
      const std::size_t at = next(text.size());
      switch (next(3)) {
        case 0: text[at] = static_cast<char>(next(256)); break;
        case 1: text.resize(std::max<std::size_t>(at, 10)); break;
        default: text.insert(at, text.substr(next(text.size()), next(200))); break;
      }
    }
    SimRegistry target;
    (void)LoadRegText(target, text);
  }
}

}  // namespace
}  // namespace norvik::platform::sim
