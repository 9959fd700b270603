// Files and drives: the same checks against the simulated Windows and the real API.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"

namespace norvik::conformance {
namespace {

using namespace platform;
using namespace std::string_literals;
using Listing = std::set<std::string>;
namespace attr = platform::file_attr;
namespace share = platform::file_share;

constexpr std::uint32_t kErrNegativeSeek = 131;
constexpr std::uint32_t kErrDirectory = 267;

class FilesConformance : public ::testing::Test {
 protected:
  platform::Files& files() { return env_->platform().files; }
  std::string In(std::string_view name) const { return dir_ + "\\" + std::string(name); }

  void Make(std::string_view name, std::string_view contents = "x") {
    auto file = files().Open(In(name), FileAccess::Write, share::kNone, FileDisposition::CreateAlways);
    ASSERT_TRUE(file) << name << " error " << file.code();
    ASSERT_TRUE(file->WriteAll(contents));
  }
  void MakeDir(std::string_view name) { ASSERT_TRUE(files().CreateDirectory(In(name))) << name; }
  // Files with "x" in them, and folders where the name ends in a backslash.
  void Plant(std::initializer_list<std::string_view> names) {
    for (const auto name : names) name.ends_with('\\') ? MakeDir(name.substr(0, name.size() - 1)) : Make(name);
  }
  Status OpenAs(std::string_view name, FileAccess access, std::uint32_t sharing,
                FileDisposition disposition = FileDisposition::OpenExisting) {
    return files().Open(In(name), access, sharing, disposition).status();
  }

  // The names a search lists, upper-cased so that letter case and order do not matter;
  // a failed search lists "<error N>".
  Listing Find(const std::string& pattern) {
    auto start = files().FindFirst(pattern);
    if (!start) return {"<error " + std::to_string(start.code()) + ">"};
    Listing names{platform::UpperCase(start->first.name)};
    for (auto next = start->rest.Next(); next; next = start->rest.Next()) names.insert(platform::UpperCase(next->name));
    return names;
  }

