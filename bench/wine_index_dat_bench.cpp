// Listing a 50 MB index.dat through the real API (run under Wine) against one sequential
// read of the same file in 1 MB ReadFile calls. Each run reads, lists into fresh memory
// (as the viewer's first "&Show" does), then lists again into the buffers of the run
// before (as "&Show" on an open viewer does). Ratios are taken within each run (a busy
// machine slows both sides alike); the medians of the runs are printed, and the first
// run's ratio for fresh memory (the process's very first listing).
//
//   norvik_wine_index_dat_bench.exe [runs]   (default 5)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
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
  std::vector<double> read_s, fresh_s, again_s, fresh_ratios, again_ratios;
  formats::IndexDatListing fresh, again;
  for (int run = 0; run < runs; ++run) {
    read_s.push_back(bench::Seconds([&] {
      auto file = files.Open(kFile, platform::FileAccess::Read, platform::file_share::kAll,
                             platform::FileDisposition::OpenExisting);
      while (file) {
        auto got = file->Read(buffer.data(), buffer.size());
        if (!got || *got == 0) break;
      }
    }));
    fresh = {};  // its memory goes back to the system outside the timing
    fresh_s.push_back(bench::Seconds([&] { fresh = formats::ListIndexDat(files, kFile); }));
    again_s.push_back(bench::Seconds([&] { again = formats::ListIndexDat(files, kFile, {}, std::move(again)); }));
    fresh_ratios.push_back(fresh_s.back() / read_s.back());
    again_ratios.push_back(again_s.back() / read_s.back());
  }
  std::printf("50 MB index.dat, %zu records listed, %d runs (medians): read %.1f ms; "
              "list into fresh memory %.1f ms, ratio %.2f (first run %.2f); list again %.1f ms, ratio %.2f\n",
              fresh.size(), runs, bench::Median(read_s) * 1e3, bench::Median(fresh_s) * 1e3,
              bench::Median(fresh_ratios), fresh_ratios.front(), bench::Median(again_s) * 1e3,
              bench::Median(again_ratios));
  std::remove(kFile);
  return fresh.size() > 0 && again.size() == fresh.size() ? 0 : 1;
}
