// Listing a 50 MB index.dat against one sequential read of the same file through the
// same file calls. The file has 200 hash tables of 1,020 entries whose records are
// spread over the file in random order, so the listing's reads jump about. Counters:
// list_ms, read_ms and their ratio (the aim is below 2), and the ratio of the processor
// time each side took, which a busy machine disturbs less; cpu_ratio_to_load compares
// with reading the whole file into memory at once (File::ReadAll).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "fakes/index_dat_builder.h"
#include "formats/index_dat.h"
#include "platform/sim/sim_machine.h"

namespace norvik::formats {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPath[] = "C:\\Bench\\index.dat";
constexpr std::uint32_t kTables = 200;
constexpr std::uint32_t kBlocksPerTable = 64;  // 8 KB, 1,020 entries
constexpr std::uint32_t kEntriesPerTable = (kBlocksPerTable * 128 - 32) / 8;
constexpr std::uint32_t kRecordBytes = 256;
constexpr std::uint32_t kFileBytes = 50 * 1024 * 1024;

// Tables every 256 KB; records fill the space between them.
std::string BuildFile() {
  IndexDatBuilder file(kFileBytes);
  const std::uint32_t stride = kFileBytes / kTables;
  std::vector<std::uint32_t> records;
  for (std::uint32_t t = 0; t < kTables; ++t) {
    const std::uint32_t table = 0x4000 + t * stride;
    for (std::uint32_t r = table + kBlocksPerTable * 128; r + kRecordBytes <= table + stride && r + kRecordBytes < kFileBytes;
         r += kRecordBytes) {
      records.push_back(r);
    }
  }
  std::shuffle(records.begin(), records.end(), std::mt19937(7));
  std::size_t next = 0;
  file.FirstTable(0x4000);
  for (std::uint32_t t = 0; t < kTables; ++t) {
    const std::uint32_t table = 0x4000 + t * stride;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
    for (std::uint32_t e = 0; e < kEntriesPerTable && next < records.size(); ++e, ++next) {
      const std::uint32_t r = records[next];
      file.Url(r, 133'000'000'000'000'000ull + r, "http://www.example.com/page/" + std::to_string(r) + ".html");
      entries.emplace_back(0x10 + e * 0x100, r);
    }
    file.Table(table, kBlocksPerTable, t + 1 < kTables ? table + stride : 0, entries);
  }
  return file.bytes();
}

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// This thread's processor time (user and system): other work on a busy machine does
// not count against either side.
double CpuMillis() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void BM_ListIndexDatAgainstOneRead(benchmark::State& state) {
  platform::sim::SimMachine machine;
  machine.WriteFile(kPath, BuildFile());
  auto& files = machine.platform().files;
  std::vector<char> buffer(1 << 20);
  double list_ms = 0, read_ms = 0, list_cpu = 0, read_cpu = 0, load_cpu = 0;
  std::size_t listed = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const double cpu_start = CpuMillis();
    auto file = files.Open(kPath, platform::FileAccess::Read, platform::file_share::kAll,
                           platform::FileDisposition::OpenExisting);
    std::uint64_t total = 0;
    while (auto got = file->Read(buffer.data(), buffer.size())) {
      if (*got == 0) break;
      total += *got;
    }
    benchmark::DoNotOptimize(total);
    const auto read_end = Clock::now();
    const double cpu_read_end = CpuMillis();
    listed = ListIndexDat(files, kPath).size();
    const auto list_end = Clock::now();
    read_cpu += cpu_read_end - cpu_start;
    const double cpu_list_end = CpuMillis();
    list_cpu += cpu_list_end - cpu_read_end;
    auto whole = files.Open(kPath, platform::FileAccess::Read, platform::file_share::kAll,
                            platform::FileDisposition::OpenExisting)
                     ->ReadAll(kFileBytes);
    benchmark::DoNotOptimize(whole);
    load_cpu += CpuMillis() - cpu_list_end;
    read_ms += Millis(read_end - start);
    list_ms += Millis(list_end - read_end);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["read_ms"] = read_ms / n;
  state.counters["list_ms"] = list_ms / n;
  state.counters["ratio"] = list_ms / read_ms;
  state.counters["cpu_ratio"] = list_cpu / read_cpu;
  state.counters["cpu_ratio_to_load"] = list_cpu / load_cpu;
  state.counters["records"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListIndexDatAgainstOneRead)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
}  // namespace norvik::formats

BENCHMARK_MAIN();
