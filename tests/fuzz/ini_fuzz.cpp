// libFuzzer target: arbitrary bytes as an INI file, read the way the program reads
// settings and definition files. Any crash, sanitizer report or hang is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_text.h"
#include "platform/sim/sim_machine.h"

namespace {

using norvik::platform::IniDocument;
using norvik::platform::sim::SimMachine;

constexpr char kFile[] = "C:\\fuzz\\options.ini";
// Every lookup re-reads the file: bound the work per input so a file of many tiny
// sections reads as slow only once, not quadratically.
constexpr std::size_t kMaxSections = 8;
constexpr std::size_t kMaxKeys = 8;

SimMachine& Machine() {
  // One machine for the whole run; its temporary folder goes when the fuzzer exits.
  static SimMachine machine;
  return machine;
}

void CheckParser(std::string_view bytes) {
  IniDocument doc = IniDocument::Parse(bytes);
  for (const auto& section : doc.sections) {
    // Every parsed name must be found again by its own text.
    if (doc.FindSection(section.name) == nullptr) std::abort();
    for (const auto& line : section.lines) {
      if (norvik::platform::FindLine(section, line.name) == nullptr) std::abort();
    }
  }
  const std::string text = doc.Serialize();
  IniDocument::Parse(text);
}

void CheckProfileCalls(std::string_view bytes) {
  SimMachine& machine = Machine();
  machine.WriteFile(kFile, bytes);
  auto& ini = machine.platform().ini;

  auto sections = ini.GetSections(kFile);
  sections.resize(std::min(sections.size(), kMaxSections));
  sections.push_back("");  // the lines above the first header
  for (const auto& section : sections) {
    auto keys = ini.GetKeys(kFile, section);
    keys.resize(std::min(keys.size(), kMaxKeys));
    for (const auto& key : keys) {
      for (const std::size_t buffer : {std::size_t{0}, std::size_t{1}, std::size_t{2},
                                       std::size_t{5}, std::size_t{2048}}) {
        const std::string value = ini.GetString(kFile, section, key, " default ", buffer);
        if (buffer > 0 && value.size() > 3 * (buffer - 1)) std::abort();  // UTF-8 of buffer-1 units
      }
    }
  }
  // A write and a delete go through load, edit and save of the whole file.
  (void)ini.WriteString(kFile, sections.front(), "Fuzz", "value");
  (void)ini.DeleteKey(kFile, sections.front(), "Fuzz");
  // The one-pass save over whatever the file holds reads back what it wrote.
  const std::vector<norvik::platform::IniEntry> entries = {{sections.front(), "Fuzz", "value"}, {"Norvik", "k", "v"}};
  if (ini.WriteStrings(kFile, entries) && ini.GetString(kFile, "Norvik", "k", "") != "v") std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckParser(bytes);
  CheckProfileCalls(bytes);
  return 0;
}
