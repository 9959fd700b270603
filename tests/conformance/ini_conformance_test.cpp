// INI files through the private-profile functions: the same checks against the
// simulated Windows and the real API.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conformance/conformance_env.h"

namespace norvik::conformance {
namespace {

using platform::FileAccess;
using platform::FileDisposition;
using Names = std::vector<std::string>;
namespace share = platform::file_share;
using namespace std::string_literals;  // "..."s keeps the NULs of UTF-16 text

class IniConformance : public ::testing::Test {
 protected:
  platform::IniFiles& ini() { return env_->platform().ini; }
  platform::Files& files() { return env_->platform().files; }

  void Put(std::string_view bytes) {
    auto file = files().Open(file_, FileAccess::Write, share::kNone, FileDisposition::CreateAlways);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->WriteAll(bytes));
  }
  std::string Bytes() {
    auto file = files().Open(file_, FileAccess::Read, share::kAll, FileDisposition::OpenExisting);
    if (!file) return "<missing>";
    std::string bytes(file->Size().value_or(0), '\0');
    bytes.resize(file->Read(bytes.data(), bytes.size()).value_or(0));
    return bytes;
  }
  std::string Get(std::string_view section, std::string_view key, std::string_view def = "d",
                  std::size_t buffer = 2048) {
    return ini().GetString(file_, section, key, def, buffer);
  }

