// The browser stores and the clock over the real API, as Wine gives them: an empty
// WinInet cache, a creatable URL history object with nothing in it, a Protected Storage
// library that is there but does not connect, and the locale's date text.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_platform.h"
#include "stores/protected_storage.h"

namespace norvik::platform::win32 {
namespace {

TEST(Win32InternetTest, StoresAndClockAsWineGivesThem) {
  Win32System system;
  auto cache = system.WalkUrlCache();
  if (cache) {
    // Whatever another test left: every entry names its URL, and the walk ends.
    int entries = 0;
    for (auto url = (*cache)->Next(); url; url = (*cache)->Next()) ASSERT_LT(++entries, 100000);
  } else {
    EXPECT_EQ(cache.code(), kErrNoMoreItems);
  }
  EXPECT_EQ(system.DeleteCacheEntry("http://norvik.invalid/never-cached").code(), kErrFileNotFound);

  auto history = system.OpenUrlHistory();
  ASSERT_TRUE(history) << history.code();
  EXPECT_EQ((*history)->Next().code(), kErrNoMoreItems);

  stores::TPStorage store(system);
  EXPECT_TRUE(store.Available());
  EXPECT_FALSE(store.Connect());
  EXPECT_TRUE(store.Types().empty());

  // 2024-05-17 13:04:05 UTC: whatever the zone, the local date is that day or next to it.
  auto local = system.FileTimeToLocal(133'604'246'450'000'000ull);
  ASSERT_TRUE(local);
  EXPECT_EQ(local->year, 2024);
  EXPECT_NE(system.FormatDateTime(*local, true).find("2024"), std::string::npos) << system.FormatDateTime(*local, true);
  EXPECT_FALSE(system.FileTimeToLocal(0xFFFF'FFFF'FFFF'FFFFull));
  EXPECT_GE(system.LocalNow().year, 2024);
}

}  // namespace
}  // namespace norvik::platform::win32
