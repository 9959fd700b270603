#pragma once
// Runs one scan check alone on a simulated machine and keeps its rows as
// "<fix kind> <registry key> = <data>" texts, in the order they were added.

#include <string>
#include <vector>

#include "platform/reg_text.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "regscan/scan_task.h"

namespace norvik::regscan::testing {

using Rows = std::vector<std::string>;

class RowRecorder : public ScanSink {
 public:
  void SetTitle(std::string) override {}
  void ShowKey(std::string) override {}
  void AddRow(ProblemRow row) override {
    rows.push_back(std::to_string(row.fix_kind) + " " + row.registry_key + " = " + row.data);
    problems.push_back(row.problem);
  }
  void SectionDone() override {}
  void Done() override {}

  Rows rows;
  std::vector<std::string> problems;
};

// The machine's facts a check reads besides the registry and the drives.
struct CheckSetup {
  std::uint8_t os_code = 12;
  bool windows64 = true;
  std::vector<int> section_codes = {};
};

template <typename Check>
Rows RunCheck(platform::sim::SimMachine& machine, Check check, const CheckSetup& setup = {},
              std::vector<std::string>* problems = nullptr) {
  RowRecorder sink;
  TScanTaskThread scan(machine.platform(), sink, ScanSetup{setup.section_codes, true, {}, setup.os_code});
  scan.Windows64 = setup.windows64;
  check(scan);
  if (problems != nullptr) *problems = sink.problems;
  return sink.rows;
}

inline bool LoadRegistry(platform::sim::SimMachine& machine, std::string_view reg_text) {
  return platform::LoadRegText(machine.registry(), reg_text).empty();
}

}  // namespace norvik::regscan::testing
