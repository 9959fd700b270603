// The browser stores and the clock over the real API, as Wine gives them: an empty
// WinInet cache, a URL history object without an enumeration, a Protected Storage
// provider that connects but lists nothing, and the locale's date text.

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

  // Wine makes the history object but cannot enumerate it: the failure is reported.
  auto history = system.OpenUrlHistory();
  if (history) {
    EXPECT_EQ((*history)->Next().code(), kErrNoMoreItems);
  } else {
    EXPECT_NE(history.code(), 0u);
  }

  // Wine's provider connects, but its store is a stub that lists nothing.
  stores::TPStorage store(system);
  EXPECT_TRUE(store.Available());
  EXPECT_TRUE(store.Connect());
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
