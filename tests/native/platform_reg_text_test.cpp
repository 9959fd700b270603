#include "platform/reg_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "platform/text_encoding.h"

namespace norvik::platform::sim {
namespace {

// UTF-16LE with its mark, as regedit writes 5.00 files (the host is little-endian too).
std::string Utf16File(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

std::optional<RegValue> Get(const SimRegistry& reg, RegRoot root, std::string_view path, std::string_view name) {
  auto value = reg.OpenKey(root, path).value_or({}).Query(name);
  return value ? std::optional<RegValue>(*value) : std::nullopt;
}

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00\n\n";
const std::string kInT = std::string(kHeader5) + "[HKEY_CURRENT_USER\\Software\\T]\n";  // a file up to a first key

// The simulation's export is the registry editor's "/e" and the tests' yardstick for
// "nothing changed": what it writes must load back to the very same values, whatever
// a value holds and whatever its name or its key's name hold. (REGEDIT4 backups:
// BackupConformanceTest.)
TEST(RegFileTest, LoadSaveLoadKeepsTheTree) {
  std::vector<std::uint8_t> ramp(1000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint8_t>(i * 7);
  const auto raw = [](RegType t, std::vector<std::uint8_t> b) { return RegValue::Binary(std::move(b), t); };
  const std::string rt = "Software\\RT";
  const std::tuple<std::string, std::string, RegValue> tree[] = {
      {rt, "", RegValue::String("default")}, {rt, "quote\"back\\slash\\", RegValue::String("C:\\dir\\ \"q\"")},
      {rt, "\"", RegValue::String("")}, {rt, "line\r\nbreak", RegValue::String("x")},
      {rt, "snow ☃", RegValue::String("☃ 日本")}, {rt, "expand", RegValue::ExpandString("%TEMP%\\é")},
      {rt, "multi", RegValue::MultiString({"a", "é€", "c"})}, {rt, "dword", RegValue::Dword(0x1A)},
      {rt, "qword", RegValue::Qword(0xFFFFFFFF00000001ull)}, {rt, "bin0", RegValue::Binary({})},
      {rt, "bin1000 with NULs", RegValue::Binary(ramp)}, {rt, "none", raw(RegType::None, {})},
      {rt, "none data", raw(RegType::None, {0, 1})}, {rt, "sz no terminator", raw(RegType::Sz, {'a', 0, 'b', 0})},
      {rt, "sz embedded NUL", raw(RegType::Sz, {'a', 0, 0, 0, 'b', 0, 0, 0})},
      {rt, "sz CRLF", RegValue::String("a\r\nb")}, {rt, "sz zero bytes", raw(RegType::Sz, {})},
      {rt, "sz odd", raw(RegType::Sz, {'a', 0, 'b'})}, {rt, "dword 3 bytes", raw(RegType::Dword, {1, 2, 3})},
      {rt, "kind ffffffff", raw(static_cast<RegType>(0xFFFFFFFFu), {7})},
      {rt + "\\Sub ]x[", "v", RegValue::String("in odd key")}, {rt + "\\ spaced ", "v", RegValue::Dword(1)},
      {rt + "\\Ünï ☃", "v", RegValue::Dword(2)}, {rt + "\\empty key", "", RegValue::String("")},
  };
  SimRegistry original;
  const RegKey user = original.Root(RegRoot::CurrentUser);
  for (const auto& [path, name, value] : tree) ASSERT_TRUE(user.Create(path)->Set(name, value));
  const std::string first = ExportRegKey(original, RegRoot::CurrentUser, rt, RegFormat::Version5).value();
  SimRegistry copy;
  const auto problems = LoadRegText(copy, first);
  EXPECT_TRUE(problems.empty()) << problems.front().line << ": " << problems.front().message;
  for (const auto& [path, name, value] : tree) {
    EXPECT_EQ(Get(copy, RegRoot::CurrentUser, path, name), value) << path << " / " << name;
  }
  EXPECT_EQ(ExportRegKey(copy, RegRoot::CurrentUser, rt, RegFormat::Version5).value(), first);
}

TEST(RegFileTest, ValueLinesAreReadAsWineRegeditReadsThem) {
  // Lines below [HKEY_CURRENT_USER\Software\T], the value they name, what it holds (none:
  // it must not exist), and whether the line is reported.
  const std::vector<std::tuple<const char*, const char*, std::optional<RegValue>, bool>> cases = {
      {R"("d"=dword: 0000001A  )", "d", RegValue::Dword(0x1A), false},
      {R"("d"=dword:123456789)", "d", std::nullopt, true},
      {R"("s" = "spaced"   )", "s", RegValue::String("spaced"), false}, {R"("s"="b" junk)", "s", std::nullopt, true},
      {R"("s"="a\\b\"c\nd\q")", "s", RegValue::String("a\\b\"c\ndq"), false},
      {R"("s"="C:\dir")", "s", RegValue::String("C:dir"), false},  // unknown escapes drop the '\'
      {R"("open="x")", "open=", std::nullopt, true}, {R"(garbage)", "garbage", std::nullopt, true},
      {R"("h"=hex:1,2,)", "h", RegValue::Binary({1, 2}), false},
      {R"("h"=hex:FF,0A)", "h", RegValue::Binary({0xFF, 0x0A}), false},  // as our own backups write it
      {R"("h"=hex: 01 , 02)", "h", std::nullopt, true}, {R"("h"=hex:01,zz)", "h", std::nullopt, true},
      {R"("h"=hex(100000000):01)", "h", std::nullopt, true},
      {R"("h"=hex(b):01,00,00,00,00,00,00,00)", "h", RegValue::Qword(1), false},
      {"\"h\"=hex:01,\\\n; comment\n\n  02", "h", RegValue::Binary({1, 2}), false},
      {"\"h\"=hex:01,\\\r\n02", "h", RegValue::Binary({1, 2}), false},  // no indentation, as in backups
      {"\"h\"=hex:01\\\n  02", "h", std::nullopt, true},
      {"\"h\"=hex:01,\\", "h", std::nullopt, true},  // the file ends inside the value
      {R"(# "c"="comment")", "c", std::nullopt, false}, {"\"gone\"=\"y\"\n\"GONE\"=-", "gone", std::nullopt, false},
  };
  for (const auto& [lines, name, expected, problem] : cases) {
    SimRegistry reg;
    const auto problems = LoadRegText(reg, kInT + lines + "\n");
    EXPECT_EQ(problems.size(), problem ? 1u : 0u) << lines;
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\T", name), expected) << lines;
  }
}

TEST(RegFileTest, KeyLinesNameTheKeyTheirValuesGoTo) {
  // A key line, and where the "v" below it lands; nullptr: nowhere (the line is reported).
  std::string deep = "[HKEY_CURRENT_USER\\";
  for (int i = 0; i < 600; ++i) deep += "d\\";
  deep += "]";
  const std::vector<std::tuple<const char*, RegRoot, const char*>> cases = {
      {"[HKEY_CURRENT_USER\\Software\\T\\trailing]   ", RegRoot::CurrentUser, "Software\\T\\trailing"},
      {"[HKCU\\Software\\T\\short]", RegRoot::CurrentUser, "Software\\T\\short"},
      {"[HKEY_CURRENT_USER\\Software\\T\\a]b]", RegRoot::CurrentUser, "Software\\T\\a]b"},
      {"[HKEY_CURRENT_USER\\\\Software\\T\\dbl\\\\x]", RegRoot::CurrentUser, "Software\\T\\dbl\\x"},
      {"[HKLM\\Software\\T]", RegRoot::LocalMachine, "Software\\T"},
      {"[HKEY_CLASSES_ROOT\\.t]", RegRoot::LocalMachine, "Software\\Classes\\.t"},
      {"[HKEY_CURRENT_USER]", RegRoot::Users, "S-1-5-21-0-0-0-1000"},
      {"[HKEY_CURRENT_USER\\Software\\T\\nobracket", RegRoot::CurrentUser, nullptr},
      {"[HKEY_BOGUS\\Software\\T]", RegRoot::CurrentUser, nullptr}, {deep.c_str(), RegRoot::CurrentUser, nullptr},
  };
  for (const auto& [line, root, path] : cases) {
    SCOPED_TRACE(line);
    SimRegistry reg;
    const auto problems = LoadRegText(reg, kInT + line + "\n\"v\"=\"1\"\n");
    EXPECT_EQ(problems.size(), path ? 0u : 1u);
    if (path) { EXPECT_EQ(Get(reg, root, path, "v"), RegValue::String("1")); }
    // A rejected key line must not send its values to the section before it.
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, "Software\\T", "v"), std::nullopt);
  }
}

