#include "platform/sim/sim_shell.h"

namespace norvik::platform::sim {
namespace {
// A shortcut file is small; anything larger is not one of ours.
constexpr std::uint64_t kMaxShortcutBytes = 64 * 1024;
}  // namespace

void SimShell::SetSpecialFolder(int csidl, std::string path) {
  std::lock_guard lock(mutex_);
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  folders_[csidl] = std::move(path);
}

void SimShell::RemoveSpecialFolder(int csidl) {
  std::lock_guard lock(mutex_);
  folders_.erase(csidl);
}

std::map<int, std::string> SimShell::SpecialFolders() const {
  std::lock_guard lock(mutex_);
  return folders_;
}

Result<std::string> SimShell::SpecialFolder(int csidl) {
  std::lock_guard lock(mutex_);
  const auto it = folders_.find(csidl);
  if (it == folders_.end()) return Status(kErrInvalidParameter);
  return it->second;
}

Result<std::string> SimShell::ResolveShortcut(std::string_view lnk_path) {
  auto file = files_.Open(lnk_path, FileAccess::Read, file_share::kRead | file_share::kWrite,
                          FileDisposition::OpenExisting);
  if (!file) return file.status();
  auto read = file->ReadAll(kMaxShortcutBytes);
  if (!read) return read.code() == kErrFileTooLarge ? Status(kErrInvalidParameter) : read.status();
  const std::string& text = *read;
  if (!text.starts_with(kShortcutMark)) return Status(kErrInvalidParameter);
  std::string target = text.substr(kShortcutMark.size());
  while (!target.empty() && (target.back() == '\r' || target.back() == '\n')) target.pop_back();
  if (target.empty()) return Status(kErrInvalidParameter);
  return target;
}

Status SimShell::Open(std::string_view target) {
  if (target.empty()) return Status(kErrFileNotFound);
  std::lock_guard lock(mutex_);
  opened_.emplace_back(target);
  return Status();
}

std::vector<std::string> SimShell::OpenedTargets() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

Status SimShell::EmptyRecycleBins() {
  std::lock_guard lock(mutex_);
  if (!recycle_bin_function_) return Status(kErrProcNotFound);
  ++empty_recycle_bins_calls_;
  return Status();
}

int SimShell::EmptyRecycleBinsCalls() const {
  std::lock_guard lock(mutex_);
  return empty_recycle_bins_calls_;
}

void SimShell::SetRecycleBinFunction(bool present) {
  std::lock_guard lock(mutex_);
  recycle_bin_function_ = present;
}

namespace {

class SimProcess final : public Process {
 public:
  SimProcess(int polls, std::shared_ptr<int> terminated) : polls_(polls), terminated_(std::move(terminated)) {}
  bool HasEnded() override {
    if (polls_ <= 0) return true;
    --polls_;
    return false;
  }
  Status Terminate() override {
    if (polls_ > 0) ++*terminated_;
    polls_ = 0;
    return Status();
  }

 private:
  int polls_;
  std::shared_ptr<int> terminated_;  // the shell's count; only the test's thread touches it
};

}  // namespace

void SimShell::SetProgramRunner(ProgramRunner runner) {
  std::lock_guard lock(mutex_);
  runner_ = std::move(runner);
}

Result<std::unique_ptr<Process>> SimShell::StartHidden(std::string_view command_line) {
  ProgramRunner runner;
  {
    std::lock_guard lock(mutex_);
    started_.emplace_back(command_line);
    runner = runner_;
  }
  if (!runner) return Status(kErrFileNotFound);
  auto polls = runner(command_line);
  if (!polls) return polls.status();
  return std::unique_ptr<Process>(std::make_unique<SimProcess>(*polls, terminated_));
}

std::vector<std::string> SimShell::StartedCommands() const {
  std::lock_guard lock(mutex_);
  return started_;
}

int SimShell::TerminatedPrograms() const { return *terminated_; }

}  // namespace norvik::platform::sim
