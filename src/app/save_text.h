#pragma once
// "Save as Text" for the pages' lists: the name the user chose, the question before a
// file is replaced, and the write.

#include <optional>
#include <string>
#include <string_view>

#include "app/prompts.h"
#include "platform/files.h"

namespace norvik::app {

inline constexpr std::string_view kOverwriteQuestionTail = " has existed,overite it?";

// The chosen name with ".txt" appended unless its extension is exactly ".txt".
std::string LogFileNameFor(std::string_view chosen);

// Writes `text` under the chosen name (nothing when the user cancelled), asking before an
// existing file is replaced; a failed write is shown as an error.
void SaveTextAs(platform::Files& files, Prompts& prompts, const std::optional<std::string>& chosen,
                std::string_view text);

}  // namespace norvik::app
