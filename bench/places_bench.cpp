// How the Firefox history item compares with the sqlite3 command-line tool on a 100 MB
// places.sqlite: our Clean of "Mozilla Firefox - Visited URL History" (the profile walk,
// the table checks and both DELETE statements) against `sqlite3 FILE "<the same two
// statements>"` on an identical copy. The database is made once and cached; the copies
// are made before each run and not timed. Five runs a side; medians and their ratio are
// printed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_runs.h"
#include "cleaners/built_in_cleaners.h"
#include "data/browser_databases.h"
#include "platform/sim/sim_machine.h"

namespace norvik::cleaners {
namespace {

namespace fs = std::filesystem;

constexpr char kProfile[] = "C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\bench.default\\";
constexpr char kStatements[] =
    "DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks where fk is not null); "
    "DELETE FROM moz_historyvisits;";
constexpr int kPlaces = 195000;
constexpr int kVisits = 590000;
constexpr int kBookmarks = 17000;  // every 10th place up to here stays

// Long random URLs and titles as a year of browsing leaves them: about 100 MB.
const std::string& Rows() {
  static const std::string sql = [] {
    const std::string n = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ";
    return "BEGIN;" + n + std::to_string(kPlaces) +
           ") INSERT INTO moz_places SELECT i, 'http://site' || (i % 5000) || '.example/path/' || i || '/' || "
           "hex(randomblob(40)), 'Page ' || i || ' ' || hex(randomblob(20)), 'elpmaxe.' || (i % 5000) || 'etis.', "
           "4, 0, 0, NULL, 100, 1275000000000000 + i FROM n;" +
           n + std::to_string(kVisits) +
           ") INSERT INTO moz_historyvisits SELECT i, 0, 1 + (i % " + std::to_string(kPlaces) +
           "), 1275000000000000 + i, 1, i / 10 FROM n;" + n + std::to_string(kBookmarks) +
           ") INSERT INTO moz_bookmarks SELECT i, 1, i * 10, 2, i, 'Bookmark ' || i, NULL, NULL, 0, 0 FROM n; COMMIT;";
  }();
  return sql;
}

struct Bench {
  platform::sim::SimMachine machine;
  fs::path original;
  bench::SideTimes times;

  Bench() {
    const char* cache = std::getenv("NORVIK_PLACES_BENCH_DB");
    original = cache != nullptr ? fs::path(cache) : machine.HostPath("C:\\places-original.sqlite");
    if (fs::exists(original)) return;
    const std::string file = original.string() + ".part";
    fs::remove(file);
    for (const std::string& sql : {std::string(testdata::kPlacesSchema), Rows()}) {
      const std::string error = testdata::RunSql(file, sql.c_str());
      if (!error.empty()) throw std::runtime_error(error);
    }
    fs::rename(file, original);
  }

  fs::path Copy(const std::string& windows_path) {
    const fs::path host = machine.HostPath(windows_path);
    fs::create_directories(host.parent_path());
    fs::copy_file(original, host, fs::copy_options::overwrite_existing);
    return host;
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

// What both sides must leave: the bookmarked places and no visits.
bool Emptied(const fs::path& file) {
  return testdata::RowCounts(file.string()) == "moz_bookmarks=" + std::to_string(kBookmarks) +
                                                   " moz_historyvisits=0 moz_places=" + std::to_string(kBookmarks);
}

void BM_FirefoxHistoryItem(benchmark::State& state) {
  Bench& b = Shared();
  bench::NullReporter reporter;
  cleaning::CleanerTable table;
  RegisterBuiltInCleaners(table);
  for (auto _ : state) {
    const fs::path copy = b.Copy(std::string(kProfile) + "places.sqlite");
    cleaning::RunSetup setup;
    setup.item_names = {"Mozilla Firefox - Visited URL History"};
    setup.run_kind = cleaning::RunKind::AutomaticClean;
    cleaning::TClearTaskThread worker(b.machine.platform(), reporter, table, std::move(setup));
    b.times.Timed(state, "ours", [&] { worker.Execute(); });
    if (!Emptied(copy)) state.SkipWithError("the item left history rows");
  }
}

void BM_Sqlite3Tool(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    const fs::path copy = b.Copy("C:\\tool\\places.sqlite");
    const std::string command = "sqlite3 '" + copy.string() + "' '" + kStatements + "'";
    b.times.Timed(state, "sqlite3", [&] {
      if (std::system(command.c_str()) != 0) state.SkipWithError("sqlite3 failed");
    });
    if (!Emptied(copy)) state.SkipWithError("sqlite3 left history rows");
  }
}

BENCHMARK(BM_FirefoxHistoryItem)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite3Tool)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

void PrintRatio() {
  const double ours = Shared().times.Median("ours"), tool = Shared().times.Median("sqlite3");
  if (ours == 0 || tool == 0) return;
  std::printf("\nplaces.sqlite of %.1f MB (%d places, %d visits, %d bookmarked)\n",
              static_cast<double>(fs::file_size(Shared().original)) / 1e6, kPlaces, kVisits, kBookmarks);
  std::printf("ours median %8.1f ms   sqlite3 median %8.1f ms   ratio %.2fx (aim: at most 1.2x)\n", ours * 1e3,
              tool * 1e3, ours / tool);
}

}  // namespace
}  // namespace norvik::cleaners

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  norvik::cleaners::PrintRatio();
  return 0;
}
