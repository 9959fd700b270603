// How the folder walk of a Clean and of a Test compares with the host's own tools on
// the same tree: DeleteFolderContents (Clean) against `rm -rf`, and (Test) against
// `find DIR -type f -printf '%s\n'`. The tree lives on a simulated C: drive, which is
// an ordinary host folder, so both sides touch the same file system. Building the tree
// is not timed. Each side runs five times; the medians and their ratios are printed at
// the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cleaning/deletion_primitives.h"
#include "platform/sim/sim_machine.h"

extern char** environ;

namespace norvik::cleaning {
namespace {

using bench::Median;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr std::uint32_t kFiles = kFolders * kFilesPerFolder;
constexpr char kCleanTree[] = "C:\\BenchClean";
constexpr char kTestTree[] = "C:\\BenchTest";

class NullReporter final : public RunReporter {
 public:
  void AppendLine(std::string) override {}
  void ScrollLogToEnd() override {}
  void Progress(std::uint32_t) override {}
  void Done(std::uint32_t) override {}
  bool AskYesNo(std::string_view) override { return false; }
  void ShowMessage(std::string_view) override {}
};

// 1,000 folders of 100 files of 1 to 100 bytes, written with plain host calls.
void BuildTree(const fs::path& root) {
  fs::create_directories(root);
  const std::string bytes(100, 'x');
  for (int d = 0; d < kFolders; ++d) {
    const fs::path folder = root / ("folder" + std::to_string(d));
    fs::create_directory(folder);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const fs::path file = folder / ("file" + std::to_string(f) + ".tmp");
      const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd < 0) throw std::runtime_error("cannot create " + file.string());
      const auto size = static_cast<std::size_t>(1 + (d + f) % 100);
      if (::write(fd, bytes.data(), size) != static_cast<ssize_t>(size)) throw std::runtime_error("short write");
      ::close(fd);
    }
  }
}

// Runs a host command with its output thrown away and waits for it.
void RunHost(std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (rc != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(args[0] + " failed");
  }
}

struct Bench {
  platform::sim::SimMachine machine;
  NullReporter reporter;
  bool test_tree_built = false;
  std::map<std::string, std::vector<double>> seconds;  // per side, one entry per run

  std::uint32_t Walk(RunKind kind, const char* folder, std::int64_t& bytes) {
    RunContext worker(machine.platform(), reporter, {.run_kind = kind});
    std::uint32_t counter = 0;
    bytes = DeleteFolderContents(worker, folder, true, true, "", counter);
    return counter;
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

template <typename Body>
void Timed(benchmark::State& state, const std::string& side, Body body) {
  const auto start = Clock::now();
  body();
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  state.SetIterationTime(elapsed);
  Shared().seconds[side].push_back(elapsed);
}

void BM_CleanPrimitives(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    BuildTree(b.machine.HostPath(kCleanTree));
    std::uint32_t count = 0;
    std::int64_t bytes = 0;
    Timed(state, "clean", [&] { count = b.Walk(RunKind::AutomaticClean, kCleanTree, bytes); });
    if (count != kFiles || fs::exists(b.machine.HostPath(kCleanTree))) state.SkipWithError("the clean left files");
  }
}

void BM_CleanRmRf(benchmark::State& state) {
  Bench& b = Shared();
  const fs::path host = b.machine.HostPath("C:\\BenchRm");
  for (auto _ : state) {
    BuildTree(host);
    Timed(state, "rm -rf", [&] { RunHost({"rm", "-rf", host.string()}); });
  }
}

void BM_TestPrimitives(benchmark::State& state) {
  Bench& b = Shared();
  if (!b.test_tree_built) BuildTree(b.machine.HostPath(kTestTree));
  b.test_tree_built = true;
  for (auto _ : state) {
    std::int64_t bytes = 0;
    std::uint32_t count = 0;
    Timed(state, "test", [&] { count = b.Walk(RunKind::Test, kTestTree, bytes); });
    if (count != kFiles) state.SkipWithError("the test missed files");
  }
}

void BM_TestFind(benchmark::State& state) {
  Bench& b = Shared();
  if (!b.test_tree_built) BuildTree(b.machine.HostPath(kTestTree));
  b.test_tree_built = true;
  const std::string host = b.machine.HostPath(kTestTree).string();
  for (auto _ : state) {
    Timed(state, "find", [&] { RunHost({"find", host, "-type", "f", "-printf", "%s\\n"}); });
  }
}

// One timed run per repetition: the tree is rebuilt (untimed) for each.
BENCHMARK(BM_CleanPrimitives)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CleanRmRf)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TestPrimitives)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TestFind)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

void PrintRatios() {
  auto& s = Shared().seconds;
  const auto ratio = [&](const char* ours, const char* theirs, double limit) {
    const double a = Median(s[ours]), b = Median(s[theirs]);
    if (a == 0 || b == 0) return;
    std::printf("%-6s median %8.1f ms   %-7s median %8.1f ms   ratio %.2fx (aim: at most %.1fx)\n", ours, a * 1e3,
                theirs, b * 1e3, a / b, limit);
  };
  std::printf("\n%u files in %d folders\n", kFiles, kFolders);
  ratio("clean", "rm -rf", 1.2);
  ratio("test", "find", 2.0);
}

}  // namespace
}  // namespace norvik::cleaning

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  norvik::cleaning::PrintRatios();
  return 0;
}
