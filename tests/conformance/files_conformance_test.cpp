// Files and drives: the same checks against the simulated Windows and the real API.
// Each check_* helper reports failures at the line of its caller.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "conformance/conformance_env.h"
#include "platform/text_encoding.h"

namespace norvik::conformance {
namespace {

using platform::FileAccess;
using platform::FileDisposition;
using platform::SeekFrom;
namespace attr = platform::file_attr;
namespace share = platform::file_share;

constexpr std::uint32_t kErrNegativeSeek = 131;
constexpr std::uint32_t kErrDirectory = 267;

class FilesConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeConformanceEnv();
    dir_ = env_->ScratchFolder();
  }

  platform::Files& files() { return env_->platform().files; }
  std::string In(std::string_view name) const { return dir_ + "\\" + std::string(name); }

  void Make(std::string_view name, std::string_view contents = "x") {
    auto file =
        files().Open(In(name), FileAccess::Write, share::kNone, FileDisposition::CreateAlways);
    ASSERT_TRUE(file) << name << " error " << file.code();
    ASSERT_TRUE(file->WriteAll(contents));
  }
  void MakeDir(std::string_view name) { ASSERT_TRUE(files().CreateDirectory(In(name))) << name; }

  // The names a search lists, letter case folded so that the order does not matter.
  std::set<std::string> Listing(const std::string& pattern, std::uint32_t* error = nullptr) {
    std::set<std::string> names;
    auto start = files().FindFirst(pattern);
    if (error) *error = start.code();
    if (!start) return names;
    names.insert(platform::UpperCase(start->first.name));
    for (auto next = start->rest.Next(); next; next = start->rest.Next()) {
      names.insert(platform::UpperCase(next->name));
    }
    return names;
  }

  void check_find(int line, const std::string& pattern, std::set<std::string> expected) {
    SCOPED_TRACE(testing::Message() << "called from line " << line << ", pattern " << pattern);
    std::uint32_t error = 0;
    const auto names = Listing(In(pattern), &error);
    EXPECT_EQ(error, 0u);
    std::set<std::string> upper;
    for (const auto& name : expected) upper.insert(platform::UpperCase(name));
    EXPECT_EQ(names, upper);
  }

  void check_error(int line, const platform::Status& status, std::uint32_t expected) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    EXPECT_EQ(status.code(), expected);
  }

  std::unique_ptr<ConformanceEnv> env_;
  std::string dir_;
};

#define CHECK_FIND(pattern, ...) check_find(__LINE__, pattern, __VA_ARGS__)
#define CHECK_ERROR(status, code) check_error(__LINE__, (status), (code))

TEST_F(FilesConformance, FindFirstMatchesPatternsAsWindowsDoes) {
  for (const char* name :
       {"a.txt", "B.TXT", "noext", "File1.chk", "file22.CHK", "Long File Name.text"}) {
    Make(name);
  }
  MakeDir("sub");
  const std::set<std::string> everything = {
      ".",  "..", "a.txt", "B.TXT", "noext", "File1.chk", "file22.CHK", "Long File Name.text",
      "sub"};
  CHECK_FIND("*.txt", {"a.txt", "B.TXT"});
  CHECK_FIND("*.TXT", {"a.txt", "B.TXT"});
  CHECK_FIND("File*.chk", {"File1.chk", "file22.CHK"});
  CHECK_FIND("?.txt", {"a.txt", "B.TXT"});
  CHECK_FIND("*.*", everything);
  CHECK_FIND("*", everything);
  CHECK_FIND("A.TXT", {"a.txt"});
  CHECK_FIND("long file name.TEXT", {"Long File Name.text"});
  CHECK_FIND("noext.*", {"noext"});
  CHECK_FIND("sub", {"sub"});

  std::uint32_t error = 0;
  Listing(In("*.none"), &error);
  EXPECT_EQ(error, platform::kErrFileNotFound);
  Listing(In("nothing"), &error);
  EXPECT_EQ(error, platform::kErrFileNotFound);
  Listing(In("missing\\*"), &error);
  EXPECT_EQ(error, platform::kErrPathNotFound);
}

