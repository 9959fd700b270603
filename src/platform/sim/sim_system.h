#pragma once
// Facts about the simulated machine: version, WOW64, administrator, privileges,
// environment and the program's own file name. All settable; the defaults are those of
// a 64-bit Windows 7 SP1 as Wine presents it, for the given user name.

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace norvik::platform::sim {

class SimSystem final : public System {
 public:
  explicit SimSystem(const std::string& user_name = "user");

  void SetVersion(OsVersion version);
  // nullopt: kernel32 has no IsWow64Process (Windows 2000 and the 95 family).
  void SetWow64(std::optional<bool> wow64);
  void SetAdministrator(bool admin);
  void SetPrivilegeHeld(std::string_view name, bool held);
  // Privileges enabled so far, in call order (a failed call records nothing).
  std::vector<std::string> EnabledPrivileges() const;
  // nullopt removes the variable.
  void SetEnvironment(std::string_view name, std::optional<std::string> value);
  void SetModuleFileName(std::string path);

  OsVersion GetVersion() override;
  Result<bool> IsWow64Process() override;
  Result<bool> IsAdministrator() override;
  Status EnablePrivilege(std::string_view name) override;
  // Wine's rules: a name between two '%' is replaced when the variable exists and is
  // otherwise copied with both '%'; a '%' without a partner is copied as it is.
  std::string ExpandEnvironment(std::string_view text) override;
  std::optional<std::string> GetEnvironment(std::string_view name) override;
  std::string ModuleFileName() override;

 private:
  mutable std::mutex mutex_;
  OsVersion version_;
  std::optional<bool> wow64_ = false;
  bool admin_ = true;
  std::set<std::string> held_;  // upper-case names
  std::vector<std::string> enabled_;
  std::map<std::string, std::pair<std::string, std::string>>
      environment_;  // upper name -> name, value
  std::string module_file_name_ = "C:\\Norvik\\norvik.exe";
};

}  // namespace norvik::platform::sim
