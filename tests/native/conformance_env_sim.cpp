// The conformance suite against the simulated Windows: a fresh machine per test, with
// the scratch key and folder already made.

#include <stdexcept>
#include <string>

#include "conformance/conformance_env.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"

namespace norvik::conformance {
namespace {

constexpr char kScratchKey[] = "Software\\NorvikConformance\\1";
constexpr char kScratchFolder[] = "C:\\NorvikConformance\\1";

class SimConformanceEnv final : public ConformanceEnv {
 public:
  SimConformanceEnv() {
    machine_.MakeFolder(kScratchFolder);
    if (!machine_.platform().registry.Root(platform::RegRoot::CurrentUser).Create(kScratchKey))
      throw std::runtime_error("cannot create the scratch key");
  }

  platform::Platform platform() override { return machine_.platform(); }
  std::string ScratchKey() override { return kScratchKey; }
  std::string ScratchFolder() override { return kScratchFolder; }
  platform::Status MakeRegistryLink(const std::string& link, const std::string& target) override {
    return machine_.registry().CreateLink(platform::RegRoot::CurrentUser, link,
                                          "\\Registry\\User\\" + std::string(platform::sim::kCurrentUserSid) + "\\" + target);
  }

 private:
  platform::sim::SimMachine machine_;
};

}  // namespace

std::unique_ptr<ConformanceEnv> MakeConformanceEnv() {
  return std::make_unique<SimConformanceEnv>();
}

}  // namespace norvik::conformance
