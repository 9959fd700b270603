#include "regscan/list_checks.h"

#include "platform/text_encoding.h"
#include "regscan/scan_task.h"

namespace norvik::regscan {

std::vector<KeyView> SoftwareViews(std::string_view software_path) {
  constexpr std::string_view kSoftware = "Software\\";
  std::vector<KeyView> views{{std::string(software_path), false}};
  if (software_path.size() > kSoftware.size() &&
      platform::EqualsIgnoreCase(software_path.substr(0, kSoftware.size()), kSoftware)) {
    views.push_back({std::string(software_path.substr(0, kSoftware.size())) + "Wow6432Node\\" +
                         std::string(software_path.substr(kSoftware.size())),
                     true});
  }
  return views;
}

std::string JoinPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  return std::string(a) + "\\" + std::string(b);
}

bool ContainsIgnoreCase(std::string_view text, std::string_view part) {
  return platform::UpperCase(text).find(platform::UpperCase(part)) != std::string::npos;
}

platform::RegKey OpenForScan(TScanTaskThread& scan, platform::RegRoot root, std::string_view path) {
  auto key = scan.platform().registry.Root(root).Open(path, platform::reg_access::kRead);
  return key ? std::move(*key) : platform::RegKey();
}

void ForEachStringValue(const TScanTaskThread& scan, const platform::RegKey& key,
                        const std::function<void(const std::string&, const std::string&)>& visit) {
  if (!key) return;
  for (const std::string& name : key.ValueNames().value_or(std::vector<std::string>{})) {
    if (scan.Stopped()) return;
    const auto value = key.Query(name);
    if (value && value->IsString()) visit(name, value->AsString());
  }
}

bool ForEachFolderEntry(TScanTaskThread& scan, const std::string& folder,
                        const std::function<void(const platform::FindData&)>& visit) {
  auto found = scan.platform().files.FindFirst(folder + "\\*");
  if (!found) return found.code() == platform::kErrFileNotFound || found.code() == platform::kErrPathNotFound;
  for (auto entry = platform::Result<platform::FindData>(std::move(found->first)); entry.ok();
       entry = found->rest.Next()) {
    if (scan.Stopped()) break;
    if (!entry->is_dot()) visit(*entry);
  }
  return true;
}

void AddValueRow(TScanTaskThread& scan, std::string_view problem, const std::string& key_text,
                 const std::string& value_name, const std::string& data) {
  if (value_name.find('\\') != std::string::npos) {
    scan.AddProblemRow(std::string(problem), value_name, key_text, kFixNamedValue);
  } else {
    scan.AddProblemRow(std::string(problem), data, JoinPath(key_text, value_name), kFixValuePath);
  }
}

}  // namespace norvik::regscan
