#pragma once
// INI files on the simulated drives, read and written with the rules of the
// private-profile functions as Wine implements them (see ini_text.h for the file form):
//  - a missing or unreadable file, section or key, or a line without '=', gives the
//    default, whose trailing blanks are dropped;
//  - names are compared ignoring letter case and outer blanks; the first matching
//    section and the first matching line win;
//  - a value in matching single or double quotes loses them;
//  - key lists skip lines without '=' and comment lines (';'); comment lines can still
//    be read by their full text;
//  - every write rewrites the whole file; a write that changes nothing writes nothing.

#include "platform/files.h"
#include "platform/system.h"

namespace norvik::platform::sim {

class SimIniFiles final : public IniFiles {
 public:
  // Files are read and written through `files`, so sharing and read-only rules apply.
  explicit SimIniFiles(Files& files) : files_(files) {}

  std::string GetString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t buffer_chars = 2048) override;
  std::vector<std::string> GetKeys(const std::string& file, std::string_view section) override;
  std::vector<std::string> GetSections(const std::string& file) override;
  Status WriteString(const std::string& file, std::string_view section, std::string_view key,
                     std::string_view value) override;
  Status DeleteKey(const std::string& file, std::string_view section,
                   std::string_view key) override;
  Status DeleteSection(const std::string& file, std::string_view section) override;
  Status WriteStrings(const std::string& file, std::span<const IniEntry> entries) override;
  IniReader ReadWhole(const std::string& file) override;

 private:
  Files& files_;
};

}  // namespace norvik::platform::sim
