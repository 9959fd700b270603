#pragma once
// The worker of an analysis: saves every hive into its ".fdc" copy with the registry's
// own save operation, which writes the keys out afresh without the gaps of the live file.

#include <cstddef>
#include <cstdint>
#include <stop_token>

#include "defrag/hive_list.h"
#include "platform/platform.h"

namespace norvik::defrag {

// Called on the worker's thread.
class HiveCopySink {
 public:
  virtual ~HiveCopySink() = default;
  virtual void CopyStarted(std::size_t index) = 0;
  // `first_ms`: how long the first hive took (the same in every report); `done`: index + 1.
  virtual void CopyDone(std::int64_t first_ms, std::size_t done) = 0;
  // The end of the run; `complete` when no hive was skipped by a stop request.
  virtual void Finished(bool complete) = 0;
};

// A stop request is honoured before each hive, never inside one. A hive that cannot be
// saved leaves no copy behind, not even a partly written one.
void CopyHives(platform::Platform platform, const HiveList& hives, bool is_wow64, std::stop_token stop,
               HiveCopySink& sink);

}  // namespace norvik::defrag