  std::unique_ptr<ConformanceEnv> env_ = MakeConformanceEnv();
  std::string dir_ = env_->ScratchFolder();
};

TEST_F(FilesConformance, FindFirstMatchesPatternsAsWindowsDoesAndReportsEntries) {
  Plant({"B.TXT", "noext", "File1.chk", "file22.CHK", "Long File Name.text", "sub\\"});
  Make("a.txt", "12345");
  const Listing all = {".", "..", "A.TXT", "B.TXT", "NOEXT", "FILE1.CHK", "FILE22.CHK",
                       "LONG FILE NAME.TEXT", "SUB"};
  const std::vector<std::pair<const char*, Listing>> cases = {
      {"*.txt", {"A.TXT", "B.TXT"}}, {"File*.chk", {"FILE1.CHK", "FILE22.CHK"}}, {"?.txt", {"A.TXT", "B.TXT"}},
      {"*.*", all}, {"*", all}, {"A.TXT", {"A.TXT"}}, {"long file name.TEXT", {"LONG FILE NAME.TEXT"}},
      {"noext.*", {"NOEXT"}}, {"sub", {"SUB"}}, {"*.none", {"<error 2>"}}, {"nothing", {"<error 2>"}},
      {"nothing\\", {"<error 2>"}}, {"a.txt\\", {"<error 2>"}}, {"missing\\*", {"<error 3>"}},
  };
  for (const auto& [pattern, expected] : cases) EXPECT_EQ(Find(In(pattern)), expected) << pattern;

  auto start = files().FindFirst(In("A.TXT"));
  ASSERT_TRUE(start);
  // The stored case, not the asked one, the size, a time, and no second entry.
  EXPECT_EQ(std::tuple(start->first.name, start->first.size, start->first.is_directory(),
                       start->first.last_write_time != 0, start->rest.Next().code()),
            std::tuple("a.txt"s, 5u, false, true, kErrNoMoreFiles));

  // Sub-folders list "." and ".." as folders; drive roots do not.
  auto dot = files().FindFirst(In("sub\\*"));
  EXPECT_TRUE(dot && dot->first.is_dot() && dot->first.is_directory());
  EXPECT_EQ(Find(In("sub\\*")), (Listing{".", ".."}));
  const Listing root = Find("C:\\*");
  EXPECT_EQ(std::tuple(root.count("."), root.count(".."), root.count("NORVIKCONFORMANCE")), std::tuple(0u, 0u, 1u));
}

TEST_F(FilesConformance, Attributes) {
  Plant({"plain.txt", "folder\\"});
  const std::uint32_t flags = attr::kReadOnly | attr::kHidden | attr::kSystem;
  // A new file: archive (or normal), nothing else.
  const std::uint32_t plain = files().GetAttributes(In("PLAIN.TXT")).value_or(attr::kDirectory);
  EXPECT_TRUE((plain & (flags | attr::kDirectory)) == 0 && (plain & (attr::kArchive | attr::kNormal)) != 0) << plain;

  ASSERT_TRUE(files().SetAttributes(In("plain.txt"), attr::kReadOnly | attr::kHidden));
  EXPECT_EQ(files().GetAttributes(In("plain.txt")).value_or(0) & flags, attr::kReadOnly | attr::kHidden);
  EXPECT_EQ(files().DeleteFile(In("plain.txt")).code(), kErrAccessDenied);
  ASSERT_TRUE(files().SetAttributes(In("plain.txt"), attr::kNormal));
  EXPECT_EQ(files().GetAttributes(In("plain.txt")).value_or(0) & flags, 0u);

  EXPECT_NE(files().GetAttributes(In("folder\\")).value_or(0) & attr::kDirectory, 0u);
  EXPECT_EQ(std::tuple(files().GetAttributes(In("missing.txt")).code(), files().GetAttributes(In("plain.txt\\x")).code(),
                       files().SetAttributes(In("missing.txt"), attr::kHidden).code()),
            std::tuple(kErrFileNotFound, kErrPathNotFound, kErrFileNotFound));
}

TEST_F(FilesConformance, ReadWriteSeekAndSize) {
  auto file = files().Open(In("seek.bin"), FileAccess::ReadWrite, share::kNone, FileDisposition::CreateNew);
  ASSERT_TRUE(file && file->WriteAll("0123456789"));
  char buffer[8] = {};
  // In turn: positions and counts, or the error; INT64_MAX wraps the sum; past the end a read gives nothing.
  const std::vector<std::uint64_t> answers = {
      file->Seek(3).value_or(0), file->Read(buffer, 4).value_or(0), file->Seek(-2, SeekFrom::End).value_or(0),
      file->Seek(1, SeekFrom::Current).value_or(0), file->Seek(-20, SeekFrom::Current).code(),
      file->Seek(INT64_MAX, SeekFrom::Current).code(), file->Seek(100).value_or(0), file->Read(buffer, 4).value_or(99)};
  EXPECT_EQ(answers, (std::vector<std::uint64_t>{3, 4, 8, 9, kErrNegativeSeek, kErrNegativeSeek, 100, 0}));
  EXPECT_EQ(std::string(buffer, 4), "3456");
  ASSERT_TRUE(file->Seek(5) && file->SetEnd());
  EXPECT_EQ(std::tuple(file->Size().value_or(0), file->LinkCount().value_or(0)), std::tuple(5u, 1u));
  file->Close();
  auto reader = files().Open(In("seek.bin"), FileAccess::Read, share::kAll, FileDisposition::OpenExisting);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->LinkCount().value_or(0), 1u);
  auto writer = files().Open(In("seek.bin"), FileAccess::Write, share::kAll, FileDisposition::TruncateExisting);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->Size().value_or(1), 0u);
  EXPECT_EQ(std::tuple(reader->Write("x", 1).code(), writer->Read(buffer, 1).code()),
            std::tuple(kErrAccessDenied, kErrAccessDenied));
}

TEST_F(FilesConformance, OpenFailureCodes) {
  Plant({"exists.txt", "folder\\"});
  using enum FileDisposition;
  const std::tuple<const char*, FileDisposition, std::uint32_t> cases[] = {
      {"exists.txt", CreateNew, kErrFileExists}, {"EXISTS.TXT", OpenAlways, kOk},
      {"missing.txt", OpenExisting, kErrFileNotFound}, {"missing.txt", TruncateExisting, kErrFileNotFound},
      {"missing\\x.txt", OpenExisting, kErrPathNotFound}, {"missing\\x.txt", CreateAlways, kErrPathNotFound},
      {"folder", OpenExisting, kErrAccessDenied}, {"bad<name", CreateAlways, kErrInvalidName},
      {"bad*name", CreateAlways, kErrInvalidName},
  };
  for (const auto& [name, disposition, error] : cases) {
    EXPECT_EQ(OpenAs(name, FileAccess::Read, share::kRead, disposition).code(), error) << name;
  }
}

