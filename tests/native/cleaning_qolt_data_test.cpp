// The shipped qolt.dat read line by line: every entry must be one the list cleaner can
// run, and none may reach a whole drive, the Windows folder, a profile folder root or a
// whole registry branch.

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cleaning/clean_item_tree.h"
#include "cleaning/list_cleaner.h"
#include "platform/text_encoding.h"

namespace norvik::cleaning {
namespace {

struct Line {
  int number;
  std::string text;
};
struct Section {
  std::string name;
  std::vector<Line> lines;
};

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream in(path);
  for (std::string part; std::getline(in, part, '\\');) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::vector<Section> ReadQolt() {
  std::ifstream in(NORVIK_QOLT_DAT, std::ios::binary);
  EXPECT_TRUE(in) << NORVIK_QOLT_DAT;
  std::vector<Section> sections;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty()) continue;
    if (text.front() == '[') {
      EXPECT_EQ(text.back(), ']') << "line " << number;
      sections.push_back({text.substr(1, text.size() - 2), {}});
    } else {
      EXPECT_FALSE(sections.empty()) << "line " << number << " before any section";
      if (!sections.empty()) sections.back().lines.push_back({number, text});
    }
  }
  return sections;
}

// Why a registry entry is unfit, or empty.
std::string RegistryProblem(const std::string& value) {
  const RegistryEntry entry = ParseRegistryEntry(value);
  if (!entry.root) return "unknown root";
  const std::vector<std::string> parts = Parts(entry.key_path);
  if (parts.empty()) return "a whole root";
  const bool whole_key = !entry.value_name || entry.value_name->empty();
  // Software\Vendor holds all of a program's settings; only a list below it may go whole.
  if (whole_key && parts.size() < 3) return "a whole program's or all programs' settings";
  return {};
}

std::string FileProblem(const std::string& value) {
  static const std::set<std::string> tokens = {"%ProgramFiles%", "%windir%", "{Local AppData}",
                                               "{Current AppData}", "{Common AppData}", "{C: Drive}"};
  const FileEntry entry = ParseFileEntry(value);
  const bool drive = entry.token.size() == 2 && std::isalpha(static_cast<unsigned char>(entry.token[0])) &&
                     entry.token[1] == ':';
  if (!drive && !tokens.count(entry.token)) return "unknown token";
  if (entry.mask && entry.mask->empty()) return "empty mask";
  const std::vector<std::string> parts = Parts(entry.path);
  for (const auto& part : parts) {
    if (part == "." || part == ".." || part.find(':') != std::string::npos) return "leaves its folder";
  }
  const bool file_mask = entry.mask && *entry.mask != "*.*";
  if (parts.empty() && !(entry.token == "%windir%" && file_mask)) return "the token's whole folder";
  if (drive || entry.token == "{C: Drive}") {
    static const std::set<std::string> system_roots = {"WINDOWS", "USERS", "DOCUMENTS AND SETTINGS",
                                                       "PROGRAM FILES", "PROGRAM FILES (X86)", "PROGRAMDATA"};
    if (system_roots.count(platform::UpperCase(parts.front()))) return "a system folder by drive path";
  }
  for (const auto& part : parts) {
    const std::string upper = platform::UpperCase(part);
    if (upper == "DOCUMENTS" || upper == "MY DOCUMENTS") return "a Documents folder";
  }
  return {};
}

TEST(QoltDataTest, EverySectionHoldsRunnableEntries) {
  const std::vector<Section> sections = ReadQolt();
  std::set<std::string> names;
  for (const Section& s : sections) {
    EXPECT_TRUE(names.insert(platform::UpperCase(s.name)).second) << "section twice: " << s.name;
    EXPECT_FALSE(s.lines.empty()) << "empty section: " << s.name;
    EXPECT_EQ(SectionForRunName("Applications - " + s.name), s.name);
    std::set<std::string> keys;
    for (const Line& line : s.lines) {
      const auto where = ::testing::Message() << "line " << line.number << " [" << s.name << "] " << line.text;
      for (unsigned char c : line.text) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << where;
      const std::size_t eq = line.text.find('=');
      ASSERT_NE(eq, std::string::npos) << where;
      const std::string key = line.text.substr(0, eq);
      const std::string value = line.text.substr(eq + 1);
      EXPECT_TRUE(keys.insert(platform::UpperCase(key)).second) << where << ": the INI functions read only the first of two";
      EXPECT_FALSE(value.empty()) << where;
      const bool registry = line.text.find("DelRegValue") != std::string::npos;
      const bool file = line.text.find("DelFile") != std::string::npos;
      EXPECT_NE(registry, file) << where << ": one kind of entry per line";
      if (registry) {
        EXPECT_EQ(RegistryProblem(value), "") << where;
      }
      if (file) {
        EXPECT_EQ(FileProblem(value), "") << where;
      }
    }
  }
  // Every item of the catalogue that reads qolt.dat finds its section.
  const CleanItemTree catalogue;
  std::size_t builtin = 0;
  for (const core::NodeId id : catalogue.tree().WalkOrder()) {
    if (!catalogue.tree().node(id).parent || SourceOfItem(catalogue.Name(id)) != ItemSource::QoltList) continue;
    ++builtin;
    EXPECT_TRUE(names.count(platform::UpperCase(SectionForRunName(catalogue.Name(id))))) << catalogue.Name(id);
  }
  EXPECT_EQ(builtin, 6u);
  EXPECT_GE(names.size(), builtin + 25) << "applications beside the built-in items";
}

}  // namespace
}  // namespace norvik::cleaning
