#include "app/pages/tools_page.h"

#include "platform/text_encoding.h"

namespace norvik::app {
namespace {

// "   C:\windows " -> "C:\windows".
std::string TrimBlanks(std::string text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

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