TEST_F(FilesConformance, FindFirstReportsEntries) {
  Make("data.bin", "12345");
  MakeDir("sub");
  Make("sub\\inner.txt");

  auto start = files().FindFirst(In("DATA.BIN"));
  ASSERT_TRUE(start);
  EXPECT_EQ(start->first.name, "data.bin");  // the stored case, not the asked one
  EXPECT_EQ(start->first.size, 5u);
  EXPECT_FALSE(start->first.is_directory());
  EXPECT_NE(start->first.last_write_time, 0u);
  EXPECT_EQ(start->rest.Next().code(), platform::kErrNoMoreFiles);

  // Sub-folders list "." and ".." as folders; drive roots do not.
  const auto sub = Listing(In("sub\\*"));
  EXPECT_EQ(sub, (std::set<std::string>{".", "..", "INNER.TXT"}));
  auto dot = files().FindFirst(In("sub\\*"));
  ASSERT_TRUE(dot);
  EXPECT_TRUE(dot->first.is_dot());
  EXPECT_TRUE(dot->first.is_directory());
  const auto root = Listing("C:\\*");
  EXPECT_EQ(root.count("."), 0u);
  EXPECT_EQ(root.count(".."), 0u);
  EXPECT_EQ(root.count("NORVIKCONFORMANCE"), 1u);
}

TEST_F(FilesConformance, Attributes) {
  Make("plain.txt");
  MakeDir("folder");
  const std::uint32_t flags = attr::kReadOnly | attr::kHidden | attr::kSystem;

  auto plain = files().GetAttributes(In("PLAIN.TXT"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(*plain & (flags | attr::kDirectory), 0u);
  EXPECT_NE(*plain & (attr::kArchive | attr::kNormal), 0u);  // a new file: archive (or normal)

  ASSERT_TRUE(files().SetAttributes(In("plain.txt"), attr::kReadOnly | attr::kHidden));
  EXPECT_EQ(files().GetAttributes(In("plain.txt")).value_or(0) & flags,
            attr::kReadOnly | attr::kHidden);
  CHECK_ERROR(files().DeleteFile(In("plain.txt")), platform::kErrAccessDenied);
  ASSERT_TRUE(files().SetAttributes(In("plain.txt"), attr::kNormal));
  EXPECT_EQ(files().GetAttributes(In("plain.txt")).value_or(0) & flags, 0u);

  EXPECT_NE(files().GetAttributes(In("folder")).value_or(0) & attr::kDirectory, 0u);
  EXPECT_NE(files().GetAttributes(In("folder\\")).value_or(0) & attr::kDirectory, 0u);
  CHECK_ERROR(files().GetAttributes(In("missing.txt")).status(), platform::kErrFileNotFound);
  CHECK_ERROR(files().GetAttributes(In("missing\\x.txt")).status(), platform::kErrPathNotFound);
  CHECK_ERROR(files().GetAttributes(In("plain.txt\\x")).status(), platform::kErrPathNotFound);
  CHECK_ERROR(files().SetAttributes(In("missing.txt"), attr::kHidden), platform::kErrFileNotFound);
}

TEST_F(FilesConformance, ReadWriteSeekAndSize) {
  auto file =
      files().Open(In("seek.bin"), FileAccess::ReadWrite, share::kNone, FileDisposition::CreateNew);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAll("0123456789"));
  EXPECT_EQ(file->Size().value_or(0), 10u);
  EXPECT_EQ(file->Seek(3).value_or(0), 3u);
  char buffer[8] = {};
  EXPECT_EQ(file->Read(buffer, 4).value_or(0), 4u);
  EXPECT_EQ(std::string(buffer, 4), "3456");
  EXPECT_EQ(file->Seek(-2, SeekFrom::End).value_or(0), 8u);
  EXPECT_EQ(file->Seek(1, SeekFrom::Current).value_or(0), 9u);
  CHECK_ERROR(file->Seek(-20, SeekFrom::Current).status(), kErrNegativeSeek);
  EXPECT_EQ(file->Seek(100).value_or(0), 100u);
  EXPECT_EQ(file->Read(buffer, 4).value_or(99), 0u);  // past the end: nothing, no error
  EXPECT_EQ(file->Size().value_or(0), 10u);
  ASSERT_TRUE(file->Seek(5));
  ASSERT_TRUE(file->SetEnd());
  EXPECT_EQ(file->Size().value_or(0), 5u);
  ASSERT_TRUE(file->Seek(20));
  ASSERT_TRUE(file->WriteAll("x"));
  EXPECT_EQ(file->Size().value_or(0), 21u);
  file->Close();

  auto reader =
      files().Open(In("seek.bin"), FileAccess::Read, share::kRead, FileDisposition::OpenExisting);
  ASSERT_TRUE(reader);
  CHECK_ERROR(reader->Write("x", 1).status(), platform::kErrAccessDenied);
  reader->Close();
  auto writer = files().Open(In("seek.bin"), FileAccess::Write, share::kRead,
                             FileDisposition::TruncateExisting);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->Size().value_or(1), 0u);
  CHECK_ERROR(writer->Read(buffer, 1).status(), platform::kErrAccessDenied);
}

