// libFuzzer target: arbitrary bytes as a .reg file loaded into the simulated registry.
// The codec is the program's own (platform/reg_text); the simulation only dumps it.
// Besides crashes and hangs it checks the loader's promise that an export of what was
// loaded loads back cleanly to the same registry (compared through a second export).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/reg_text.h"
#include "platform/sim/sim_registry.h"

namespace {

using norvik::platform::LoadRegText;
using norvik::platform::RegFormat;
using norvik::platform::sim::SaveRegText;
using norvik::platform::sim::SimRegistry;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "reg_file_fuzz: %s\n%s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  SimRegistry loaded;
  (void)LoadRegText(loaded, bytes);
  const std::string first = SaveRegText(loaded, RegFormat::Version5);

  SimRegistry reloaded;
  const auto problems = LoadRegText(reloaded, first);
  if (!problems.empty()) {
    Fail("our own export did not load cleanly",
         "line " + std::to_string(problems.front().line) + ": " + problems.front().message);
  }
  if (SaveRegText(reloaded, RegFormat::Version5) != first) {
    Fail("export -> load -> export changed the registry", "");
  }

  // The code-page form is lossy by design; it only has to survive.
  (void)SaveRegText(loaded, RegFormat::Regedit4);
  return 0;
}
