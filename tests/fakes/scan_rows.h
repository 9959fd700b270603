#pragma once
// A scan's reports as texts, one check run alone on a simulated machine, and registry
// keys planted from short texts.

#include <gtest/gtest.h>

#include <initializer_list>
#include <stop_token>
#include <string>
#include <vector>

#include "core/registry_access.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "regscan/scan_task.h"

namespace norvik::regscan::testing {

using Rows = std::vector<std::string>;

// What the window would be told, as "title:", "row:<fix kind> <registry key> = <data>"
// and "section"/"done" entries; a stop is requested after `stop_after_rows` rows.
class RecordingSink : public ScanSink {
 public:
  void SetTitle(std::string title) override { events.push_back("title:" + title); }
  void ShowKey(std::string) override { ++keys_shown; }
  void AddRow(ProblemRow row) override {
    events.push_back("row:" + std::to_string(row.fix_kind) + " " + row.registry_key + " = " + row.data);
    if (stop_after_rows && --stop_after_rows == 0) stop.request_stop();
  }
  void SectionDone() override { events.push_back("section"); }
  void Done() override { events.push_back("done"); }

  Rows events;
  int keys_shown = 0;
  int stop_after_rows = 0;
  std::stop_source stop;
};

struct CheckSetup {
  std::uint8_t os_code = 12;
  std::vector<int> section_codes = {};
};

// The rows of one check run alone, without the "row:" mark.
template <typename Check>
Rows RunCheck(platform::sim::SimMachine& machine, Check check, const CheckSetup& setup = {}) {
  RecordingSink sink;
  TScanTaskThread scan(machine.platform(), sink, ScanSetup{setup.section_codes, true, {}, setup.os_code});
  check(scan);
  Rows rows;
  for (const std::string& e : sink.events) rows.push_back(e.substr(4));
  return rows;
}

// Keys "ROOT\path", each with at most one value: "ROOT\path|name=text" ("@" names the
// default value; a text "#n" plants the number n).
inline void Plant(platform::sim::SimMachine& machine, std::initializer_list<std::string> entries) {
  for (const std::string& entry : entries) {
    const auto bar = entry.find('|');
    const auto path = core::SplitRegistryPath(entry.substr(0, bar));
    auto key = machine.registry().Root(*core::RootFromName(path.root)).Create(path.key);
    ASSERT_TRUE(key) << entry;
    if (bar == std::string::npos) continue;
    const auto eq = entry.find('=', bar);
    const std::string name = entry.substr(bar + 1, eq - bar - 1), text = entry.substr(eq + 1);
    const auto value = text.starts_with('#') ? platform::RegValue::Dword(std::stoul(text.substr(1)))
                                             : platform::RegValue::String(text);
    ASSERT_TRUE(key->Set(name == "@" ? "" : name, value));
  }
}

}  // namespace norvik::regscan::testing