TEST_F(FilesConformance, OpenFailureCodes) {
  Make("exists.txt");
  MakeDir("folder");
  const auto open = [&](const std::string& name, FileDisposition disposition) {
    return files().Open(In(name), FileAccess::Read, share::kRead, disposition).status();
  };
  CHECK_ERROR(open("exists.txt", FileDisposition::CreateNew), platform::kErrFileExists);
  CHECK_ERROR(open("missing.txt", FileDisposition::OpenExisting), platform::kErrFileNotFound);
  CHECK_ERROR(open("missing.txt", FileDisposition::TruncateExisting), platform::kErrFileNotFound);
  CHECK_ERROR(open("missing\\x.txt", FileDisposition::OpenExisting), platform::kErrPathNotFound);
  CHECK_ERROR(open("missing\\x.txt", FileDisposition::CreateAlways), platform::kErrPathNotFound);
  CHECK_ERROR(open("folder", FileDisposition::OpenExisting), platform::kErrAccessDenied);
  CHECK_ERROR(open("bad<name", FileDisposition::CreateAlways), platform::kErrInvalidName);
  CHECK_ERROR(open("bad*name", FileDisposition::CreateAlways), platform::kErrInvalidName);
  EXPECT_TRUE(open("EXISTS.TXT", FileDisposition::OpenAlways).ok());
}

TEST_F(FilesConformance, SharingRules) {
  Make("held.txt", "abc");
  {
    auto exclusive = files().Open(In("held.txt"), FileAccess::ReadWrite, share::kNone,
                                  FileDisposition::OpenExisting);
    ASSERT_TRUE(exclusive);
    CHECK_ERROR(
        files()
            .Open(In("HELD.TXT"), FileAccess::Read, share::kAll, FileDisposition::OpenExisting)
            .status(),
        platform::kErrSharingViolation);
    CHECK_ERROR(files().DeleteFile(In("held.txt")), platform::kErrSharingViolation);
    CHECK_ERROR(files().MoveFile(In("held.txt"), In("moved.txt")), platform::kErrSharingViolation);
    CHECK_ERROR(files().ShellDelete(In("held.txt")), platform::kErrSharingViolation);
    // A held file still lists with its size.
    auto listed = files().FindFirst(In("held.txt"));
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->first.size, 3u);
  }
  {
    auto reader =
        files().Open(In("held.txt"), FileAccess::Read, share::kRead, FileDisposition::OpenExisting);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(files().Open(In("held.txt"), FileAccess::Read, share::kRead,
                             FileDisposition::OpenExisting));
    CHECK_ERROR(files()
                    .Open(In("held.txt"), FileAccess::ReadWrite, share::kNone,
                          FileDisposition::OpenExisting)
                    .status(),
                platform::kErrSharingViolation);
    CHECK_ERROR(
        files()
            .Open(In("held.txt"), FileAccess::Write, share::kAll, FileDisposition::OpenExisting)
            .status(),
        platform::kErrSharingViolation);
  }
  EXPECT_TRUE(files().Open(In("held.txt"), FileAccess::ReadWrite, share::kNone,
                           FileDisposition::OpenExisting));
  EXPECT_TRUE(files().DeleteFile(In("held.txt")));
}

