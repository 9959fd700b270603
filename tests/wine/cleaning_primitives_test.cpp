// What only the real system shows the deletion primitives and the cleaners on them: hard
// links and folder links, in a scratch folder on C: that the conformance environment
// removes afterwards; the user's own recycle bin and the program folders.

#include "platform/win32/windows_api.h"  // first: before any other Windows header

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaners/windows_cleaners.h"
#include "cleaning/deletion_primitives.h"
#include "cleaning/list_cleaner.h"
#include "conformance/conformance_env.h"
#include "core/utility_routines.h"
#include "fakes/run_reporter.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace norvik::cleaning {
namespace {

using platform::win32::Wide;

class WinePrimitivesTest : public ::testing::Test {
 protected:
  std::string In(const std::string& name) const { return dir_ + "\\" + name; }
  void Make(const std::string& name, const std::string& contents) { MakeAt(In(name), contents); }
  void MakeAt(const std::string& path, const std::string& contents) {
    for (std::size_t cut = path.find('\\', 3); cut != std::string::npos; cut = path.find('\\', cut + 1)) {
      ::CreateDirectoryW(Wide(path.substr(0, cut)).c_str(), nullptr);
    }
    auto file = files().Open(path, platform::FileAccess::Write, 0, platform::FileDisposition::CreateAlways);
    ASSERT_TRUE(file && file->WriteAll(contents)) << path;
  }
  std::string Read(const std::string& name) {
    auto file = files().Open(In(name), platform::FileAccess::Read, platform::file_share::kAll,
                             platform::FileDisposition::OpenExisting);
    return file ? file->ReadAll(1 << 20).value_or("?") : "<missing>";
  }
  bool Exists(const std::string& name) {
    return ::GetFileAttributesW(Wide(In(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  RunContext& Clean(RunOptions options = {}, RunKind kind = RunKind::AutomaticClean) {
    worker_ = std::make_unique<RunContext>(env_->platform(), reporter_, RunSetup{.run_kind = kind, .options = options});
    return *worker_;
  }
  platform::Files& files() { return env_->platform().files; }

  std::unique_ptr<conformance::ConformanceEnv> env_ = conformance::MakeConformanceEnv();
  std::string dir_ = env_->ScratchFolder();
  FakeRunReporter reporter_;
  std::unique_ptr<RunContext> worker_;
};

TEST_F(WinePrimitivesTest, LinksAreLeftAloneAndOtherNamesKeepTheirData) {
  Make("wipe.bin", std::string(5000, 'w'));
  Make("twin\\data.bin", std::string(5000, 'd'));
  Make("outside\\o.txt", "outside");
  ASSERT_TRUE(::CreateHardLinkW(Wide(In("twin\\other.bin")).c_str(), Wide(In("twin\\data.bin")).c_str(), nullptr));
  auto open = files().Open(In("twin\\data.bin"), platform::FileAccess::ReadWrite, 0, platform::FileDisposition::OpenExisting);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->LinkCount().value_or(0), 2u);
  open->Close();

  std::uint8_t next = 1;
  EXPECT_TRUE(OverwriteFile(files(), In("wipe.bin"), 3, [&] { return next++; }));
  EXPECT_EQ(Read("wipe.bin"), std::string(5000, '\3'));

  const RunOptions wipe{.IsWipeFile = true, .WipeNumber = 2};
  EXPECT_TRUE(DeleteOneFile(Clean(wipe), In("twin\\data.bin"), true));
  EXPECT_FALSE(Exists("twin\\data.bin"));
  EXPECT_EQ(Read("twin\\other.bin"), std::string(5000, 'd'));

  if (!::CreateSymbolicLinkW(Wide(In("twin\\link")).c_str(), Wide(In("outside")).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    GTEST_SKIP() << "no folder links here (error " << ::GetLastError() << ")";
  }
  std::uint32_t counter = 0;
  EXPECT_EQ(DeleteFolderContents(Clean(wipe), In("twin"), true, true, "", counter), 5000);
  EXPECT_EQ(counter, 1u) << "the link is not counted";
  EXPECT_EQ(DeleteFolderContents(Clean(), In("twin\\link"), false, true, "", counter), 0);
  EXPECT_EQ(Read("outside\\o.txt"), "outside");
}

// Made on the host side by scripts/test.sh (ln -s), as a user's own links would be: Wine
// lists the link to a file as that file, and its delete would take the target.
TEST_F(WinePrimitivesTest, HostLinksAreNeitherCountedWipedNorDeletedThrough) {
  const std::string walk = "C:\\NorvikLinks\\wine\\Walk", precious = "C:\\NorvikLinks\\wine\\Precious\\keep.txt";
  if (::GetFileAttributesW(Wide(walk).c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no host links made";
  const auto read = [&](const std::string& path) {
    auto file = files().Open(path, platform::FileAccess::Read, platform::file_share::kAll,
                             platform::FileDisposition::OpenExisting);
    return file ? file->ReadAll(1 << 20).value_or("?") : "<missing>";
  };
  for (const char* link : {"\\file-link.txt", "\\sub\\relative-link.txt", "\\folder-link", "\\outside-link.txt"}) {
    EXPECT_TRUE(files().IsLink(walk + link)) << link;
    EXPECT_EQ(files().ShellDelete(walk + link).code(), platform::kErrAccessDenied) << link;
  }
  EXPECT_FALSE(files().IsLink(walk + "\\plain.txt") || files().IsLink(precious) || files().IsLink(walk));
  EXPECT_EQ(files().DeleteFile(walk + "\\file-link.txt").code(), platform::kErrAccessDenied);
  EXPECT_FALSE(OverwriteFile(files(), walk + "\\file-link.txt", 1, [] { return std::uint8_t{0}; }));

  for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
    std::uint32_t counter = 0;
    RunContext run(env_->platform(), reporter_, RunSetup{.run_kind = kind, .options = {.IsWipeFile = true, .WipeNumber = 1}});
    DeleteFolderContents(run, walk, false, true, "", counter);
    EXPECT_EQ(counter, 1u) << "plain.txt alone";
  }
  EXPECT_EQ(read(precious), "precious");
  EXPECT_EQ(read(walk + "\\file-link.txt"), "precious") << "the link stays, still leading there";
  EXPECT_EQ(read(walk + "\\plain.txt"), "<missing>");
}

// The bin folder the recycle bin item walks is named by the SID of the process token, the
// one Wine files this user's profile under; only that user's deleted files are counted
// and removed. The program folder token covers both program folders of this system.
TEST_F(WinePrimitivesTest, UsersRecycleBinAndProgramFolders) {
  platform::Platform p = env_->platform();
  const std::string sid = p.system.CurrentUserSid().value_or("none");
  EXPECT_TRUE(sid.starts_with("S-1-5-21-")) << sid;
  const std::string profile = core::ReadRegString(
      p.registry, platform::RegRoot::LocalMachine,
      "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid, "ProfileImagePath");
  EXPECT_TRUE(platform::EqualsIgnoreCase(profile, p.system.GetEnvironment("USERPROFILE").value_or("?"))) << profile;

  const std::string bins = "C:\\$Recycle.Bin\\", mine = bins + sid + "\\";
  for (const std::string& file : {mine + "$RA1.txt", mine + "desktop.ini", bins + "S-1-5-21-9-9-9-1001\\$RB.txt"}) {
    MakeAt(file, "12345");
  }
  CleanerTable table;
  cleaners::RegisterWindowsCleaners(table);
  for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
    (*table.Find("Windows - Empty Recycle Bin"))(Clean({}, kind));
    EXPECT_EQ(worker_->ItemCount, 1u);
  }
  EXPECT_FALSE(files().GetAttributes(mine + "$RA1.txt").ok());
  EXPECT_TRUE(files().GetAttributes(mine + "desktop.ini").ok());
  EXPECT_TRUE(files().GetAttributes(bins + "S-1-5-21-9-9-9-1001\\$RB.txt").ok());
  EXPECT_TRUE(files().ShellDelete(bins).ok());

  EXPECT_EQ(TokenFolders::Read(p).program_files, (std::vector<std::string>{"C:\\Program Files", "C:\\Program Files (x86)"}));
}

}  // namespace
}  // namespace norvik::cleaning
