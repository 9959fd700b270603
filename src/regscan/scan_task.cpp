#include "regscan/scan_task.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "core/utility_routines.h"
#include "regscan/sections.h"

namespace norvik::regscan {

bool DeletesTopLevelKey(std::string_view registry_key, std::string_view data, int fix_kind) {
  if (fix_kind != kFixKey && fix_kind != kFixSubKey) return false;
  // Names of the key the fix would delete, empty ones (a doubled or trailing '\') left out.
  std::size_t names = 0;
  const auto count = [&names](std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
      const std::size_t end = std::min(path.find('\\', start), path.size());
      if (end > start) ++names;
      start = end + 1;
    }
  };
  count(registry_key);
  if (fix_kind == kFixSubKey) count(data);
  return names <= 2;  // the root's name and at most one key below it
}

TScanTaskThread::TScanTaskThread(platform::Platform platform, ScanSink& sink, ScanSetup setup, std::stop_token stop)
    : SectionCodes(std::move(setup.section_codes)),
      ScanDrives(BuildScanDrives(platform.files, setup.include_remove_media)),
      FloppyAReady(setup.floppies.a),
      FloppyBReady(setup.floppies.b),
      Wow64(core::IsWow64(platform.system)),
      IsWindows7(setup.os_code == 12),
      IsVersion11(setup.os_code == 11),
      platform_(platform),
      sink_(sink),
      check_{platform.files, platform.system, ScanDrives, setup.include_remove_media, FloppyAReady, FloppyBReady},
      stop_(std::move(stop)) {}

void TScanTaskThread::Execute() {
  SetTitle("");
  ShowKey("");
  try {
    for (const int code : SectionCodes) {
      if (Stopped()) return;
      if (const ScanSection* section = FindScanSection(code)) {
        if (!section->title.empty()) SetTitle(section->title);
        if (section->scan != nullptr) section->scan(*this);
      }
      if (!Stopped()) sink_.SectionDone();
    }
  } catch (const std::exception&) {
    if (Stopped()) return;
  }
  SetTitle(kEndingTitle);
  ShowKey(kEndingKeyText);
  sink_.Done();
}

void TScanTaskThread::SetTitle(std::string_view title) {
  title_ = title;
  sink_.SetTitle(title_);
}

void TScanTaskThread::ShowKey(std::string_view text) { sink_.ShowKey(std::string(text)); }

void TScanTaskThread::AddProblemRow(std::string problem, std::string data, std::string registry_key, int fix_kind) {
  if (Stopped() || DeletesTopLevelKey(registry_key, data, fix_kind)) return;
  sink_.AddRow(ProblemRow{false, std::move(problem), std::move(data), std::move(registry_key), fix_kind});
}

bool TScanTaskThread::IsMissingFileReference(std::string_view text, std::string_view required_ext,
                                             bool folder_counts, bool redirected_view) const {
  return regscan::IsMissingFileReference(check_, text, required_ext, folder_counts, Wow64 || redirected_view);
}

bool TScanTaskThread::OnEmptyFloppy(std::string_view path) const {
  if (check_.include_remove_media || path.size() < 3 || path.substr(1, 2) != ":\\") return false;
  const char drive = path[0];
  return ((drive == 'a' || drive == 'A') && !FloppyAReady) || ((drive == 'b' || drive == 'B') && !FloppyBReady);
}

}  // namespace norvik::regscan
