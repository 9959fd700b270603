// Listing a 50 MB index.dat through the real API (run under Wine) against one sequential
// read of the same file in 1 MB ReadFile calls. Each of the runs reads, then lists; the
// ratio is taken within each run (a busy machine slows both sides alike) and the median
// of the runs is printed, with the first run's (the listing's memory still fresh).
//
//   norvik_wine_index_dat_bench.exe [runs]   (default 5)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "formats/index_dat.h"
#include "index_dat_bench_file.h"
#include "platform/win32/win32_platform.h"

int main(int argc, char** argv) {
  using namespace norvik;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  constexpr char kFile[] = "bench-index.dat";
  {
    const std::string bytes = formats::bench::BuildFile();
    std::ofstream out(kFile, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return std::fprintf(stderr, "cannot write %s\n", kFile), 1;
  }
  platform::win32::Win32Platform backend;
  platform::Files& files = backend.platform().files;

  std::vector<char> buffer(1 << 20);
  std::vector<double> read_s, list_s, ratios;
  std::size_t listed = 0;
  for (int run = 0; run < runs; ++run) {
    read_s.push_back(bench::Seconds([&] {
      auto file = files.Open(kFile, platform::FileAccess::Read, platform::file_share::kAll,
                             platform::FileDisposition::OpenExisting);
      while (file) {
        auto got = file->Read(buffer.data(), buffer.size());
        if (!got || *got == 0) break;
      }
    }));
    list_s.push_back(bench::Seconds([&] { listed = formats::ListIndexDat(files, kFile).size(); }));
    ratios.push_back(list_s.back() / read_s.back());
  }
  std::printf("50 MB index.dat, %zu records listed, %d runs: read %.1f ms, list %.1f ms, ratio %.2f (median); "
              "first run %.2f\n",
              listed, runs, bench::Median(read_s) * 1e3, bench::Median(list_s) * 1e3, bench::Median(ratios),
              ratios.front());
  std::remove(kFile);
  return listed > 0 ? 0 : 1;
}
