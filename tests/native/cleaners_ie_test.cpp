#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cleaners/built_in_cleaners.h"
#include "fakes/index_dat_builder.h"
#include "fakes/run_reporter.h"
#include "formats/index_dat.h"
#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "stores/protected_storage.h"

namespace norvik::cleaners {
namespace {

namespace fs = std::filesystem;
using platform::sim::SimMachine;
using Names = std::vector<std::string>;

constexpr char kLocal[] = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\";
constexpr char kCookies[] = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\";
constexpr char kCache[] = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache\\";
constexpr char kHistory[] = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\History\\";
constexpr char kKeepList[] = "C:\\NorvikData\\Cookies.ini";  // with the settings

// lines: the log between the item's header and its result line
struct ItemRun { std::uint32_t count = 0; std::int64_t size = 0; Names lines; };

ItemRun RunItem(SimMachine& machine, const std::string& item, bool test, std::uint8_t os_code = 12) {
  cleaning::FakeRunReporter reporter;
  cleaning::CleanerTable table;
  RegisterBuiltInCleaners(table);
  cleaning::TClearTaskThread worker(machine.platform(), reporter, table,
                                    {.item_names = {item},
                                     .run_kind = test ? cleaning::RunKind::Test : cleaning::RunKind::CleanRequest,
                                     .options = {.FastScan = false},
                                     .folders = {"C:\\Norvik\\", "C:\\NorvikData\\"},
                                     .os_code = os_code});
  worker.Execute();
  const Names lines = reporter.lines();
  ItemRun run{worker.TotalCount(), worker.TotalSize(), {}};
  if (lines.size() >= 7) run.lines.assign(lines.begin() + 1, lines.end() - 6);
  return run;
}

// An index.dat that lists one address until it is overwritten.
std::string IndexDat() {
  formats::IndexDatBuilder file(0x2000);
  file.FirstTable(0x1000).Table(0x1000, 1, 0, {{0x10, 0x200}}).Url(0x200, 1, "http://listed.example/");
  return file.bytes();
}
bool Lists(SimMachine& machine, const std::string& path) {
  return !formats::ListIndexDat(machine.platform().files, path).empty();
}

// The files below a folder, relative and sorted.
Names FilesBelow(SimMachine& machine, const std::string& folder) {
  Names names;
  const fs::path root = machine.HostPath(folder);
  if (!fs::exists(root)) return names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.push_back(entry.path().lexically_relative(root).string() + (entry.is_directory() ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// keep_list: Cookies.ini, nullptr: none; files: below the cookie folder; index: the index.dat
// that a Clean overwrites, nullptr: none.
struct CookieCase { const char* name; const char* keep_list; Names files, left; std::uint32_t count; const char* index; };

// The keep list keeps exact names only, only keys below Count count, only names with
// ".txt" are cookies; the index is overwritten only when nothing is kept; a cookie
// folder holding nothing but a Low folder with cookies means the Low folder.
TEST(IeCleanersTest, CookiesKeepTheListedFilesAndOverwriteTheIndexOnlyWhenNoneAreKept) {
  const std::vector<CookieCase> cases = {
      {"keep list",
       "[Cookies to keep]\r\nCount=3\r\n0=a.txt\r\n1=\r\n2=D.txt\r\n3=c.txt\r\n",
       {"a.txt", "b.txt", "c.txt", "d.txt", "notes.txt.bak", "X.TXT", "index.dat", "dir.txt\\inner.txt"},
       {"X.TXT", "a.txt", "dir.txt/", "dir.txt/inner.txt", "index.dat"},
       4,
       nullptr},
      {"no keep list", nullptr, {"a.txt", "index.dat"}, {"index.dat"}, 1, "index.dat"},
      {"protected mode",
       "[Cookies to Keep]\r\nCount=0\r\n0=a.txt\r\n",
       {"top.dat", "index.dat", "Low\\a.txt", "Low\\index.dat"},
       {"Low/", "Low/index.dat", "index.dat", "top.dat"},
       1,
       "Low\\index.dat"},
  };
  for (const auto& c : cases) {
    for (const bool test : {true, false}) {
      SimMachine machine;
      if (c.keep_list) machine.WriteFile(kKeepList, c.keep_list);
      for (const auto& file : c.files) machine.WriteFile(kCookies + file, file.ends_with("index.dat") ? IndexDat() : "xx");
      const Names before = FilesBelow(machine, kCookies);
      const ItemRun run = RunItem(machine, "Internet Explorer - Cookies", test);
      EXPECT_EQ(run.count, c.count) << c.name;
      EXPECT_EQ(FilesBelow(machine, kCookies), test ? before : c.left) << c.name;
      for (const char* index : {"index.dat", "Low\\index.dat"}) {
        if (!machine.ReadFile(kCookies + std::string(index))) continue;
        const bool overwritten = !test && c.index != nullptr && std::string(index) == c.index;
        EXPECT_EQ(Lists(machine, kCookies + std::string(index)), !overwritten) << c.name << " " << index;
      }
    }
  }
}

// A Test leaves the cache's index files out of the count; a Clean counts them only when
// their deletion succeeds, and overwrites the cache index it could not delete.
TEST(IeCleanersTest, CacheCountsIndexFilesOnlyWhenACleanDeletesThem) {
  for (const bool test : {true, false}) {
    SimMachine machine;
    machine.WriteFile(std::string(kCache) + "Content.IE5\\index.dat", IndexDat());
    machine.WriteFile(std::string(kCache) + "Content.IE5\\AB12\\page[1].htm", std::string(3000, 'p'));
    machine.WriteFile(std::string(kCache) + "Low\\index.dat", "idx");
    machine.SetFileInUse(std::string(kCache) + "Content.IE5\\index.dat", true);
    const ItemRun run = RunItem(machine, "Internet Explorer - Temporary Internet Files", test);
    EXPECT_EQ(run.count, test ? 1u : 2u);
    EXPECT_EQ(run.size, test ? 3000 : 3003);
    EXPECT_EQ(Lists(machine, std::string(kCache) + "Content.IE5\\index.dat"), test);
  }
}

// files: below the history folder; overwritten: the index files a Clean overwrites.
struct HistoryCase { const char* name; std::uint8_t os_code; Names files, left, overwritten; std::uint32_t count; };

// The URL history object and the web pages of the WinInet cache, then the store: on XP
// History.IE5 is emptied but for its index files, whose nested copies a Clean
// overwrites; on Vista and 7 every container of the Low store but today's goes, and a
// Clean overwrites every index.dat below the history folder.
TEST(IeCleanersTest, HistoryEmptiesTheObjectTheCacheEntriesAndTheStoreButTodaysContainer) {
  const std::vector<HistoryCase> cases = {
      {"XP", 9,
       {"History.IE5\\index.dat", "History.IE5\\desktop.ini", "History.IE5\\MSHist012024050120240508\\index.dat",
        "History.IE5\\MSHist012024050120240508\\x.dat", "History.IE5\\Empty\\y.dat"},
       {"History.IE5/", "History.IE5/MSHist012024050120240508/", "History.IE5/MSHist012024050120240508/index.dat",
        "History.IE5/index.dat"},
       {"History.IE5\\MSHist012024050120240508\\index.dat"},
       3 + 2 + 3},
      {"7", 12,
       {"History.IE5\\index.dat", "Low\\History.IE5\\index.dat", "Low\\History.IE5\\MSHist012024051720240518\\index.dat",
        "Low\\History.IE5\\mshist012024050120240508\\index.dat", "Low\\History.IE5\\MSHist012024050120240508\\z.dat"},
       {"History.IE5/", "History.IE5/index.dat", "Low/", "Low/History.IE5/", "Low/History.IE5/MSHist012024051720240518/",
        "Low/History.IE5/MSHist012024051720240518/index.dat", "Low/History.IE5/index.dat"},
       {"History.IE5\\index.dat", "Low\\History.IE5\\index.dat", "Low\\History.IE5\\MSHist012024051720240518\\index.dat"},
       3 + 2 + 2},
  };
  for (const auto& c : cases) {
    for (const bool test : {true, false}) {
      SimMachine machine;
      auto& internet = machine.system().internet();
      internet.SetLocalNow(platform::CalendarTime{.year = 2024, .month = 5, .day = 17, .hour = 9});
      internet.SetUrlHistory(Names{"http://a.example/", "http://b.example/", "file:///C:/c.txt"});
      internet.SetUrlCache({"http://page.example/", "cookie:user@example/", "http://img.example/x.png"});
      for (const auto& file : c.files) machine.WriteFile(kHistory + file, file.ends_with("index.dat") ? IndexDat() : "data");
      const Names before = FilesBelow(machine, kHistory);
      const ItemRun run = RunItem(machine, "Internet Explorer - Visited URL History", test, c.os_code);
      EXPECT_EQ(run.count, c.count) << c.name;
      EXPECT_EQ(FilesBelow(machine, kHistory), test ? before : c.left) << c.name;
      EXPECT_EQ(internet.UrlHistoryUrls().size(), test ? 3u : 0u) << c.name;
      const Names cache_left = test ? Names{"http://page.example/", "cookie:user@example/", "http://img.example/x.png"}
                                    : Names{"cookie:user@example/"};
      EXPECT_EQ(internet.UrlCache(), cache_left) << c.name;
      EXPECT_TRUE(std::count(run.lines.begin(), run.lines.end(), (test ? "Test: " : "Clean: ") +
                                                                     std::string("deleting http://page.example/")))
          << c.name;
      for (const auto& file : c.files) {
        if (!file.ends_with("index.dat") || !machine.ReadFile(kHistory + file)) continue;
        const bool overwritten = !test && std::count(c.overwritten.begin(), c.overwritten.end(), file);
        EXPECT_EQ(Lists(machine, kHistory + file), !overwritten) << c.name << " " << file;
      }
    }
  }
}

// A history object whose delete fails ends that step; the rest of the item goes on.
TEST(IeCleanersTest, HistoryStopsDeletingAddressesAtTheFirstRefusal) {
  SimMachine machine;
  auto& internet = machine.system().internet();
  internet.SetUrlHistory(Names{"http://a.example/", "http://b.example/"});
  internet.SetUrlHistoryDeleteFails(true);
  internet.SetUrlCache({"http://page.example/"});
  EXPECT_EQ(RunItem(machine, "Internet Explorer - Visited URL History", false).count, 1u + 1u);
  EXPECT_TRUE(internet.UrlCache().empty());
}

// The three index files: counted as three when any has bytes; a Clean overwrites them
// and has NT delete the ones that exist at the next start, or on the 95 family puts
// their short names under the rename section of Wininit.ini.
TEST(IeCleanersTest, IndexDatFilesAreOverwrittenAndRemovedAtTheNextStart) {
  const std::string cookie_index = std::string(kCookies) + "index.dat";
  const std::string cache_index = std::string(kCache) + "Content.IE5\\index.dat";
  // wininit: the file before, nullptr: none
  struct Case { const char* name; std::uint8_t os_code; const char* wininit; const char* expected; };
  const std::vector<Case> cases = {
      {"NT", 12, nullptr, nullptr},
      {"9x without a rename section", 3, "[other]\r\nx=1\r\n",
       "[other]\r\nx=1\r\n[rename]\r\nurl=C:\\users\\user\\AppData\\Local\\MICROS~1\\Windows\\INETCO~1\\index.dat\r\n"
       "url=C:\\users\\user\\AppData\\Local\\MICROS~1\\Windows\\INETCA~1\\Content.IE5\\index.dat\r\nurl=\r\n"},
      {"9x with one", 8, "[Rename]\r\nNUL=C:\\old.tmp\r\n",
       "[Rename]\r\nurl=\r\nurl=C:\\users\\user\\AppData\\Local\\MICROS~1\\Windows\\INETCA~1\\Content.IE5\\index.dat\r\n"
       "url=C:\\users\\user\\AppData\\Local\\MICROS~1\\Windows\\INETCO~1\\index.dat\r\nNUL=C:\\old.tmp\r\n"},
  };
  for (const auto& c : cases) {
    for (const bool test : {true, false}) {
      SimMachine machine;
      machine.WriteFile(cookie_index, IndexDat());
      machine.WriteFile(cache_index, "");
      if (c.wininit) machine.WriteFile("C:\\windows\\Wininit.ini", c.wininit);
      const ItemRun run = RunItem(machine, "Internet Explorer - Index.dat Files", test, c.os_code);
      EXPECT_EQ(run.count, 3u) << c.name;
      EXPECT_EQ(run.size, 0x2000) << c.name;
      EXPECT_EQ(run.lines.front(), "Warning: This will take effect next time windows is rebooted.") << c.name;
      EXPECT_EQ(Lists(machine, cookie_index), test) << c.name;
      const bool nt = c.wininit == nullptr;
      const Names reboot = !test && nt ? Names{cookie_index, cache_index} : Names{};
      EXPECT_EQ(machine.RebootDeletes(), reboot) << c.name;
      if (!nt) {
        EXPECT_EQ(machine.ReadFile("C:\\windows\\Wininit.ini"), test ? c.wininit : c.expected) << c.name;
      }
    }
  }
  SimMachine none;
  EXPECT_EQ(RunItem(none, "Internet Explorer - Index.dat Files", true).count, 0u);
}

// Only the store type named "Internet Explorer" is counted (half its items, a lone one
// as one) and emptied; without the service the item does nothing, registry included.
TEST(IeCleanersTest, AutocompleteEmptiesTheBrowsersStoreTypeWhereTheServiceExists) {
  const auto guid = [](std::uint8_t b) { return platform::StoreGuid{b}; };
  const std::vector<platform::sim::SimStoreType> store = {
      {guid(1), "Internet Explorer", {{guid(11), {"http://a/StringData", "http://a/StringIndex", "q"}}, {guid(12), {"one"}}}},
      {guid(2), "Outlook", {{guid(21), {"mail1", "mail2"}}}},
  };
  const std::string forms = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2]\r\n\"h\"=hex:01\r\n\r\n";
  for (const bool available : {true, false}) {
    for (const bool test : {true, false}) {
      SimMachine machine;
      machine.system().internet().SetProtectedStorage(available);
      machine.system().internet().SetStoreTypes(store);
      ASSERT_TRUE(platform::LoadRegText(machine.registry(), forms).empty());
      EXPECT_EQ(RunItem(machine, "Internet Explorer - Autocomplete History", test).count, available ? 1u + 1u + 1u : 0u);
      const auto left = machine.system().internet().StoreTypes();
      EXPECT_EQ(left[0].subtypes[0].items.empty(), available && !test);
      EXPECT_EQ(left[1].subtypes[0].items.size(), 2u);
      const bool forms_left =
          platform::sim::SaveRegText(machine.registry(), platform::RegFormat::Regedit4).find("Storage2") != std::string::npos;
      EXPECT_EQ(forms_left, test || !available);
    }
  }
}

// Every list is drained in asks of 16, item names are cut to 255 characters (never
// inside one), and a missing service or a refused connection answers nothing.
TEST(ProtectedStorageTest, ListsEverythingInAsksOf16AndCutsLongNames) {
  platform::sim::SimMachine machine;
  auto& internet = machine.system().internet();
  std::vector<platform::sim::SimStoreType> types(40);
  for (std::size_t i = 0; i < types.size(); ++i) types[i].id[0] = static_cast<std::uint8_t>(i + 1);
  const std::string long_name = std::string(254, 'n') + "\xC3\xA9" + "tail";  // 300 bytes, 259 characters
  types[0].name = "Internet Explorer";
  types[0].subtypes = {{platform::StoreGuid{9}, {long_name, "short"}}};
  internet.SetStoreTypes(types);

  stores::TPStorage store(machine.system());
  EXPECT_FALSE(store.Connect());
  EXPECT_TRUE(store.Types().empty());

  internet.SetProtectedStorage(true, false);
  EXPECT_FALSE(store.Connect());

  internet.SetProtectedStorage(true);
  ASSERT_TRUE(store.Connect());
  EXPECT_EQ(store.Types().size(), 40u);
  EXPECT_EQ(internet.EnumeratorAsks(), (std::vector<std::size_t>{16, 16, 16, 16}));
  EXPECT_EQ(store.TypeName(types[0].id), "Internet Explorer");
  EXPECT_EQ(store.Items(types[0].id, platform::StoreGuid{9}),
            (stores::TItemList{std::string(254, 'n') + "\xC3\xA9", "short"}));
  EXPECT_TRUE(store.DeleteItem(types[0].id, platform::StoreGuid{9}, "short"));
  EXPECT_FALSE(store.DeleteItem(types[0].id, platform::StoreGuid{9}, "short"));
  store.Disconnect();
  EXPECT_TRUE(store.TypeName(types[0].id).empty());
}

}  // namespace
}  // namespace norvik::cleaners
