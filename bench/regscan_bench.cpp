// The registry scan of a generated subtree against a raw walk that enumerates the same
// keys and values and looks up the same paths once each. The subtree is HKEY_CURRENT_USER
// \Software\NorvikBench: `groups` keys of `keys` leaf keys, each leaf holding a path
// (a quarter missing, a quarter with arguments) and a plain text; the files lie in 100
// folders on C:. Natively it runs on the simulated Windows (default 500 x 100: 50,000
// keys, 100,000 values); the Windows build runs it through the real API under Wine.
// Building is not timed; each side runs five times and the medians and ratio are printed.
//
//   norvik_regscan_bench[.exe] [groups [keys-per-group]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "platform/platform.h"
#include "regscan/hive_scan.h"
#include "regscan/scan_task.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/sim/sim_machine.h"
#endif

namespace norvik::regscan {
namespace {

using bench::Median;
using bench::Seconds;

constexpr int kRuns = 5;
constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 10;
constexpr char kBenchKey[] = "Software\\NorvikBench";
constexpr char kFilesRoot[] = "C:\\NorvikBench";

class NullSink final : public ScanSink {
 public:
  void SetTitle(std::string) override {}
  void ShowKey(std::string) override {}
  void AddRow(ProblemRow) override { ++rows; }
  void SectionDone() override {}
  void Done() override {}
  std::size_t rows = 0;
};

std::string FolderName(int i) { return std::string(kFilesRoot) + "\\d" + std::to_string(i % kFolders); }

bool BuildFiles(platform::Files& files) {
  (void)files.CreateDirectory(kFilesRoot);
  for (int d = 0; d < kFolders; ++d) {
    (void)files.CreateDirectory(FolderName(d));
    for (int f = 0; f < kFilesPerFolder; ++f) {
      auto file = files.Open(FolderName(d) + "\\f" + std::to_string(f) + ".exe", platform::FileAccess::Write, 0,
                             platform::FileDisposition::CreateAlways);
      if (!file) return false;
    }
  }
  return true;
}

// Leaf i: "Path" names f<i%10>.exe in folder i%100, missing for every fourth, with
// arguments for the next; "Name" is plain text.
std::size_t BuildHive(platform::Registry& registry, int groups, int keys) {
  auto bench = registry.Root(platform::RegRoot::CurrentUser).Create(kBenchKey);
  if (!bench) return 0;
  std::size_t missing = 0;
  for (int g = 0; g < groups; ++g) {
    auto group = bench->Create("g" + std::to_string(g));
    if (!group) return 0;
    for (int k = 0; k < keys; ++k) {
      const int i = g * keys + k;
      auto leaf = group->Create("k" + std::to_string(k));
      if (!leaf) return 0;
      std::string path = FolderName(i) + (i % 4 == 0 ? "\\gone" : "\\f") + std::to_string(i % kFilesPerFolder) + ".exe";
      if (i % 4 == 0) ++missing;
      if (i % 4 == 1) path += " /min";
      if (!leaf->Set("Path", platform::RegValue::String(path)) ||
          !leaf->Set("Name", platform::RegValue::String("Item " + std::to_string(i)))) {
        return 0;
      }
    }
  }
  return missing;
}

// Every key and value read, and each path-looking text's path looked up once.
std::size_t RawWalk(platform::Platform& p) {
  auto start = p.registry.Root(platform::RegRoot::CurrentUser).Open(kBenchKey, platform::reg_access::kRead);
  std::size_t missing = 0;
  if (!start) return 0;
  platform::WalkSubtree(*start, [&](const platform::WalkEntry& entry) {
    auto names = entry.key.ValueNames();
    if (!names) return platform::WalkAction::Continue;
    for (const auto& name : *names) {
      auto value = entry.key.Query(name);
      if (!value || !value->IsString()) continue;
      const std::string text = value->AsString();
      if (text.size() < 3 || text.compare(1, 2, ":\\") != 0) continue;
      if (!p.files.GetAttributes(text.substr(0, text.find(' ')))) ++missing;
    }
    return platform::WalkAction::Continue;
  });
  return missing;
}

std::size_t Scan(platform::Platform& p) {
  NullSink sink;
  TScanTaskThread worker(p, sink, ScanSetup{});
  worker.SetTitle("Scanning: HKEY_CURRENT_USER");
  ScanKeyTreeValues(worker, "HKEY_CURRENT_USER", kBenchKey, kMissingFileProblem, "");
  return sink.rows;
}

int Run(platform::Platform p, int groups, int keys) {
  if (!BuildFiles(p.files)) {
    std::fprintf(stderr, "cannot create the files under %s\n", kFilesRoot);
    return 1;
  }
  const std::size_t expected = BuildHive(p.registry, groups, keys);
  if (expected == 0) {
    std::fprintf(stderr, "cannot build the registry subtree\n");
    return 1;
  }
  std::map<std::string, std::vector<double>> seconds;
  int status = 0;
  for (int run = 0; run < kRuns && status == 0; ++run) {
    std::size_t rows = 0, raw = 0;
    seconds["scan"].push_back(Seconds([&] { rows = Scan(p); }));
    seconds["raw walk"].push_back(Seconds([&] { raw = RawWalk(p); }));
    std::printf("run %d: scan %.0f ms (%zu rows), raw walk %.0f ms (%zu missing)\n", run + 1,
                seconds["scan"].back() * 1e3, rows, seconds["raw walk"].back() * 1e3, raw);
    if (rows != expected || raw != expected) status = 1;
  }
  const double scan = Median(seconds["scan"]), raw = Median(seconds["raw walk"]);
  std::printf("\n%d keys, %d values, %zu missing; median of %d runs\n", groups * keys + groups + 1, groups * keys * 2,
              expected, kRuns);
  std::printf("scan %9.1f ms   raw walk %9.1f ms   ratio %.2fx (aim: at most 1.5x)\n", scan * 1e3, raw * 1e3,
              scan / raw);
  if (status != 0) std::fprintf(stderr, "the scan and the raw walk disagree with the %zu planted\n", expected);
  return status;
}

}  // namespace
}  // namespace norvik::regscan

int main(int argc, char** argv) {
#ifdef _WIN32
  const int default_groups = 50;
  norvik::platform::win32::Win32Platform backend;
#else
  const int default_groups = 500;
  norvik::platform::sim::SimMachine backend;
#endif
  const int groups = argc > 1 ? std::max(1, std::atoi(argv[1])) : default_groups;
  const int keys = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  return norvik::regscan::Run(backend.platform(), groups, keys);
}
