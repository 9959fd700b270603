#include <gtest/gtest.h>

#include "platform/text_encoding.h"

// Replaced by the real-API tests; proves the Windows test binary runs under Wine.
TEST(WineSmokeTest, EncodingRoundTrip) {
  EXPECT_EQ(norvik::platform::Utf16ToUtf8(norvik::platform::Utf8ToUtf16("Grüße")), "Grüße");
}
