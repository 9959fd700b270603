// INI files through the private-profile functions: the same checks against the
// simulated Windows and the real API. Each check_* helper reports failures at the line
// of its caller.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conformance/conformance_env.h"

namespace norvik::conformance {
namespace {

using platform::FileAccess;
using platform::FileDisposition;
namespace share = platform::file_share;

class IniConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeConformanceEnv();
    file_ = env_->ScratchFolder() + "\\test.ini";
  }

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

  void check_get(int line, std::string_view section, std::string_view key, std::string_view def,
                 std::string_view expected, std::size_t buffer = 2048) {
    SCOPED_TRACE(testing::Message()
                 << "called from line " << line << ", [" << section << "] " << key);
    EXPECT_EQ(ini().GetString(file_, section, key, def, buffer), expected);
  }

  void check_file(int line, std::string_view expected) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    EXPECT_EQ(Bytes(), expected);
  }

  std::unique_ptr<ConformanceEnv> env_;
  std::string file_;
};

#define CHECK_GET(...) check_get(__LINE__, __VA_ARGS__)
#define CHECK_FILE(expected) check_file(__LINE__, expected)

using Names = std::vector<std::string>;

// A byte string that may hold NULs.
template <std::size_t N>
std::string Raw(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

TEST_F(IniConformance, MissingFileSectionOrKeyGivesTheDefault) {
  CHECK_GET("S", "k", "dflt", "dflt");
  EXPECT_EQ(ini().GetKeys(file_, "S"), Names{});
  EXPECT_EQ(ini().GetSections(file_), Names{});
  Put("[S]\r\nk=v\r\n");
  CHECK_GET("Other", "k", "dflt", "dflt");
  CHECK_GET("S", "other", "dflt", "dflt");
  CHECK_GET("S", "other", "", "");
  CHECK_GET("S", "other", "  padded  ", "  padded");  // trailing blanks of the default go
  CHECK_GET("S", "other", "\"quoted\"", "quoted");
  EXPECT_EQ(ini().GetKeys(file_, "Other"), Names{});
}

TEST_F(IniConformance, ReadingRules) {
  Put("[Sec]\r\n"
      "Key=Value\r\n"
      "  spaced  =  some value  \r\n"
      "empty=\r\n"
      "dq=\"quoted\"\r\n"
      "sq='single'\r\n"
      "mixq=\"mixed'\r\n"
      "onlyq=\"\r\n"
      "dqsp=\" padded \"\r\n"
      "inner=a \"b\" c\r\n"
      "semi=1 ; not a comment\r\n"
      "noeq\r\n"
      ";comment=x\r\n"
      "Key=Second\r\n"
      "tab\t=\tt\t\r\n"
      "\r\n"
      "[Other]\r\n"
      "x=1\r\n"
      "[sec]\r\n"
      "y=2\r\n");
  CHECK_GET("Sec", "Key", "d", "Value");
  CHECK_GET("SEC", "KEY", "d", "Value");  // letter case ignored; the first of two keys wins
  CHECK_GET(" Sec ", "  spaced  ", "d", "some value");
  CHECK_GET("Sec", "empty", "d", "");
  CHECK_GET("Sec", "dq", "d", "quoted");
  CHECK_GET("Sec", "sq", "d", "single");
  CHECK_GET("Sec", "mixq", "d", "\"mixed'");
  CHECK_GET("Sec", "onlyq", "d", "\"");
  CHECK_GET("Sec", "dqsp", "d", " padded ");
  CHECK_GET("Sec", "inner", "d", "a \"b\" c");
  CHECK_GET("Sec", "semi", "d", "1 ; not a comment");
  CHECK_GET("Sec", "noeq", "d", "d");
  CHECK_GET("Sec", ";comment", "d", "x");
  CHECK_GET("Sec", "tab", "d", "t");
  CHECK_GET("sec", "y", "d", "d");  // only the first of two same-named sections is read

  // Keys in file order, without lines lacking '=' or comments; duplicates stay.
  EXPECT_EQ(ini().GetKeys(file_, "sec"), (Names{"Key", "spaced", "empty", "dq", "sq", "mixq",
                                                "onlyq", "dqsp", "inner", "semi", "Key", "tab"}));
  EXPECT_EQ(ini().GetSections(file_), (Names{"Sec", "Other", "sec"}));
}

TEST_F(IniConformance, OddLines) {
  Put("before=1\r\n[ B ]\r\nb=2\r\n[C] trailing\r\nc=3\r\n[D\r\nd=4\r\n  [E]  "
      "\r\ne=5\r\n[F]x]\r\ng=7\n");
  EXPECT_EQ(ini().GetSections(file_), (Names{"B", "C", "E", "F]x"}));
  CHECK_GET("", "before", "d", "1");
  CHECK_GET("B", "b", "d", "2");
  CHECK_GET("C", "d", "d", "4");  // "[D" without ']' is a line of section C
  EXPECT_EQ(ini().GetKeys(file_, "C"), (Names{"c", "d"}));
  CHECK_GET("E", "e", "d", "5");
  CHECK_GET("F]x", "g", "d", "7");
}

TEST_F(IniConformance, AnswerIsCutToTheBuffer) {
  Put("[S]\r\nk=Value\r\nq=\"quoted\"\r\n");
  CHECK_GET("S", "k", "d", "Val", 4);
  CHECK_GET("S", "k", "d", "", 1);
  CHECK_GET("S", "q", "d", "quo", 4);
  CHECK_GET("S", "missing", "defaultlong", "def", 4);
}

TEST_F(IniConformance, WritesRewriteTheFile) {
  ASSERT_TRUE(ini().WriteString(file_, "Sec", "Key", "Value"));
  CHECK_FILE("[Sec]\r\nKey=Value\r\n");
  ASSERT_TRUE(ini().WriteString(file_, "Sec", "  Key2  ", "  spaced  "));
  ASSERT_TRUE(ini().WriteString(file_, "Sec2", "k", "v"));
  ASSERT_TRUE(ini().WriteString(file_, "sec", "KEY", "changed"));  // in place, stored case kept
  ASSERT_TRUE(ini().WriteString(file_, "Sec", "quoted", "\"q\""));
  CHECK_FILE("[Sec]\r\nKey=changed\r\nKey2=spaced\r\nquoted=\"q\"\r\n[Sec2]\r\nk=v\r\n");
  CHECK_GET("Sec", "quoted", "d", "q");

  ASSERT_TRUE(ini().DeleteKey(file_, "SEC", "key2"));
  ASSERT_TRUE(ini().DeleteKey(file_, "Sec", "missing"));
  ASSERT_TRUE(ini().DeleteKey(file_, "Missing", "missing"));
  CHECK_FILE("[Sec]\r\nKey=changed\r\nquoted=\"q\"\r\n[Sec2]\r\nk=v\r\n");
  ASSERT_TRUE(ini().DeleteSection(file_, "sec"));
  ASSERT_TRUE(ini().DeleteSection(file_, "Missing"));
  CHECK_FILE("[Sec2]\r\nk=v\r\n");
}

TEST_F(IniConformance, WritesKeepLinesButNotLayout) {
  Put("; top comment\r\n[A]\r\nx = 1\r\n; c\r\n\r\nnoeq\r\n\r\n[B]\n\ty=2\n");
  ASSERT_TRUE(ini().WriteString(file_, "A", "z", "3"));  // after the last line of [A]
  CHECK_FILE("; top comment\r\n[A]\r\nx=1\r\n; c\r\nnoeq\r\nz=3\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(ini().WriteString(file_, "C", "w", "4"));  // a new section goes last
  ASSERT_TRUE(ini().DeleteSection(file_, "A"));
  CHECK_FILE("; top comment\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
  ASSERT_TRUE(ini().WriteString(file_, "", "top", "1"));  // the lines above the first header
  CHECK_FILE("; top comment\r\ntop=1\r\n[B]\r\ny=2\r\n[C]\r\nw=4\r\n");
}

TEST_F(IniConformance, Encodings) {
  Put("[A]\r\nx=caf\xE9 \x80\r\n");
  CHECK_GET("A", "x", "d", "café €");
  ASSERT_TRUE(ini().WriteString(file_, "A", "y", "é€☃"));
  CHECK_FILE("[A]\r\nx=caf\xE9 \x80\r\ny=\xE9\x80?\r\n");

  Put(Raw("\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\xE9\0\r\0\n\0"));
  CHECK_GET("A", "x", "d", "é");
  ASSERT_TRUE(ini().WriteString(file_, "A", "y", "☃"));
  CHECK_FILE(Raw("\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0\xE9\0\r\0\n\0y\0=\0\x03\x26\r\0\n\0"));
}

TEST_F(IniConformance, FailedWrites) {
  const std::string nested = env_->ScratchFolder() + "\\missing\\test.ini";
  EXPECT_FALSE(ini().WriteString(nested, "A", "x", "1"));
  EXPECT_FALSE(files().GetAttributes(env_->ScratchFolder() + "\\missing"));  // no folder made

  Put("[A]\r\nx=1\r\n");
  {
    auto held = files().Open(file_, FileAccess::Read, share::kNone, FileDisposition::OpenExisting);
    ASSERT_TRUE(held);
    EXPECT_FALSE(ini().WriteString(file_, "A", "x", "2"));
    CHECK_GET("A", "x", "d", "d");  // an unreadable file reads as missing
  }
  CHECK_FILE("[A]\r\nx=1\r\n");
}

}  // namespace
}  // namespace norvik::conformance