TEST_F(FilesConformance, SharingRules) {
  Make("held.txt", "abc");
  {
    auto exclusive = files().Open(In("held.txt"), FileAccess::ReadWrite, share::kNone, FileDisposition::OpenExisting);
    ASSERT_TRUE(exclusive);
    EXPECT_EQ((std::vector{OpenAs("HELD.TXT", FileAccess::Read, share::kAll).code(),
                           files().DeleteFile(In("held.txt")).code(),
                           files().MoveFile(In("held.txt"), In("moved.txt")).code(),
                           files().ShellDelete(In("held.txt")).code()}),
              std::vector<std::uint32_t>(4, kErrSharingViolation));
    EXPECT_EQ(files().FindFirst(In("held.txt"))->first.size, 3u);  // still listed with its size
  }
  {
    auto reader = files().Open(In("held.txt"), FileAccess::Read, share::kRead, FileDisposition::OpenExisting);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(OpenAs("held.txt", FileAccess::Read, share::kRead));
    EXPECT_EQ(std::tuple(OpenAs("held.txt", FileAccess::ReadWrite, share::kNone).code(),
                         OpenAs("held.txt", FileAccess::Write, share::kAll).code()),
              std::tuple(kErrSharingViolation, kErrSharingViolation));
  }
  EXPECT_TRUE(OpenAs("held.txt", FileAccess::ReadWrite, share::kNone) && files().DeleteFile(In("held.txt")));
}

TEST_F(FilesConformance, DeleteRemoveCreateMoveCodes) {
  Plant({"file.txt", "full\\", "full\\inner.txt", "empty\\"});
  const std::vector<std::uint32_t> codes = {
      files().DeleteFile(In("missing.txt")).code(),      files().DeleteFile(In("full")).code(),
      files().RemoveDirectory(In("full")).code(),        files().RemoveDirectory(In("file.txt")).code(),
      files().CreateDirectory(In("file.txt")).code(),    files().CreateDirectory(In("missing\\x")).code(),
      files().MoveFile(In("missing.txt"), In("y.txt")).code(),
      files().MoveFile(In("file.txt"), In("full\\inner.txt")).code()};
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{kErrFileNotFound, kErrAccessDenied, kErrDirNotEmpty, kErrDirectory,
                                               kErrAlreadyExists, kErrPathNotFound, kErrFileNotFound, kErrAlreadyExists}));

  EXPECT_TRUE(files().MoveFile(In("file.txt"), In("empty\\moved.txt")));
  EXPECT_EQ(Find(In("empty\\*")), (Listing{".", "..", "MOVED.TXT"}));
  EXPECT_TRUE(files().DeleteFile(In("EMPTY\\moved.txt")));
  EXPECT_TRUE(files().RemoveDirectory(In("empty")));
  EXPECT_TRUE(files().DeleteOnReboot(In("full\\inner.txt")));
  EXPECT_TRUE(files().GetAttributes(In("full\\inner.txt")));  // only recorded for the restart
}

TEST_F(FilesConformance, ShellDeleteRemovesWholeTrees) {
  Plant({"tree\\", "tree\\deeper\\", "tree\\a.txt", "tree\\deeper\\b.txt", "single.txt"});
  ASSERT_TRUE(files().SetAttributes(In("tree\\deeper\\b.txt"), attr::kReadOnly));
  EXPECT_EQ(files().ShellDelete(In("tree\\*.txt")).code(), kErrInvalidName);  // never a pattern
  for (const std::string& root : {"C:\\."s, "c:\\windows\\.."s, In("tree\\..\\..\\..")}) {
    EXPECT_EQ(files().ShellDelete(root).code(), kErrAccessDenied) << root;
  }
  for (const char* root : {"C:", "C:\\", "\\", "\\\\server\\share\\"}) EXPECT_FALSE(files().ShellDelete(root)) << root;
  EXPECT_EQ(files().ShellDelete("").code(), kErrPathNotFound);
  // Cut short at the NUL, these would name the tree and the file.
  EXPECT_EQ(files().ShellDelete(In("tree") + std::string("\0x", 2)).code(), kErrInvalidName);
  EXPECT_EQ(files().DeleteFile(In("single.txt") + std::string("\0.bak", 5)).code(), kErrInvalidName);
  EXPECT_TRUE(files().GetAttributes(In("tree\\a.txt")));
  EXPECT_TRUE(files().ShellDelete(In("tree")) && files().ShellDelete(In("SINGLE.TXT")));
  EXPECT_EQ(Find(In("*")), (Listing{".", ".."}));
  EXPECT_EQ(std::tuple(files().ShellDelete(In("tree")).code(), files().ShellDelete(In("missing\\x")).code()),
            std::tuple(kErrFileNotFound, kErrPathNotFound));
}

