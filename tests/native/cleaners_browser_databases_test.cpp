// The browser items that delete rows from SQLite databases, on real-schema databases.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cleaners/built_in_cleaners.h"
#include "data/browser_databases.h"
#include "fakes/run_reporter.h"
#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"

namespace norvik::cleaners {
namespace {

using platform::sim::SimMachine;
using Lines = std::vector<std::string>;

constexpr char kFirefox[] = "C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\";
constexpr char kChrome[] = "C:\\users\\user\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\";

class BrowserDatabasesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::LoadRegText(
                    machine_.registry(),
                    "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                    "Shell Folders]\r\n\"Local AppData\"=\"C:\\\\users\\\\user\\\\AppData\\\\Local\"\r\n")
                    .empty());
  }

  std::string Host(const std::string& path) { return machine_.HostPath(path).string(); }
  void MakeDatabase(const std::string& path, std::initializer_list<const char*> scripts) {
    machine_.MakeFolder(path.substr(0, path.rfind('\\')));
    for (const char* sql : scripts) ASSERT_EQ(testdata::RunSql(Host(path), sql), "") << path;
  }
  std::string Bytes(const std::string& path) {
    std::ifstream in(machine_.HostPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  Lines Run(const Lines& items, cleaning::RunKind kind) {
    cleaning::FakeRunReporter reporter;
    cleaning::CleanerTable table;
    RegisterBuiltInCleaners(table);
    cleaning::RunSetup setup;
    setup.item_names = items;
    setup.run_kind = kind;
    cleaning::TClearTaskThread worker(machine_.platform(), reporter, table, std::move(setup));
    worker.Execute();
    return reporter.lines();
  }

  SimMachine machine_;
};

// Firefox keeps bookmarked places and opens only profiles marked ".default"; every
// listed Chrome table is emptied, a missing one skipped, and every other table stays.
// A Test opens no database and changes no byte.
TEST_F(BrowserDatabasesTest, CleanEmptiesTheListedTablesAndTestChangesNoByte) {
  const std::string places = std::string(kFirefox) + "a.default\\places.sqlite",
                    places_suffixed = std::string(kFirefox) + "b.default-release\\places.sqlite",
                    places_unmarked = std::string(kFirefox) + "plain\\places.sqlite",
                    history = std::string(kChrome) + "History", web_data = std::string(kChrome) + "Web Data",
                    shortcuts = std::string(kChrome) + "Shortcuts";
  for (const std::string& file : {places, places_suffixed, places_unmarked}) MakeDatabase(file, {testdata::kPlacesSchema, testdata::kPlacesRows});
  MakeDatabase(history, {testdata::kChromeMeta, testdata::kChromeHistory});
  MakeDatabase(web_data, {testdata::kChromeMeta, testdata::kChromeWebData});
  MakeDatabase(shortcuts, {testdata::kChromeShortcuts});
  machine_.WriteFile(std::string(kFirefox) + "a.default\\history.dat", std::string(10, 'h'));

  const Lines items = {"Google Chrome - Download History", "Google Chrome - Stored passwords in Forms",
                       "Google Chrome - Saved Form Information", "Mozilla Firefox - Visited URL History"};
  const std::string files[] = {places, places_suffixed, places_unmarked, history, web_data, shortcuts};
  std::vector<std::string> before;
  for (const std::string& file : files) before.push_back(Bytes(file));
  const Lines test = Run(items, cleaning::RunKind::Test);
  for (std::size_t i = 0; i < std::size(files); ++i) EXPECT_EQ(Bytes(files[i]), before[i]) << files[i];
  EXPECT_EQ(test.back(), std::string(107, '-'));
  EXPECT_EQ(test[test.size() - 2], "Total items will be removed = 1 ; Total files will be removed = 1 KB")
      << "only history.dat";

  const Lines clean = Run(items, cleaning::RunKind::AutomaticClean);
  EXPECT_TRUE(std::none_of(clean.begin(), clean.end(), [](const std::string& l) { return l.starts_with("Error"); }));
  const std::string full_places = "moz_bookmarks=3 moz_historyvisits=4 moz_places=3";
  const struct { const std::string& file; const char* rows; } expected[] = {
      {places, "moz_bookmarks=3 moz_historyvisits=0 moz_places=1"},
      {places_suffixed, "moz_bookmarks=3 moz_historyvisits=0 moz_places=1"},
      {places_unmarked, full_places.c_str()},
      {history, "downloads=0 meta=2 urls=2"},
      {web_data,
       "autofill=0 autofill_dates=0 autofill_profile_emails=0 autofill_profile_names=0 autofill_profiles=0 "
       "autofill_profiles_trash=0 keywords=1 logins=0 meta=2"},
      {shortcuts, "omni_box_shortcuts=1"},
  };
  for (const auto& e : expected) EXPECT_EQ(testdata::RowCounts(Host(e.file)), e.rows) << e.file;
  const testdata::Connection db = testdata::Connect(Host(places));
  EXPECT_EQ(testdata::RunSql(db.get(), "SELECT 1 FROM moz_places WHERE id = 2 AND url = 'http://kept.example/'"), "");

  Run({"Google Chrome - Visited URL History"}, cleaning::RunKind::AutomaticClean);
  EXPECT_EQ(testdata::RowCounts(Host(shortcuts)), "omni_box_shortcuts=0");
  EXPECT_FALSE(machine_.ReadFile(history)) << "the History file itself goes with the history";
}

// A database held open by its browser is not deleted, and neither is its journal. (A
// lock on its rows is the GUI suite's, with the real engine: BrowserCleanersTest.)
TEST_F(BrowserDatabasesTest, ADatabaseHeldOpenKeepsItsJournal) {
  machine_.WriteFile(std::string(kChrome) + "Cookies", std::string(100, 'c'));
  machine_.WriteFile(std::string(kChrome) + "Cookies-journal", std::string(10, 'j'));
  machine_.SetFileInUse(std::string(kChrome) + "Cookies", true);
  EXPECT_EQ(Run({"Google Chrome - Cookies"}, cleaning::RunKind::AutomaticClean).at(2),
            "0 items to be removed; 0 KB to be removed.");
  EXPECT_TRUE(machine_.ReadFile(std::string(kChrome) + "Cookies-journal"));
}

}  // namespace
}  // namespace norvik::cleaners
