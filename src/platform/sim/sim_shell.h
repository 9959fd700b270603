#pragma once
// Shell services of the simulated machine: special folders from a table, and shortcuts
// as plain files whose text is "SIMLNK:" followed by the target path.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace norvik::platform::sim {

inline constexpr std::string_view kShortcutMark = "SIMLNK:";

class SimShell final : public Shell {
 public:
  explicit SimShell(Files& files) : files_(files) {}

  void SetSpecialFolder(int csidl, std::string path);
  void RemoveSpecialFolder(int csidl);
  // The whole table, for set-up code that creates the folders.
  std::map<int, std::string> SpecialFolders() const;

  // Unknown numbers fail with kErrInvalidParameter.
  Result<std::string> SpecialFolder(int csidl) override;
  // A missing file fails as opening it does; any other content gives kErrInvalidParameter.
  Result<std::string> ResolveShortcut(std::string_view lnk_path) override;
  // Records the target; an empty one fails with kErrFileNotFound.
  Status Open(std::string_view target) override;
  std::vector<std::string> OpenedTargets() const;
  // Counts the calls; takes nothing away, so a test sees what the caller removed itself.
  // Without the function (SetRecycleBinFunction(false)) it fails with kErrProcNotFound.
  Status EmptyRecycleBins() override;
  int EmptyRecycleBinsCalls() const;
  void SetRecycleBinFunction(bool present);

  // What a started program does, by its command line: its effect happens at the start,
  // the answer is how many polls it keeps running before it ends, or the error of a
  // program that cannot be started. Without a runner nothing can be started
  // (kErrFileNotFound); the machine installs the registry editor (see sim_machine.h).
  using ProgramRunner = std::function<Result<int>(std::string_view command_line)>;
  void SetProgramRunner(ProgramRunner runner);
  Result<std::unique_ptr<Process>> StartHidden(std::string_view command_line) override;
  std::vector<std::string> StartedCommands() const;
  int TerminatedPrograms() const;

 private:
  Files& files_;
  mutable std::mutex mutex_;
  std::map<int, std::string> folders_;
  std::vector<std::string> opened_;
  int empty_recycle_bins_calls_ = 0;
  bool recycle_bin_function_ = true;
  ProgramRunner runner_;
  std::vector<std::string> started_;
  std::shared_ptr<int> terminated_ = std::make_shared<int>(0);
};

}  // namespace norvik::platform::sim
