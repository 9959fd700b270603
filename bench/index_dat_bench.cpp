// Listing a 50 MB index.dat (index_dat_bench_file.h) against one sequential read of the
// same file through the same file calls. Counters: list_ms, read_ms and their ratio (the
// aim is below 2); first_ratio, the first iteration's, when the listing's memory is
// still fresh from the system; the ratio of the processor time each side took, which a
// busy machine disturbs less; cpu_ratio_to_load compares with reading the whole file
// into memory at once (File::ReadAll).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "index_dat_bench_file.h"
#include "formats/index_dat.h"
#include "platform/sim/sim_machine.h"

namespace norvik::formats {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPath[] = "C:\\Bench\\index.dat";
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
  machine.WriteFile(kPath, bench::BuildFile());
  auto& files = machine.platform().files;
  std::vector<char> buffer(1 << 20);
  double list_ms = 0, read_ms = 0, list_cpu = 0, read_cpu = 0, load_cpu = 0;
  double first_ratio = 0;
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
                     ->ReadAll(bench::kFileBytes);
    benchmark::DoNotOptimize(whole);
    load_cpu += CpuMillis() - cpu_list_end;
    if (read_ms == 0) first_ratio = Millis(list_end - read_end) / Millis(read_end - start);
    read_ms += Millis(read_end - start);
    list_ms += Millis(list_end - read_end);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["read_ms"] = read_ms / n;
  state.counters["list_ms"] = list_ms / n;
  state.counters["ratio"] = list_ms / read_ms;
  state.counters["first_ratio"] = first_ratio;
  state.counters["cpu_ratio"] = list_cpu / read_cpu;
  state.counters["cpu_ratio_to_load"] = list_cpu / load_cpu;
  state.counters["records"] = static_cast<double>(listed);
}
BENCHMARK(BM_ListIndexDatAgainstOneRead)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
}  // namespace norvik::formats

BENCHMARK_MAIN();
