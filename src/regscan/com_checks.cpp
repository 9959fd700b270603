#include "regscan/com_checks.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/text_encoding.h"
#include "regscan/hive_scan.h"
#include "regscan/problem_row.h"
#include "regscan/scan_task.h"
#include "regscan/subkey_loop.h"

namespace norvik::regscan {
namespace {

using platform::RegKey;
using platform::UpperCase;

constexpr std::string_view kCustomControlsProblem = "Custom Controls Issue";
constexpr std::string_view kActiveXProblem = "ActiveX Issue";
constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT\\";
constexpr int kLocalMachineSection = 5;

// Where a class's keys sit in each view, and whether its texts are a 32-bit program's.
struct View {
  std::string_view prefix;
  bool redirected;
};
constexpr View kViews[] = {{"", false}, {"Wow6432Node\\", true}};

std::string Path(const View& view, std::string_view key) { return std::string(view.prefix) + std::string(key); }

// Upper-case subkey names of HKEY_CLASSES_ROOT keys, asked "does one of you contain this?".
class NameList {
 public:
  void Add(const RegKey& classes, const std::string& path) {
    const auto key = classes.Open(path, platform::reg_access::kRead);
    if (!key) return;
    if (auto names = key->SubKeyNames()) {
      for (const std::string& name : *names) {
        if (exact_.insert(UpperCase(name)).second) all_.push_back(UpperCase(name));
      }
    }
  }
  // Nearly every answer is an exact match; containment is the rare rest.
  bool AnyContains(const std::string& upper_part) const {
    if (exact_.contains(upper_part)) return true;
    return std::ranges::any_of(all_, [&](const std::string& n) { return n.find(upper_part) != std::string::npos; });
  }

 private:
  std::unordered_set<std::string> exact_;
  std::vector<std::string> all_;
};

std::optional<std::string> StringValue(const RegKey& key, std::string_view name) {
  const auto value = key.Query(name);
  if (!value || !value->IsString()) return std::nullopt;
  return value->AsString();
}

bool LocalMachineScanned(const TScanTaskThread& scan) {
  return std::ranges::find(scan.SectionCodes, kLocalMachineSection) != scan.SectionCodes.end();
}

// Every key below CLSID, at every depth, has its default value tested; a broken one
// reports the key that holds it (such as a class's InprocServer32).
void ScanDefaultValues(TScanTaskThread& scan, const RegKey& classes, const View& view) {
  const auto start = classes.Open(Path(view, "CLSID"), platform::reg_access::kRead);
  if (!start) return;
  platform::WalkSubtree(*start, [&](const platform::WalkEntry& entry) {
    if (scan.Stopped()) return platform::WalkAction::Stop;
    const std::string path = Path(view, "CLSID") + (entry.path.empty() ? "" : "\\" + entry.path);
    scan.ShowKey(path);
    const auto text = StringValue(entry.key, "");
    if (text && scan.IsMissingFileReference(*text, "", false, view.redirected)) {
      scan.AddProblemRow(std::string(kCustomControlsProblem), *text, std::string(kClassesRoot) + path, kFixKey);
    }
    return platform::WalkAction::Continue;
  });
}

// An interface whose type library is registered nowhere.
void CheckInterfaces(TScanTaskThread& scan, const RegKey& classes, const NameList& type_libraries, const View& view) {
  const auto check = [&](const std::string&, const std::string& path, const RegKey& entry) {
    const auto interface_name = StringValue(entry, "");
    if (!interface_name) return;
    const auto type_library = entry.Open("TypeLib", platform::reg_access::kRead);
    if (!type_library) return;
    const auto library_id = StringValue(*type_library, "");
    if (!library_id || type_libraries.AnyContains(UpperCase(*library_id))) return;
    scan.AddProblemRow(std::string(kCustomControlsProblem), *interface_name + " - " + *library_id,
                       std::string(kClassesRoot) + path, kFixKey);
  };
  ForEachSubkey(scan, classes, Path(view, "Interface"), check);
}

// A class naming an application identifier that is registered nowhere. The accessibility
// proxy's classes are left alone.
void CheckAppIds(TScanTaskThread& scan, const RegKey& classes, const NameList& app_ids, const View& view) {
  const auto check = [&](const std::string& id, const std::string& path, const RegKey& entry) {
    const auto app_id = StringValue(entry, "AppID");
    if (!app_id || app_id->empty()) return;
    if (app_ids.AnyContains(UpperCase(*app_id)) || app_ids.AnyContains(UpperCase(id))) return;
    if (const auto server = entry.Open("InprocServer32", platform::reg_access::kRead)) {
      const auto file = StringValue(*server, "");
      if (!file || UpperCase(*file).find("OLEACC.DLL") != std::string::npos) return;
    }
    scan.AddProblemRow(std::string(kActiveXProblem), *app_id, std::string(kClassesRoot) + path, kFixKey);
  };
  ForEachSubkey(scan, classes, Path(view, "CLSID"), check);
}

}  // namespace

void ScanCustomControls(TScanTaskThread& scan) {
  const RegKey classes = scan.platform().registry.Root(platform::RegRoot::ClassesRoot);
  // The machine hive's scan already tests these values below Software\Classes.
  if (!LocalMachineScanned(scan)) {
    for (const View& view : kViews) ScanDefaultValues(scan, classes, view);
  }
  NameList type_libraries;
  for (const View& view : kViews) type_libraries.Add(classes, Path(view, "TypeLib"));
  for (const View& view : kViews) CheckInterfaces(scan, classes, type_libraries, view);
}

void ScanActiveX(TScanTaskThread& scan) {
  if (!LocalMachineScanned(scan)) ScanKeyTreeValues(scan, "HKEY_CLASSES_ROOT", "TypeLib", kActiveXProblem, ".dll");
  const RegKey classes = scan.platform().registry.Root(platform::RegRoot::ClassesRoot);
  NameList native_ids;
  native_ids.Add(classes, "AppID");
  // A 32-bit class may name its identifier in either view.
  NameList both_ids;
  for (const View& view : kViews) both_ids.Add(classes, Path(view, "AppID"));
  for (const View& view : kViews) CheckAppIds(scan, classes, view.redirected ? both_ids : native_ids, view);
}

}  // namespace norvik::regscan
