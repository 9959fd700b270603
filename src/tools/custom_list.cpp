#include "tools/custom_list.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace norvik::tools {

std::string CustomListFile(std::string_view data_folder) {
  return std::string(data_folder) + std::string(kCustomListFileName);
}

bool IsRegistryRow(std::string_view row) { return platform::UpperCase(row).starts_with("HKEY_"); }

std::vector<std::string> LoadCustomList(platform::IniFiles& ini, const std::string& file) {
  std::vector<std::string> rows;
  for (const std::string& key : ini.GetKeys(file, kCustomListSection)) {
    rows.push_back(ini.GetString(file, kCustomListSection, key, "", kEntryBufferChars));
  }
  return rows;
}

platform::Status SaveCustomList(platform::IniFiles& ini, const std::string& file,
                                const std::vector<std::string>& rows) {
  const bool breaks_a_line = std::any_of(rows.begin(), rows.end(), [](const std::string& row) {
    return row.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
  });
  if (breaks_a_line) return platform::Status(platform::kErrInvalidParameter);

  const std::vector<std::string> sections = ini.GetSections(file);
  const bool present = std::any_of(sections.begin(), sections.end(), [](const std::string& name) {
    return platform::EqualsIgnoreCase(name, kCustomListSection);
  });
  if (present) {
    if (platform::Status erased = ini.DeleteSection(file, kCustomListSection); !erased) return erased;
  }
  int files = 0;
  int registry = 0;
  for (const std::string& row : rows) {
    const std::string key = IsRegistryRow(row) ? std::string(kRegistryKeyPrefix) + std::to_string(++registry)
                                               : std::string(kFileKeyPrefix) + std::to_string(++files);
    if (platform::Status written = ini.WriteString(file, kCustomListSection, key, row); !written) return written;
  }
  return platform::Status::Ok();
}

}  // namespace norvik::tools
