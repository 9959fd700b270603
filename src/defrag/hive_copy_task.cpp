#include "defrag/hive_copy_task.h"

#include <chrono>
#include <cmath>

#include "core/utility_routines.h"

namespace norvik::defrag {

void CopyHives(platform::Platform platform, const HiveList& hives, bool is_wow64, std::stop_token stop,
               HiveCopySink& sink) {
  // RegSaveKey refuses without it.
  (void)core::EnableBackupPrivilege(platform.system);
  std::int64_t first_ms = 0;
  std::size_t i = 0;
  for (; i < hives.size(); ++i) {
    if (stop.stop_requested()) break;
    sink.CopyStarted(i);
    const auto started = std::chrono::steady_clock::now();
    const std::string copy = CopyOf(hives.files[i]);
    if (!core::SaveHiveToFile(platform.registry, platform.files, hives.names[i], copy, is_wow64) &&
        platform.files.GetAttributes(copy).ok()) {
      (void)platform.files.DeleteFile(copy);
    }
    if (i == 0) {
      const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
      first_ms = std::llround(took.count());
    }
    sink.CopyDone(first_ms, i + 1);
  }
  sink.Finished(i == hives.size());
}

}  // namespace norvik::defrag