TEST(RegFileTest, MinusSectionsDeleteWholeSubtreesButNeverARoot) {
  SimRegistry reg;
  const auto problems = LoadRegText(
      reg, std::string(kHeader5) +
               "[HKEY_CURRENT_USER\\Software\\T\\del\\sub\\deeper]\n\"v\"=\"1\"\n"
               "[HKEY_CURRENT_USER\\Software\\T\\keep]\n[-HKEY_CURRENT_USER\\Software\\T\\DEL]\n\"ignored\"=\"1\"\n"
               "[-HKEY_CURRENT_USER\\Software\\T\\missing]\n[-HKEY_CURRENT_USER]\n");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 9u);
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, "Software\\T").value().SubKeyNames().value(),
            std::vector<std::string>{"keep"});
}

TEST(RegFileTest, FileEncodingsAndHeaders) {
  using namespace std::string_literals;
  const std::string v5 = "Windows Registry Editor Version 5.00\r\n";
  const std::string body = "\r\n[HKEY_CURRENT_USER\\Software\\café ☃]\r\n\"s\"=\"€\"\r\n";
  const std::pair<std::string, const char*> cases[] = {  // the file, the key below HKCU\Software holding "s"="€"
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\caf\xE9]\r\n\"s\"=\"\x80\"\r\n", "café"},
      {Utf16File(v5 + body), "café ☃"}, {Utf16File(v5 + body) + "\x01", "café ☃"}, {v5 + body, "café ☃"},
      {"\xEF\xBB\xBF" + v5 + body, "café ☃"},
      // Not UTF-8: read as code page text, as Wine reads every 5.00 file without a BOM.
      {v5 + "[HKEY_CURRENT_USER\\Software\\caf\xE9]\r\n\"s\"=\"\x80\"", "café"},
  };
  for (const auto& [bytes, key] : cases) {
    SimRegistry reg;
    EXPECT_TRUE(LoadRegText(reg, bytes).empty()) << key;
    EXPECT_EQ(Get(reg, RegRoot::CurrentUser, std::string("Software\\") + key, "s"), RegValue::String("€")) << key;
  }
  for (const std::string& bad : {""s, "REGEDIT5\r\n[HKEY_CURRENT_USER\\X]"s, "\xFE\xFF\x00R"s, "\x00\x01\x02"s}) {
    SimRegistry reg;
    const auto problems = LoadRegText(reg, bad);
    ASSERT_EQ(problems.size(), 1u) << bad.size();
    EXPECT_EQ(problems[0].line, 1u);
  }
}

// Arbitrary bytes are the fuzz target's; here the caps on line length and problem count.
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
}

}  // namespace
}  // namespace norvik::platform::sim
