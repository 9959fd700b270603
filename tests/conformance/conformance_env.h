#pragma once
// What a conformance test runs against: one backend of the platform layer plus a
// scratch registry key and a scratch folder that are empty at the start and removed
// afterwards. The native test binary supplies the simulated Windows, the Windows
// test binary (under Wine) the real API; the tests themselves are the same.

#include <memory>
#include <string>

#include "platform/platform.h"

namespace norvik::conformance {

class ConformanceEnv {
 public:
  virtual ~ConformanceEnv() = default;
  virtual platform::Platform platform() = 0;
  // A key path below HKEY_CURRENT_USER, e.g. "Software\NorvikConformance\1234".
  virtual std::string ScratchKey() = 0;
  // A folder on drive C:, without a trailing backslash, e.g. "C:\NorvikConformance\1234".
  virtual std::string ScratchFolder() = 0;
  // A registry link at `link` standing for `target`, both paths below HKEY_CURRENT_USER,
  // made as RegCreateKeyEx with REG_OPTION_CREATE_LINK makes one.
  virtual platform::Status MakeRegistryLink(const std::string& link, const std::string& target) = 0;
};

// Defined once per test binary by the backend it is built with.
std::unique_ptr<ConformanceEnv> MakeConformanceEnv();

}  // namespace norvik::conformance