  std::unique_ptr<ConformanceEnv> env_ = MakeConformanceEnv();
  std::string file_ = env_->ScratchFolder() + "\\test.ini";
};

TEST_F(IniConformance, ReadingRules) {
  EXPECT_EQ(Get("Sec", "Key"), "d");  // no file yet
  EXPECT_TRUE(ini().GetKeys(file_, "Sec").empty() && ini().GetSections(file_).empty());
  Put("[Sec]\r\nKey=Value\r\n  spaced  =  some value  \r\nempty=\r\ndq=\"quoted\"\r\nsq='single'\r\n"
      "mixq=\"mixed'\r\nonlyq=\"\r\ndqsp=\" padded \"\r\ninner=a \"b\" c\r\nsemi=1 ; not a comment\r\n"
      "noeq\r\n;comment=x\r\nKey=Second\r\ntab\t=\tt\t\r\n\r\n[Other]\r\nx=1\r\n[sec]\r\ny=2\r\n");
  const struct {
    const char *section, *key, *value, *def = "d";
    std::size_t buffer = 2048;  // characters, the terminating NUL included
  } cases[] = {
      {"SEC", "KEY", "Value"},  // letter case ignored; the first of two keys wins
      {" Sec ", "  spaced  ", "some value"}, {"Sec", "empty", ""}, {"Sec", "dq", "quoted"}, {"Sec", "sq", "single"},
      {"Sec", "mixq", "\"mixed'"}, {"Sec", "onlyq", "\""}, {"Sec", "dqsp", " padded "}, {"Sec", "inner", "a \"b\" c"},
      {"Sec", "semi", "1 ; not a comment"}, {"Sec", "noeq", "d"}, {"Sec", ";comment", "x"}, {"Sec", "tab", "t"},
      {"sec", "y", "d"},  // only the first of two same-named sections is read
      {"Missing", "x", "dflt", "dflt"}, {"Sec", "other", "", ""},
      {"Sec", "other", "  padded", "  padded  "},  // trailing blanks of the default go
      {"Sec", "other", "quoted", "\"quoted\""},
      {"Sec", "Key", "Val", "d", 4},  // the answer is cut to the buffer
      {"Sec", "Key", "", "d", 1}, {"Sec", "dq", "quo", "d", 4}, {"Sec", "other", "def", "defaultlong", 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Get(c.section, c.key, c.def, c.buffer), c.value) << c.section << " " << c.key << " " << c.buffer;
  }
  // Keys in file order, without lines lacking '=' or comments; duplicates stay.
  EXPECT_EQ(ini().GetKeys(file_, "sec"), (Names{"Key", "spaced", "empty", "dq", "sq", "mixq", "onlyq", "dqsp",
                                                "inner", "semi", "Key", "tab"}));
  EXPECT_EQ(ini().GetSections(file_), (Names{"Sec", "Other", "sec"}));
}

TEST_F(IniConformance, OddLines) {
  Put("before=1\r\n[ B ]\r\nb=2\r\n[C] trailing\r\nc=3\r\n[D\r\nd=4\r\n  [E]  \r\ne=5\r\n[F]x]\r\ng=7\n");
  EXPECT_EQ(ini().GetSections(file_), (Names{"B", "C", "E", "F]x"}));
  EXPECT_EQ(Get("", "before") + Get("B", "b") + Get("E", "e") + Get("F]x", "g"), "1257");
  EXPECT_EQ(ini().GetKeys(file_, "C"), (Names{"c", "d"}));  // "[D" without ']' is a line of C
}

TEST_F(IniConformance, WritesRewriteTheFile) {
  ASSERT_TRUE(ini().WriteString(file_, "Sec", "Key", "Value"));
  EXPECT_EQ(Bytes(), "[Sec]\r\nKey=Value\r\n");
  // "KEY" changes in place and keeps its stored case.
  for (const auto& e : std::vector<platform::IniEntry>{
           {"Sec", "  Key2  ", "  spaced  "}, {"Sec2", "k", "v"}, {"sec", "KEY", "changed"}, {"Sec", "quoted", "\"q\""}}) {
    ASSERT_TRUE(ini().WriteString(file_, e.section, e.key, e.value)) << e.key;
  }
  EXPECT_EQ(Bytes(), "[Sec]\r\nKey=changed\r\nKey2=spaced\r\nquoted=\"q\"\r\n[Sec2]\r\nk=v\r\n");
  EXPECT_EQ(Get("Sec", "quoted"), "q");

  ASSERT_TRUE(ini().DeleteKey(file_, "SEC", "key2") && ini().DeleteKey(file_, "Missing", "missing"));
  EXPECT_EQ(Bytes(), "[Sec]\r\nKey=changed\r\nquoted=\"q\"\r\n[Sec2]\r\nk=v\r\n");
  ASSERT_TRUE(ini().DeleteSection(file_, "sec") && ini().DeleteSection(file_, "Missing"));
  EXPECT_EQ(Bytes(), "[Sec2]\r\nk=v\r\n");
}

TEST_F(IniConformance, WritesKeepLinesButNotLayout) {
  Put("; top comment\r\n[A]\r\nx = 1\r\n; c\r\n\r\nnoeq\r\n\r\n[B]\n\ty=2\n");
  ASSERT_TRUE(ini().WriteString(file_, "A", "z", "3"));  // after the last line of [A]
  EXPECT_EQ(Bytes(), "; top comment\r\n[A]\r\nx=1\r\n; c\r\nnoeq\r\nz=3\r\n[B]\r\ny=2\r\n");
  // A new section goes last; a key of section "" goes among the lines above the first header.
  ASSERT_TRUE(ini().WriteString(file_, "C", "w", "4") && ini().DeleteSection(file_, "A") &&
              ini().WriteString(file_, "", "top", "1"));
  EXPECT_EQ(Bytes(), "; top comment\r\ntop=1\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
}

// One pass gives the bytes the profile functions give key by key, for a file they wrote
// and for one with odd lines and another encoding; a held file stays as it was.
TEST_F(IniConformance, WritingManyKeysAtOnceGivesTheSameFileAsOneByOne) {
  const std::vector<platform::IniEntry> entries = {
      {"A", "z", " 3 "}, {"a", "X", "9"}, {"New", "k", "v"}, {"", "top", "1"}, {"A", "z", "4"}, {"B", "y", "2"},
      {"new", "K", "é☃"}, {"C", "noeq", "5"}};
  for (const std::string& start :
       {""s, "; top comment\r\n[A]\r\nx = 1\r\n; c\r\n\r\nnoeq\r\n\r\n[B]\n\ty=2\n[C]\r\nnoeq\r\n[a]\r\nz=0\r\n"s,
        "\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\xE9\0\r\0\n\0"s}) {
    SCOPED_TRACE(start.substr(0, 14));
    Put(start);
    for (const auto& e : entries) ASSERT_TRUE(ini().WriteString(file_, e.section, e.key, e.value));
    const std::string one_by_one = Bytes();
    Put(start);
    ASSERT_TRUE(ini().WriteStrings(file_, entries) && !files().GetAttributes(file_ + ".tmp"));
    EXPECT_EQ(Bytes(), one_by_one);
  }
  const std::string before = Bytes();
  const std::vector<platform::IniEntry> change = {{"A", "x", "changed"}};
  {
    auto held = files().Open(file_, FileAccess::Read, share::kRead | share::kWrite, FileDisposition::OpenExisting);
    ASSERT_TRUE(held);
    EXPECT_FALSE(ini().WriteStrings(file_, change));
  }
  ASSERT_TRUE(files().SetAttributes(file_, platform::file_attr::kReadOnly));
  EXPECT_FALSE(ini().WriteStrings(file_, change) || files().GetAttributes(file_ + ".tmp"));
  EXPECT_EQ(Bytes(), before);
  ASSERT_TRUE(files().SetAttributes(file_, platform::file_attr::kNormal));
}

TEST_F(IniConformance, Encodings) {
  Put("[A]\r\nx=caf\xE9 \x80\r\n");
  EXPECT_EQ(Get("A", "x"), "café €");
  ASSERT_TRUE(ini().WriteString(file_, "A", "y", "é€☃"));
  EXPECT_EQ(Bytes(), "[A]\r\nx=caf\xE9 \x80\r\ny=\xE9\x80?\r\n");

  Put("\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\xE9\0\r\0\n\0"s);
  EXPECT_EQ(Get("A", "x"), "é");
  ASSERT_TRUE(ini().WriteString(file_, "A", "y", "☃"));
  EXPECT_EQ(Bytes(), "\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\xE9\0\r\0\n\0y\0=\0\x03\x26\r\0\n\0"s);
}

TEST_F(IniConformance, FailedWrites) {
  // No folder is made for a file in a missing one.
  EXPECT_FALSE(ini().WriteString(env_->ScratchFolder() + "\\missing\\test.ini", "A", "x", "1") ||
               files().GetAttributes(env_->ScratchFolder() + "\\missing"));

  Put("[A]\r\nx=1\r\n");
  {
    auto held = files().Open(file_, FileAccess::Read, share::kNone, FileDisposition::OpenExisting);
    ASSERT_TRUE(held);
    EXPECT_FALSE(ini().WriteString(file_, "A", "x", "2"));
    EXPECT_EQ(Get("A", "x"), "d");  // an unreadable file reads as missing
  }
  EXPECT_EQ(ini().WriteString(file_, "A", "x", "2\0tail"s).code(), platform::kErrInvalidParameter);
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}

}  // namespace
}  // namespace norvik::conformance
