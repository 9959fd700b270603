#include "regscan/result_actions.h"

#include <algorithm>
#include <utility>

#include "core/registry_access.h"
#include "platform/text_encoding.h"

namespace norvik::regscan {
namespace {

using platform::UpperCase;

constexpr std::pair<std::string_view, std::string_view> kShortRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCU", "HKEY_CURRENT_USER"}, {"HKU", "HKEY_USERS"},
    {"HKCR", "HKEY_CLASSES_ROOT"},  {"HKCC", "HKEY_CURRENT_CONFIG"},
};

std::string RowKeyPath(const ProblemRow& row) {
  switch (row.fix_kind) {
    case kFixKey:
    case kFixNamedValue:
    case kFixDefaultValue:
    case kFixRot13Value: return row.registry_key;
    case kFixValuePath: {
      const auto last = row.registry_key.rfind('\\');
      return last == std::string::npos ? std::string() : row.registry_key.substr(0, last);
    }
    case kFixSubKey: return row.registry_key + "\\" + row.data;
    default: return {};
  }
}

std::optional<platform::RegKey> OpenKey(platform::Registry& registry, std::string_view root, std::string_view key) {
  const auto predefined = core::RootFromName(UpperCase(root));
  if (!predefined) return std::nullopt;
  auto opened = registry.Root(*predefined).Open(key, platform::reg_access::kRead);
  if (!opened) return std::nullopt;
  return std::move(opened).value();
}

}  // namespace

std::string ProblemCountsText(std::size_t rows, std::size_t ticked) {
  std::string text = " ";
  text += std::to_string(rows);
  text += " Errors Found,  ";
  text += std::to_string(ticked);
  text += " Errors Selected.";
  return text;
}

std::size_t TickedCount(const ProblemRows& rows) {
  return static_cast<std::size_t>(std::ranges::count_if(rows, [](const ProblemRow& r) { return r.ticked; }));
}

std::string ResultsText(const ProblemRows& rows) {
  std::string text;
  for (const auto& row : rows) text += row.problem + "  ^^^  " + row.data + "  ^^^  " + row.registry_key + "\r\n";
  return text;
}

RegeditTarget RegeditTargetFor(const ProblemRow& row, platform::Registry& registry) {
  using Outcome = RegeditTarget::Outcome;
  const std::string path = RowKeyPath(row);
  if (UpperCase(path).find("HK") == std::string::npos) return {Outcome::NotFound, {}, {}, {}};
  const auto slash = path.find('\\');
  if (slash == std::string::npos) return {Outcome::Nothing, {}, {}, {}};
  RegeditTarget target{Outcome::Open, path.substr(0, slash), path.substr(slash + 1), ""};
  for (const auto& [short_name, full] : kShortRoots) {
    if (UpperCase(target.root) == short_name) target.root = full;
  }
  if (OpenKey(registry, target.root, target.key)) return target;

  // The last part may be a value of the key above it.
  const auto last = target.key.rfind('\\');
  target.value = last == std::string::npos ? target.key : target.key.substr(last + 1);
  const auto first_use = target.key.find(target.value);
  target.key = first_use == 0 || first_use == std::string::npos ? std::string() : target.key.substr(0, first_use - 1);
  const auto parent = OpenKey(registry, target.root, target.key);
  if (!parent || !parent->HasValue(target.value)) return {Outcome::NotFound, {}, {}, {}};
  return target;
}

}  // namespace norvik::regscan
