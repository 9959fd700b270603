// The folder walk of a Clean and of a Test through the real API (run under Wine),
// against a plain FindFirstFileW / DeleteFileW / RemoveDirectoryW loop over an
// identical tree. Building the trees is not timed. The folders sit in ten groups and the
// two sides take turns group by group (and turns at going first), so that a shared
// machine whose load changes by the minute weighs on both alike, while each walk still
// starts (reads the places it must not empty) only once per group. Each side runs five
// times; the medians and their ratios are printed.
//
//   norvik_wine_delete_bench.exe [folders [files-per-folder]]   (default 100 x 100)

#include "platform/win32/windows_api.h"  // first: before any other Windows header

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "cleaning/deletion_primitives.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"

namespace norvik::cleaning {
namespace {

using bench::Median;
using bench::NullReporter;
using bench::Seconds;

constexpr int kRuns = 5;
constexpr int kGroups = 10;

std::wstring Group(int group) { return L"\\group" + std::to_wstring(group); }

bool BuildTree(const std::wstring& root, int folders, int files) {
  ::CreateDirectoryW(root.c_str(), nullptr);
  for (int g = 0; g < kGroups; ++g) ::CreateDirectoryW((root + Group(g)).c_str(), nullptr);
  const std::string bytes(100, 'x');
  for (int d = 0; d < folders; ++d) {
    const std::wstring folder = root + Group(d % kGroups) + L"\\folder" + std::to_wstring(d);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
    for (int f = 0; f < files; ++f) {
      const std::wstring name = folder + L"\\file" + std::to_wstring(f) + L".tmp";
      HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) return false;
      DWORD put = 0;
      const BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(1 + (d + f) % 100), &put, nullptr);
      ::CloseHandle(h);
      if (!ok) return false;
    }
  }
  return true;
}

// The plain walk: sizes added up, and with `remove` every file and folder deleted.
std::uint64_t PlainWalk(const std::wstring& folder, bool remove, std::uint32_t& count) {
  std::uint64_t bytes = 0;
  WIN32_FIND_DATAW fd{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      bytes += PlainWalk(path, remove, count);
      if (remove) ::RemoveDirectoryW(path.c_str());
    } else if (!remove || ::DeleteFileW(path.c_str())) {
      ++count;
      bytes += (std::uint64_t{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow;
    }
  } while (::FindNextFileW(find, &fd));
  ::FindClose(find);
  return bytes;
}

int Run(int folders, int files) {
  platform::win32::Win32Platform backend;
  NullReporter reporter;
  const auto walk = [&](RunKind kind, const std::string& folder, std::uint32_t& count) {
    RunContext worker(backend.platform(), reporter, {.run_kind = kind});
    return DeleteFolderContents(worker, folder, true, true, "", count);
  };
  const std::wstring root = L"C:\\NorvikBench" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring ours = root + L"\\primitives", plain = root + L"\\plain";
  ::CreateDirectoryW(root.c_str(), nullptr);
  const std::uint32_t expected = static_cast<std::uint32_t>(folders * files);

  std::map<std::string, std::vector<double>> seconds;
  for (int run = 0; run < kRuns; ++run) {
    if (!BuildTree(ours, folders, files) || !BuildTree(plain, folders, files)) {
      std::fprintf(stderr, "cannot build the trees under C:\\\n");
      return 1;
    }
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
    std::map<std::string, double> spent;
    const auto in_turn = [&](int group, const std::function<void()>& ours_side, const std::function<void()>& plain_side) {
      if (group % 2 != 0) {
        ours_side();
        plain_side();
      } else {
        plain_side();
        ours_side();
      }
    };
    for (int g = 0; g < kGroups; ++g) {
      const std::wstring name = Group(g);
      in_turn(
          g, [&] { spent["test"] += Seconds([&] { walk(RunKind::Test, platform::win32::Narrow(ours + name), a); }); },
          [&] { spent["plain walk"] += Seconds([&] { PlainWalk(plain + name, false, b); }); });
    }
    for (int g = 0; g < kGroups; ++g) {
      const std::wstring name = Group(g);
      in_turn(
          g, [&] { spent["clean"] += Seconds([&] { walk(RunKind::AutomaticClean, platform::win32::Narrow(ours + name), c); }); },
          [&] {
            spent["plain delete"] += Seconds([&] {
              PlainWalk(plain + name, true, d);
              ::RemoveDirectoryW((plain + name).c_str());
            });
          });
    }
    ::RemoveDirectoryW(ours.c_str());
    ::RemoveDirectoryW(plain.c_str());
    for (const auto& [side, time] : spent) seconds[side].push_back(time);
    if (a != expected || b != expected || c != expected || d != expected) {
      std::fprintf(stderr, "counts differ: test %u, walk %u, clean %u, delete %u of %u\n", a, b, c, d, expected);
      return 1;
    }
    std::printf("run %d: test %.0f ms, plain walk %.0f ms, clean %.0f ms, plain delete %.0f ms\n", run + 1,
                seconds["test"].back() * 1e3, seconds["plain walk"].back() * 1e3, seconds["clean"].back() * 1e3,
                seconds["plain delete"].back() * 1e3);
  }
  ::RemoveDirectoryW(root.c_str());

  std::printf("\n%u files in %d folders, median of %d runs\n", expected, folders, kRuns);
  const auto ratio = [&](const char* x, const char* y) {
    const double mx = Median(seconds[x]), my = Median(seconds[y]);
    std::printf("%-6s %9.1f ms   %-12s %9.1f ms   ratio %.2fx\n", x, mx * 1e3, y, my * 1e3, mx / my);
  };
  ratio("clean", "plain delete");
  ratio("test", "plain walk");
  return 0;
}

}  // namespace
}  // namespace norvik::cleaning

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const int files = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  return norvik::cleaning::Run(folders, files);
}
