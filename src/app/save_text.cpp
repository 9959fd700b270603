#include "app/save_text.h"

namespace norvik::app {

std::string LogFileNameFor(std::string_view chosen) {
  std::string name(chosen);
  const auto folder_end = name.find_last_of("\\/:");
  const auto dot = name.rfind('.');
  const bool has_extension = dot != std::string::npos && (folder_end == std::string::npos || dot > folder_end);
  if (!has_extension || name.substr(dot) != ".txt") name += ".txt";
  return name;
}

void SaveTextAs(platform::Files& files, Prompts& prompts, const std::optional<std::string>& chosen,
                std::string_view text) {
  if (!chosen || chosen->empty()) return;
  const auto name = LogFileNameFor(*chosen);
  if (files.GetAttributes(name).ok() && !prompts.AskYesNo(name + std::string(kOverwriteQuestionTail))) return;
  auto file = files.Open(name, platform::FileAccess::Write, platform::file_share::kNone,
                         platform::FileDisposition::CreateAlways);
  if (!file.ok() || !file->WriteAll(text).ok() || !file->Flush().ok()) prompts.ShowError("Unable to write to " + name);
}

}  // namespace norvik::app