TEST_F(FilesConformance, DeleteRemoveCreateMoveCodes) {
  Make("file.txt");
  MakeDir("full");
  Make("full\\inner.txt");
  MakeDir("empty");

  CHECK_ERROR(files().DeleteFile(In("missing.txt")), platform::kErrFileNotFound);
  CHECK_ERROR(files().DeleteFile(In("missing\\x.txt")), platform::kErrPathNotFound);
  CHECK_ERROR(files().DeleteFile(In("full")), platform::kErrAccessDenied);
  CHECK_ERROR(files().RemoveDirectory(In("full")), platform::kErrDirNotEmpty);
  CHECK_ERROR(files().RemoveDirectory(In("missing")), platform::kErrFileNotFound);
  CHECK_ERROR(files().RemoveDirectory(In("missing\\x")), platform::kErrPathNotFound);
  CHECK_ERROR(files().RemoveDirectory(In("file.txt")), kErrDirectory);
  CHECK_ERROR(files().CreateDirectory(In("full")), platform::kErrAlreadyExists);
  CHECK_ERROR(files().CreateDirectory(In("file.txt")), platform::kErrAlreadyExists);
  CHECK_ERROR(files().CreateDirectory(In("missing\\x")), platform::kErrPathNotFound);
  CHECK_ERROR(files().MoveFile(In("missing.txt"), In("y.txt")), platform::kErrFileNotFound);
  CHECK_ERROR(files().MoveFile(In("file.txt"), In("full\\inner.txt")), platform::kErrAlreadyExists);
  CHECK_ERROR(files().MoveFile(In("file.txt"), In("missing\\y.txt")), platform::kErrPathNotFound);

  EXPECT_TRUE(files().MoveFile(In("file.txt"), In("empty\\moved.txt")));
  // A change of letter case only succeeds (Windows renames, Wine keeps the old name).
  EXPECT_TRUE(files().MoveFile(In("empty\\moved.txt"), In("empty\\MOVED.TXT")));
  EXPECT_EQ(Listing(In("empty\\*")), (std::set<std::string>{".", "..", "MOVED.TXT"}));
  EXPECT_TRUE(files().DeleteFile(In("EMPTY\\moved.txt")));
  EXPECT_TRUE(files().RemoveDirectory(In("empty")));
  EXPECT_TRUE(files().DeleteOnReboot(In("full\\inner.txt")));
  EXPECT_TRUE(files().GetAttributes(In("full\\inner.txt")));  // only recorded for the restart
}

TEST_F(FilesConformance, ShellDeleteRemovesWholeTrees) {
  MakeDir("tree");
  MakeDir("tree\\deeper");
  Make("tree\\a.txt");
  Make("tree\\deeper\\b.txt");
  ASSERT_TRUE(files().SetAttributes(In("tree\\deeper\\b.txt"), attr::kReadOnly));
  Make("single.txt");

  EXPECT_TRUE(files().ShellDelete(In("tree")));
  CHECK_ERROR(files().GetAttributes(In("tree")).status(), platform::kErrFileNotFound);
  EXPECT_TRUE(files().ShellDelete(In("SINGLE.TXT")));
  EXPECT_EQ(Listing(In("*")), (std::set<std::string>{".", ".."}));
  CHECK_ERROR(files().ShellDelete(In("tree")), platform::kErrFileNotFound);
  CHECK_ERROR(files().ShellDelete(In("missing\\x")), platform::kErrPathNotFound);
}

