#include "app/pages/tools_page.h"

#include "platform/text_encoding.h"
#include "regrepair/fix_errors.h"

namespace norvik::app {
namespace {

// "   C:\windows " -> "C:\windows".
std::string TrimBlanks(std::string text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void ToolsPage::StartupClick() {
  startup_ = tools::ListStartupEntries(platform_, os_code_);
  view_.ShowStartupRows(startup_);
}

void ToolsPage::DeleteEntryClick() {
  const std::vector<bool> checks = view_.StartupChecks();
  for (std::size_t i = 0; i < startup_.size(); ++i) startup_[i].checked = i < checks.size() && checks[i];
  const std::string& folder = settings_.OutputDirectory;
  // Like Fix Errors' files, the backup goes to the backup folder, where Restore finds it.
  if (tools::AnyCheckedRegistryEntry(startup_) && !regrepair::FolderExists(platform_.files, folder)) {
    (void)regrepair::CreateFolderPath(platform_.files, folder);
  }
  regrepair::BackedUpDeletes deletes(platform_.registry, platform_.files,
                                     regrepair::MakeBackupFileName(folder, platform_.system.LocalNow()));
  const tools::StartupDeleteSummary summary = tools::DeleteCheckedEntries(startup_, platform_, deletes);
  for (const std::size_t row : summary.removed) view_.RemoveStartupRow(row);
  std::string message;
  if (summary.unwritable_backup) {
    message = "Cannot write the backup file ";
    message += *summary.unwritable_backup;
    message += ". The entries not yet deleted are left as they are.";
  }
  if (summary.not_removed > 0) {
    if (!message.empty()) message += ' ';
    message += std::to_string(summary.not_removed);
    message += summary.not_removed == 1 ? " entry could not be removed." : " entries could not be removed.";
  }
  if (!message.empty()) prompts_.ShowError(message);
}

void ToolsPage::BackupFullRegistryClick() {
  auto chosen = view_.ChooseSaveFile(kFullBackupTitle, kFullBackupFilter);
  if (!chosen) return;
  std::string file = std::move(*chosen);
  const auto dot = file.rfind('.');
  const auto slash = file.rfind('\\');
  const bool has_reg = dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
                       platform::UpperCase(file.substr(dot)) == ".REG";
  if (!has_reg) file += ".reg";
  if (platform_.files.GetAttributes(file) && !prompts_.AskYesNo(file + " has existed,overite it?")) return;
  // No key named: the editor exports everything.
  (void)dialogs::RunAndWait(platform_.shell, prompts_, view_, "Regedit /e \"" + file + "\"", kFullBackupHint);
}

void ToolsPage::WindowsBackupClick() {
  constexpr std::string_view kSystemRoot = "%SystemRoot%";
  std::string root = TrimBlanks(platform_.system.ExpandEnvironment(kSystemRoot));
  const auto attributes = platform_.files.GetAttributes(root);
  if (root.empty() || !attributes || !(*attributes & platform::file_attr::kDirectory)) root = kSystemRoot;
  // Whether the program is there is the shell's to find out.
  (void)platform_.shell.Open(root + "\\system32\\ntbackup.exe");
}

}  // namespace norvik::app