// A folder walk's delete works from the walk's own listing: what changed since then is
// refused or reported, never deleted in the listed file's stead.
TEST_F(FilesConformance, DeleteListedFileTakesOnlyTheListedFile) {
  Plant({"plain.txt", "held.txt", "read-only.txt", "sub\\"});
  ASSERT_TRUE(files().SetAttributes(In("read-only.txt"), attr::kReadOnly));
  const std::string folder = dir_ + "\\";
  const auto listed = [&](std::string_view name) {
    auto start = files().FindFirst(In(name));
    return start ? start->first : FindData{};
  };
  auto held = files().Open(In("held.txt"), FileAccess::Read, share::kRead, FileDisposition::OpenExisting);
  ASSERT_TRUE(held);
  const FindData plain = listed("plain.txt");
  EXPECT_FALSE(files().IsListedLink(folder, plain));
  EXPECT_EQ(files().DeleteListedFile(folder, listed("held.txt")).code(), kErrSharingViolation);
  EXPECT_EQ(files().DeleteListedFile(folder, listed("sub")).code(), kErrAccessDenied);
  FindData now_a_folder = plain;
  now_a_folder.name = "sub";
  EXPECT_EQ(files().DeleteListedFile(folder, now_a_folder).code(), kErrAccessDenied);
  EXPECT_TRUE(files().DeleteListedFile(folder, plain));
  EXPECT_TRUE(files().DeleteListedFile(folder, listed("read-only.txt")));
  EXPECT_EQ(files().DeleteListedFile(folder, plain).code(), kErrFileNotFound);
  EXPECT_EQ(Find(In("*")), (Listing{".", "..", "HELD.TXT", "SUB"}));
}

TEST_F(FilesConformance, ShortAndFullPathNames) {
  Plant({"SHORT.TXT", "Long File Name.text"});
  auto folder = files().GetShortPathName(dir_);
  ASSERT_TRUE(folder) << folder.code();
  EXPECT_EQ(files().GetShortPathName(In("SHORT.TXT")).value_or(""), *folder + "\\SHORT.TXT");
  EXPECT_EQ(files().GetShortPathName(In("missing.txt")).code(), kErrFileNotFound);

  // An upper-case 8.3 alias with '~' that reaches the same file and that a search reports.
  const std::string long_short = files().GetShortPathName(In("Long File Name.text")).value_or("");
  ASSERT_TRUE(long_short.starts_with(*folder + "\\")) << long_short;
  const std::string name = long_short.substr(folder->size() + 1);
  EXPECT_TRUE(name.find('~') != std::string::npos && name.find('.') <= 8 && name.ends_with(".TEX") &&
              name.find(' ') == std::string::npos && platform::UpperCase(name) == name) << name;
  EXPECT_TRUE(files().GetAttributes(long_short) && files().FindFirst(In("Long File Name.text"))->first.short_name == name);

  const std::pair<const char*, const char*> cases[] = {
      {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"}, {"C:/a/b", "C:\\a\\b"}, {"C:\\a\\..\\..\\..\\b", "C:\\b"},
      {"C:\\a\\b\\", "C:\\a\\b\\"},       {"c:\\x", "c:\\x"},     {"C:\\a\\\\b", "C:\\a\\b"},
      {"C:\\a\\b.", "C:\\a\\b"},          {"C:\\a\\..", "C:\\"},  {"C:\\a\\.", "C:\\a"},
  };
  for (const auto& [path, full] : cases) EXPECT_EQ(files().GetFullPathName(path).value_or("<failed>"), full) << path;
}

TEST_F(FilesConformance, DrivesAndSystemFolders) {
  const std::uint32_t drives = files().LogicalDrives();
  EXPECT_TRUE((drives & (1u << 2)) && files().GetDriveType("c:\\") == DriveType::Fixed && files().IsVolumeReady("C:\\"));
  auto device = files().QueryDosDevice("C:");
  ASSERT_TRUE(device && !device->empty());
  EXPECT_TRUE(device->front().starts_with("\\Device\\")) << device->front();

  char unused = 0;  // a letter no drive uses: no volume, no "insert a disk" box
  for (char letter = 'Y'; letter > 'C' && !unused; --letter) if (!(drives & (1u << (letter - 'A')))) unused = letter;
  ASSERT_NE(unused, 0);
  const std::string root = std::string(1, unused) + ":\\";
  EXPECT_EQ(files().GetDriveType(root), DriveType::NoRootDir);
  EXPECT_FALSE(files().IsVolumeReady(root) || files().QueryDosDevice(root.substr(0, 2)) ||
               files().GetAttributes(root + "x.txt"));

  const std::string temp = files().TempFolder(), windows = files().WindowsFolder();
  EXPECT_TRUE(temp.ends_with("\\")) << temp;
  for (const auto& f : {temp, windows}) EXPECT_TRUE(files().GetAttributes(f).value_or(0) & attr::kDirectory) << f;
  EXPECT_TRUE(platform::EqualsIgnoreCase(files().SystemFolder(), windows + "\\system32"));
}

}  // namespace
}  // namespace norvik::conformance
