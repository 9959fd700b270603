// libFuzzer target: arbitrary bytes as an index.dat file, listed and then overwritten
// the way the viewer and the cleaners do. Beyond crashes, sanitizer reports and hangs,
// a finding is an overwrite that changes the file's size or its first 32 bytes, or a
// listed record without an address.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/index_dat.h"
#include "platform/sim/sim_machine.h"

namespace {

using norvik::platform::sim::SimMachine;
constexpr char kFile[] = "C:\\fuzz\\index.dat";

SimMachine& Machine() {
  // One machine for the whole run; its temporary folder goes when the fuzzer exits.
  static SimMachine machine;
  return machine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  SimMachine& machine = Machine();
  machine.WriteFile(kFile, bytes);
  auto& files = machine.platform().files;

  int last = -1;
  const auto listing = norvik::formats::ListIndexDat(files, kFile, [&](int percent) {
    if (percent <= last || percent > 100) std::abort();
    last = percent;
  });
  for (std::size_t i = 0; i < listing.size(); ++i) {
    if (listing.address(i).empty()) std::abort();
  }

  // The pass count comes from the input, so one to three passes are all reached.
  const int passes = size == 0 ? 1 : 1 + data[0] % 3;
  norvik::formats::OverwriteIndexDat(files, kFile, passes, [] { return std::uint8_t{0xA5}; });
  const std::string after = machine.ReadFile(kFile).value_or(std::string());
  if (after.size() != size || after.compare(0, 32, bytes.substr(0, 32)) != 0) std::abort();
  return 0;
}
