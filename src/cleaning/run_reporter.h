#pragma once
// How a cleaning run talks to the window it was started from. Every call comes from the
// worker thread; the window performs them on its own thread in the order they were made.

#include <cstdint>
#include <string>
#include <string_view>

namespace norvik::cleaning {

class RunReporter {
 public:
  virtual ~RunReporter() = default;

  // One line at the end of the log.
  virtual void AppendLine(std::string line) = 0;
  virtual void ScrollLogToEnd() = 0;
  // WM_CLEANPROGRESS: items processed so far in the run.
  virtual void Progress(std::uint32_t processed) = 0;
  // WM_CLEANDONE: the run finished with this many items.
  virtual void Done(std::uint32_t total) = 0;

  // Modal questions; the worker waits for the answer. When the window has gone away or
  // the run was cancelled the answer is No.
  virtual bool AskYesNo(std::string_view question) = 0;
  // A notice with an empty caption and an OK button.
  virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace norvik::cleaning