TEST_F(FilesConformance, ShortAndFullPathNames) {
  Make("SHORT.TXT");
  Make("Long File Name.text");
  auto folder = files().GetShortPathName(dir_);
  ASSERT_TRUE(folder) << folder.code();

  // A name that already is 8.3 comes back as it is.
  EXPECT_EQ(files().GetShortPathName(In("SHORT.TXT")).value_or(""), *folder + "\\SHORT.TXT");

  const std::string long_short = files().GetShortPathName(In("Long File Name.text")).value_or("");
  ASSERT_TRUE(long_short.starts_with(*folder + "\\")) << long_short;
  const std::string name = long_short.substr(folder->size() + 1);
  const std::size_t dot = name.find('.');
  EXPECT_NE(name.find('~'), std::string::npos) << name;
  EXPECT_LE(dot, 8u) << name;
  EXPECT_EQ(name.substr(dot), ".TEX") << name;
  EXPECT_EQ(name.find(' '), std::string::npos) << name;
  EXPECT_EQ(platform::UpperCase(name), name);
  // The short name reaches the same file, and a search reports it.
  EXPECT_TRUE(files().GetAttributes(long_short));
  auto listed = files().FindFirst(In("Long File Name.text"));
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->first.short_name, name);
  EXPECT_EQ(files().FindFirst(In("SHORT.TXT"))->first.short_name, "");

  CHECK_ERROR(files().GetShortPathName(In("missing.txt")).status(), platform::kErrFileNotFound);

  struct Case {
    const char* path;
    const char* full;
  };
  const Case cases[] = {
      {"C:\\a\\.\\b\\..\\c", "C:\\a\\c"}, {"C:/a/b", "C:\\a\\b"}, {"C:\\a\\..\\..\\..\\b", "C:\\b"},
      {"C:\\a\\b\\", "C:\\a\\b\\"},       {"c:\\x", "c:\\x"},     {"C:\\a\\\\b", "C:\\a\\b"},
      {"C:\\a\\b.", "C:\\a\\b"},          {"C:\\a\\..", "C:\\"},  {"C:\\a\\.", "C:\\a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(files().GetFullPathName(c.path).value_or("<failed>"), c.full) << c.path;
  }
}

TEST_F(FilesConformance, DrivesAndSystemFolders) {
  const std::uint32_t drives = files().LogicalDrives();
  EXPECT_NE(drives & (1u << 2), 0u);  // C:
  EXPECT_EQ(files().GetDriveType("C:\\"), platform::DriveType::Fixed);
  EXPECT_EQ(files().GetDriveType("c:\\"), platform::DriveType::Fixed);
  EXPECT_TRUE(files().IsVolumeReady("C:\\"));
  auto device = files().QueryDosDevice("C:");
  ASSERT_TRUE(device);
  ASSERT_FALSE(device->empty());
  EXPECT_TRUE(device->front().starts_with("\\Device\\")) << device->front();

  // A letter no drive uses.
  char unused = 0;
  for (char letter = 'Y'; letter > 'C' && !unused; --letter) {
    if (!(drives & (1u << (letter - 'A')))) unused = letter;
  }
  ASSERT_NE(unused, 0);
  const std::string root = std::string(1, unused) + ":\\";
  EXPECT_EQ(files().GetDriveType(root), platform::DriveType::NoRootDir);
  EXPECT_FALSE(files().IsVolumeReady(root));
  EXPECT_FALSE(files().QueryDosDevice(root.substr(0, 2)));
  EXPECT_FALSE(files().GetAttributes(root + "x.txt"));

  const std::string temp = files().TempFolder();
  EXPECT_TRUE(temp.ends_with("\\")) << temp;
  EXPECT_NE(files().GetAttributes(temp).value_or(0) & attr::kDirectory, 0u) << temp;
  const std::string windows = files().WindowsFolder();
  EXPECT_NE(files().GetAttributes(windows).value_or(0) & attr::kDirectory, 0u) << windows;
  EXPECT_TRUE(platform::EqualsIgnoreCase(files().SystemFolder(), windows + "\\system32"));
}

}  // namespace
}  // namespace norvik::conformance
