#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/text_encoding.h"

namespace norvik::platform {
namespace {

TEST(RegValueTest, StringsAreStoredAsUtf16WithTerminator) {
  const RegValue v = RegValue::String("Aé");
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{'A', 0, 0xE9, 0, 0, 0}));
  EXPECT_EQ(v.AsString(), "Aé");
  EXPECT_EQ(RegValue::MultiString({"a", "bc"}).AsMultiString(), (std::vector<std::string>{"a", "bc"}));
  EXPECT_EQ(RegValue::Dword(0x1A).AsDword(), 0x1Au);
}

TEST(TextEncodingTest, AnsiRoundTripAndUpperCase) {
  EXPECT_EQ(AnsiToUtf8("\x80\xE9"), "€é");
  EXPECT_EQ(Utf8ToAnsi("€é☃"), "\x80\xE9?");
  EXPECT_EQ(UpperCase("abcé"), "ABCÉ");
  EXPECT_TRUE(EqualsIgnoreCase("Software\\Classes", "SOFTWARE\\classes"));
}

}  // namespace
}  // namespace norvik::platform
