// Start-up of norvik.exe to a visible main window against a minimal window program,
// run under Wine. Each program is started `runs` times, the two taking turns (in
// alternating order) so that both see the same load; one unmeasured start of each comes first (disk cache, Wine's
// own first-start work). Prints the medians, their ratio and the libraries each
// program has loaded once its window shows.
//
//   norvik_wine_startup_bench.exe minimal.exe norvik.exe [runs]   (default 5)

#include "platform/win32/windows_api.h"  // first: before any other Windows header
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "platform/win32/wide_text.h"

namespace {

using norvik::bench::Median;

constexpr DWORD kWindowTimeoutMs = 30000;

struct Start {
  double seconds = 0;  // < 0: no window showed
  std::vector<std::string> libraries;
};

struct WindowSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !::IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

std::vector<std::string> LoadedLibraries(HANDLE process) {
  std::vector<HMODULE> modules(512);
  DWORD bytes = 0;
  if (!::EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes)) {
    return {};
  }
  modules.resize(std::min<std::size_t>(modules.size(), bytes / sizeof(HMODULE)));
  std::vector<std::string> names;
  for (HMODULE module : modules) {
    wchar_t name[MAX_PATH] = {};
    if (::GetModuleBaseNameW(process, module, name, MAX_PATH)) names.push_back(norvik::platform::win32::Narrow(name));
  }
  return names;
}

Start TimeStart(const std::wstring& exe) {
  Start result{-1, {}};
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, begin, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&begin);
  if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", norvik::platform::win32::Narrow(exe).c_str(), ::GetLastError());
    return result;
  }
  WindowSearch search{process.dwProcessId, nullptr};
  for (;;) {
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    ::QueryPerformanceCounter(&now);
    const double elapsed = static_cast<double>(now.QuadPart - begin.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (search.found != nullptr) {
      result.seconds = elapsed;
      break;
    }
    if (elapsed * 1000 > kWindowTimeoutMs || ::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
    ::Sleep(1);
  }
  if (search.found != nullptr) {
    result.libraries = LoadedLibraries(process.hProcess);
    ::PostMessageW(search.found, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 1);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: norvik_wine_startup_bench minimal.exe norvik.exe [runs]\n");
    return 2;
  }
  const std::wstring programs[2] = {argv[1], argv[2]};
  const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 5;
  std::vector<double> seconds[2];
  std::vector<std::string> libraries[2];
  for (int run = -1; run < runs; ++run) {
    // The order alternates: the second start of a pair runs while the first one's exit
    // still settles, which would otherwise weigh on one side only.
    for (int turn = 0; turn < 2; ++turn) {
      const int side = run % 2 == 0 ? turn : 1 - turn;
      Start start = TimeStart(programs[side]);
      if (start.seconds < 0) {
        std::fprintf(stderr, "no visible window from %s\n", norvik::platform::win32::Narrow(programs[side]).c_str());
        return 1;
      }
      if (run < 0) continue;
      seconds[side].push_back(start.seconds);
      libraries[side] = std::move(start.libraries);
    }
    if (run >= 0) {
      std::printf("run %d: minimal %.0f ms, norvik %.0f ms\n", run + 1, seconds[0].back() * 1e3, seconds[1].back() * 1e3);
    }
  }
  const char* names[2] = {"minimal", "norvik"};
  for (int side = 0; side < 2; ++side) {
    std::printf("%s: %zu libraries at its first window:", names[side], libraries[side].size());
    for (const std::string& name : libraries[side]) std::printf(" %s", name.c_str());
    std::printf("\n");
  }
  const double ours = Median(seconds[1]), minimal = Median(seconds[0]);
  std::printf("\nstart-up to a visible window, median of %d runs\n", runs);
  std::printf("norvik %9.1f ms   minimal %9.1f ms   ratio %.2fx\n", ours * 1e3, minimal * 1e3, ours / minimal);
  return 0;
}
