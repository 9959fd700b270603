// Saving options.ini at close when the file has grown into 10 MB of damage, through the
// real API (run under Wine): the settings store's one-pass save against writing the same
// keys one WritePrivateProfileString call at a time, as a save did before. The damaged
// file is written afresh before each side; only the save is timed.
//
//   norvik_wine_settings_save_bench.exe [megabytes]   (default 10)

#include "platform/win32/windows_api.h"  // first: before any other Windows header

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/settings_store.h"
#include "platform/win32/win32_platform.h"

namespace norvik {
namespace {

double Seconds(const std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The keys a save writes, as a fresh start leaves them.
std::vector<platform::IniEntry> SavedKeys(platform::IniFiles& ini, const std::string& file) {
  std::vector<platform::IniEntry> entries;
  const platform::IniReader saved = ini.ReadWhole(file);
  for (const std::string& section : saved.GetSections()) {
    for (const std::string& key : saved.GetKeys(section)) entries.push_back({section, key, saved.GetString(section, key, "")});
  }
  return entries;
}

// Random-looking lines below an unknown section, then the saved settings again.
bool WriteDamaged(const std::string& file, const std::string& good, int megabytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "[Damaged]\r\n";
  unsigned seed = 12345;
  std::string line;
  for (std::size_t written = 0; written < static_cast<std::size_t>(megabytes) << 20; written += line.size()) {
    line.clear();
    for (int i = 0; i < 90; ++i) {
      seed = seed * 1103515245u + 12345u;
      line += static_cast<char>('!' + (seed >> 16) % 90);
    }
    line += "\r\n";
    out << line;
  }
  out << good;
  return static_cast<bool>(out);
}

}  // namespace
}  // namespace norvik

int main(int argc, char** argv) {
  using namespace norvik;
  const int megabytes = argc > 1 ? std::atoi(argv[1]) : 10;
  platform::win32::Win32Platform backend;
  platform::Platform p = backend.platform();
  core::SettingsStore store(p.ini, core::ChooseFileFolders(p));
  const std::string file = store.FileName();
  ::DeleteFileA(file.c_str());
  store.Load({0, 0, 700, 500});
  if (!store.Save()) return std::fprintf(stderr, "cannot write %s\n", file.c_str()), 1;
  std::ifstream in(file, std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const auto entries = SavedKeys(p.ini, file);

  if (!WriteDamaged(file, good, megabytes)) return std::fprintf(stderr, "cannot write %s\n", file.c_str()), 1;
  auto start = std::chrono::steady_clock::now();
  int failed = 0;
  for (const auto& e : entries) failed += p.ini.WriteString(file, e.section, e.key, e.value) ? 0 : 1;
  const double one_by_one = Seconds(start);

  if (!WriteDamaged(file, good, megabytes)) return std::fprintf(stderr, "cannot write %s\n", file.c_str()), 1;
  start = std::chrono::steady_clock::now();
  store.Load({0, 0, 700, 500});
  const double load = Seconds(start);
  start = std::chrono::steady_clock::now();
  const bool saved = store.Save();
  const double one_pass = Seconds(start);
  std::printf("%d MB damaged options.ini, %zu keys: one key at a time %.2f s (%d failed); one pass %.3f s (%s); "
              "load %.3f s\n",
              megabytes, entries.size(), one_by_one, failed, one_pass, saved ? "saved" : "FAILED", load);
  ::DeleteFileA(file.c_str());
  return saved ? 0 : 1;
}
