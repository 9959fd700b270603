#pragma once
// The registry scan's worker: runs the chosen sections one after the other and reports
// rows, titles and the key it is visiting through a sink. It never touches a window;
// Execute runs on whatever thread the caller chooses (a std::jthread in the program, the
// test's own thread in tests).

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "regscan/file_reference.h"
#include "regscan/problem_row.h"

namespace norvik::regscan {

inline constexpr std::string_view kEndingTitle = "Optimizing...Do not close the dialog.";
inline constexpr std::string_view kEndingKeyText = "Please wait...";

// How a scan talks to the window it was started from. Every call comes from the worker;
// the window performs them on its own thread in the order they were made.
class ScanSink {
 public:
  virtual ~ScanSink() = default;
  virtual void SetTitle(std::string title) = 0;  // lScanTitle
  // Memo1: the key or file being visited. Only the latest text matters.
  virtual void ShowKey(std::string text) = 0;
  // One complete row; a row is never seen half filled.
  virtual void AddRow(ProblemRow row) = 0;
  virtual void SectionDone() = 0;  // WM_SCANSECTIONDONE
  virtual void Done() = 0;         // WM_SCANDONE
};

// Everything the worker is handed when it is created.
struct ScanSetup {
  std::vector<int> section_codes;  // in tree order; group codes are passed over
  bool include_remove_media = true;
  FloppyReadiness floppies;        // probed by the caller when include_remove_media is off
  std::uint8_t os_code = 12;       // GetOsCode
};

// True when a row's fix would delete a root key or a key directly below one.
bool DeletesTopLevelKey(std::string_view registry_key, std::string_view data, int fix_kind);

class TScanTaskThread {
 public:
  // Builds ScanDrives (asking the drive types) and the system flags.
  TScanTaskThread(platform::Platform platform, ScanSink& sink, ScanSetup setup, std::stop_token stop = {});
  TScanTaskThread(const TScanTaskThread&) = delete;
  TScanTaskThread& operator=(const TScanTaskThread&) = delete;

  // Every section, a section-done report after each, then the ending texts and Done. A
  // stop request ends the scan before the next item with no further report. A section
  // that fails unexpectedly ends the scan, which still reports Done, so the window never
  // waits for a worker that has gone.
  void Execute();

  // Fields of the scan, read by the section checks.
  std::vector<int> SectionCodes;
  std::string ScanDrives;
  bool FloppyAReady = false;
  bool FloppyBReady = false;
  bool Wow64 = false;  // this process is a 32-bit one redirected on 64-bit Windows
  bool IsWindows7 = false;
  bool IsVersion11 = false;

  // Services every check uses.
  bool Stopped() const { return stop_.stop_requested(); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title);
  void ShowKey(std::string_view text);
  // Adds a whole row unless the scan has been stopped. A row whose fix would delete a
  // root key or a key directly below one (a user's hive, HKLM\Software) is dropped,
  // whatever section found it.
  void AddProblemRow(std::string problem, std::string data, std::string registry_key, int fix_kind);
  // The shared file check with this scan's drives and floppy flags. `redirected_view`:
  // the text was read in the 32-bit view of a 64-bit registry (below Wow6432Node).
  bool IsMissingFileReference(std::string_view text, std::string_view required_ext, bool folder_counts,
                              bool redirected_view = false) const;
  // With removable media included in the scan, a path on a floppy drive that held no
  // medium when the scan began is missing; the drive is not touched.
  bool OnEmptyFloppy(std::string_view path) const;
  platform::Platform& platform() { return platform_; }

 private:
  platform::Platform platform_;
  ScanSink& sink_;
  FileCheck check_;
  std::stop_token stop_;
  std::string title_;
};

}  // namespace norvik::regscan
