#include "cleaners/office_messenger_cleaners.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cleaning/deletion_primitives.h"
#include "platform/text_encoding.h"

namespace norvik::cleaners {
namespace {

using cleaning::RunContext;

// Office keeps each major version's settings under this key + "<n>.0".
constexpr std::string_view kOfficeKey = "Software\\Microsoft\\Office\\";
constexpr int kFirstOfficeVersion = 8;
constexpr int kLastOfficeVersion = 12;
// Below the AppData folder: the shortcuts to the documents Office opened.
constexpr std::string_view kOfficeRecentFolder = "Microsoft\\Office\\Recent";
constexpr std::string_view kFrontPageListKeys[] = {
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List",
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List",
    "Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Web List",
};

constexpr std::string_view kMsnPassportKey = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings";
constexpr std::string_view kMsnLogPathValue = "MessageLogPath";
constexpr std::string_view kMsnReceivedFolder = "My Received Files\\";
constexpr std::string_view kYahooFolder = "Yahoo!\\Messenger";
constexpr std::string_view kSkypeFolder = "Skype";

// The version key of Office n, e.g. ...\Office\11.0.
std::string OfficeVersionKey(int version) { return std::string(kOfficeKey) + std::to_string(version) + ".0"; }

// What one Office item deletes below each version key, returning the entries it found.
using VersionStep = std::function<std::uint32_t(RunContext&, const std::string& version_key)>;

VersionStep KeysBelowVersion(std::vector<std::string> subkeys) {
  return [subkeys = std::move(subkeys)](RunContext& worker, const std::string& version_key) {
    std::uint32_t count = 0;
    for (const std::string& subkey : subkeys) count += cleaning::DeleteUserRegKey(worker, version_key + "\\" + subkey);
    return count;
  };
}

// AppData with its trailing backslash, or empty when it is unknown or missing.
std::string ExistingAppData(RunContext& worker) {
  const std::string app_data = cleaning::AppDataFolder(worker.platform());
  const bool usable = cleaning::IsAbsoluteFolder(app_data) && cleaning::FolderExists(worker.platform().files, app_data);
  return usable ? app_data : std::string();
}

// An Office item: its masks in the recent folder first, then its registry steps, once
// for each version and once more for the keys that have no version.
cleaning::Cleaner OfficeItem(std::initializer_list<std::string_view> masks, VersionStep per_version,
                             std::initializer_list<std::string_view> plain_keys = {}) {
  return [masks = std::vector<std::string_view>(masks), per_version = std::move(per_version),
          plain_keys = std::vector<std::string_view>(plain_keys)](RunContext& worker) {
    const std::string app_data = ExistingAppData(worker);
    if (app_data.empty()) return;
    const std::string recent = app_data + std::string(kOfficeRecentFolder);
    std::int64_t bytes = 0;
    for (const std::string_view mask : masks) {
      bytes += cleaning::DeleteFilesByMask(worker, recent, mask, worker.ItemCount, false);
    }
    worker.SetItemSize(bytes);
    if (per_version) {
      for (int version = kFirstOfficeVersion; version <= kLastOfficeVersion; ++version) {
        worker.ItemCount += per_version(worker, OfficeVersionKey(version));
      }
    }
    for (const std::string_view key : plain_keys) worker.ItemCount += cleaning::DeleteUserRegKey(worker, key);
  };
}

// The first log folder named under a passport's settings that exists; empty when none.
std::string MsnLogFolder(RunContext& worker) {
  const auto passports =
      worker.platform().registry.Root(platform::RegRoot::CurrentUser).Open(kMsnPassportKey, platform::reg_access::kRead);
  if (!passports) return {};
  const auto names = passports->SubKeyNames();
  if (!names) return {};
  for (const std::string& name : *names) {
    const auto passport = passports->Open(name, platform::reg_access::kRead);
    if (!passport) continue;
    const auto value = passport->Query(kMsnLogPathValue);
    if (!value || !value->IsString()) continue;
    std::string folder = value->AsString();
    if (value->type == platform::RegType::ExpandSz) folder = worker.platform().system.ExpandEnvironment(folder);
    // The value is another program's data: only a full path can be a folder we empty.
    if (cleaning::IsAbsoluteFolder(folder) && cleaning::FolderExists(worker.platform().files, folder)) return folder;
  }
  return {};
}

void MsnMessenger(RunContext& worker) {
  platform::Files& files = worker.platform().files;
  std::string log_folder = MsnLogFolder(worker);
  const std::string documents = cleaning::MyDocumentsFolder(worker.platform());
  std::string received = documents.empty() ? std::string() : documents + std::string(kMsnReceivedFolder);
  if (!log_folder.empty()) {
    log_folder = cleaning::WithBackslash(std::move(log_folder));
    // One folder by two names is still emptied once (a Test would count it twice).
    if (platform::UpperCase(log_folder) == platform::UpperCase(received)) received.clear();
  }
  std::int64_t bytes = 0;
  if (!log_folder.empty()) bytes += cleaning::DeleteFolderContents(worker, log_folder, false, true, "", worker.ItemCount);
  if (!received.empty() && cleaning::FolderExists(files, received)) {
    bytes += cleaning::DeleteFolderContents(worker, received, false, true, "", worker.ItemCount);
  }
  worker.SetItemSize(bytes);
}

void YahooMessenger(RunContext& worker) {
  const std::string program_files = cleaning::ProgramFilesFolder(worker.platform());
  if (!cleaning::IsAbsoluteFolder(program_files)) return;
  const std::string base = cleaning::WithBackslash(program_files) + std::string(kYahooFolder);
  std::int64_t bytes = cleaning::DeleteFilesByMask(worker, base, "ypager.log", worker.ItemCount, false);
  for (const char* folder : {"\\IMVCache", "\\Profiles"}) {
    bytes += cleaning::DeleteFolderContents(worker, base + folder, false, true, "", worker.ItemCount);
  }
  worker.SetItemSize(bytes);
}

void Skype(RunContext& worker) {
  const std::string app_data = ExistingAppData(worker);
  if (app_data.empty()) return;
  worker.SetItemSize(
      cleaning::DeleteFilesByMask(worker, app_data + std::string(kSkypeFolder), "*.dbb", worker.ItemCount, true));
}

}  // namespace

void RegisterOfficeMessengerCleaners(cleaning::CleanerTable& table) {
  const std::string power_point(kPowerPointAppKey);
  table.Register("Microsoft Office - Access", OfficeItem({"*.mdb"}, KeysBelowVersion({"Access\\Settings"})));
  table.Register("Microsoft Office - Excel", OfficeItem({"*.xls"}, KeysBelowVersion({"Excel"})));
  table.Register("Microsoft Office - FrontPage",
                 OfficeItem({"*.htm", "*.html"}, nullptr,
                            {kFrontPageListKeys[0], kFrontPageListKeys[1], kFrontPageListKeys[2]}));
  table.Register("Microsoft Office - Powerpoint",
                 OfficeItem({"*.ppt"}, KeysBelowVersion({power_point + "\\Recent File List",
                                                         power_point + "\\Recent Folder List"})));
  table.Register("Microsoft Office - Word",
                 OfficeItem({"*.doc"}, [](RunContext& worker, const std::string& version_key) {
                   return cleaning::DeleteUserRegValue(worker, version_key + "\\Word\\Data", "Settings");
                 }));
  table.Register("Microsoft Office - Recent Files", OfficeItem({"*.*"}, nullptr));
  table.Register("Instant Messengers - MSN Messenger", MsnMessenger);
  table.Register("Instant Messengers - Yahoo! Messenger", YahooMessenger);
  table.Register("Instant Messengers - Skype", Skype);
}

}  // namespace norvik::cleaners
