#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "cleaning/deletion_primitives.h"
#include "core/registry_access.h"
#include "fakes/run_reporter.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"

namespace norvik::cleaning {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class DeletionPrimitivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [path, size] : std::vector<std::pair<std::string, std::size_t>>{
             {"C:\\Work\\a.txt", 10}, {"C:\\Work\\sub\\b.log", 20}, {"C:\\Work\\sub\\deep\\c.tmp", 30},
             {"C:\\Work\\sub\\keep.me", 40}}) {
      machine.WriteFile(path, std::string(size, 'x'));
    }
  }
  RunContext& Worker(RunKind kind, RunOptions options = {}, std::uint32_t counted_before = 0) {
    const Clock clock = [this] {
      if (stop_on_clock) stop.request_stop();
      return now;
    };
    worker = std::make_unique<RunContext>(machine.platform(), reporter,
                                          RunSetup{.run_kind = kind, .options = options, .clock = clock},
                                          stop.get_token(), counted_before);
    return *worker;
  }
  bool Exists(const std::string& path) { return machine.files().GetAttributes(path).ok(); }

  platform::sim::SimMachine machine;
  FakeRunReporter reporter;
  std::stop_source stop;
  std::chrono::steady_clock::time_point now{};
  bool stop_on_clock = false;
  std::unique_ptr<RunContext> worker;
  RunOptions logged{.FastScan = false};
};

TEST_F(DeletionPrimitivesTest, FolderContentsTestCountsWhatCleanDeletes) {
  struct Case {
    RunKind kind;
    bool remove_folder;
    const char* excluded;
    std::uint32_t count;
    std::int64_t bytes;
    Lines survivors, gone;
  };
  const Case cases[] = {
      {RunKind::Test, true, "", 4, 100, {"C:\\Work\\a.txt", "C:\\Work\\sub\\deep\\c.tmp"}, {}},
      {RunKind::AutomaticClean, false, "KEEP.ME", 3, 60, {"C:\\Work\\sub\\keep.me"}, {"C:\\Work\\sub\\deep", "C:\\Work\\a.txt"}},
      {RunKind::PreparedClean, true, "", 4, 100, {"C:\\"}, {"C:\\Work"}},
  };
  for (const Case& c : cases) {
    SetUp();
    reporter.Clear();
    std::uint32_t counter = 1;
    EXPECT_EQ(DeleteFolderContents(Worker(c.kind, logged), "C:\\Work", c.remove_folder, true, c.excluded, counter),
              c.bytes);
    EXPECT_EQ(counter, c.count + 1) << static_cast<int>(c.kind);
    EXPECT_EQ(reporter.lines().size(), c.count);
    EXPECT_EQ(reporter.lines().front(), std::string(worker->LogPrefix()) + "deleting C:\\Work\\a.txt");
    for (const auto& p : c.survivors) EXPECT_TRUE(Exists(p)) << static_cast<int>(c.kind) << " " << p;
    for (const auto& p : c.gone) EXPECT_FALSE(Exists(p)) << static_cast<int>(c.kind) << " " << p;
  }
  std::uint32_t counter = 0;
  EXPECT_EQ(DeleteFolderContents(Worker(RunKind::Test), "C:\\Work", false, true, "", counter), 0) << "already gone";
}

TEST_F(DeletionPrimitivesTest, MasksMatchAsTheCleanersExpect) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"index.dat", "index.dat", true}, {"index.dat", "INDEX.DAT", false}, {"*.tmp", "A.TMP", true},
      {"cookies*.txt", "Cookies-1.TXT", true}, {"*.*", "noext", true}, {"*", "x", true},
      {"ab*ba", "aba", false}, {"ab*ba", "abba", true}, {"*.t?p", "a.tmp", false}, {"", "x", false}};
  for (const auto& [mask, name, match] : cases) EXPECT_EQ(MaskMatches(mask, name), match) << mask << " " << name;

  std::uint32_t counter = 0;
  EXPECT_EQ(DeleteFilesByMask(Worker(RunKind::Test), "C:\\Work", "*.TMP", counter, false), 0);
  EXPECT_EQ(DeleteFilesByMask(Worker(RunKind::AutomaticClean), "C:\\Work", "*.TMP", counter, true), 30);
  EXPECT_EQ(counter, 1u);
  EXPECT_FALSE(Exists("C:\\Work\\sub\\deep\\c.tmp"));
  EXPECT_TRUE(Exists("C:\\Work\\sub\\deep")) << "folders stay";
}

TEST_F(DeletionPrimitivesTest, DriveRootsAndMyDocumentsAskInACleanOnly) {
  machine.WriteFile("C:\\users\\user\\Documents\\My Pictures\\p.jpg", "p");
  const std::string all_root = DeleteAllQuestion("C:\\");
  const std::string all_docs = DeleteAllQuestion("C:\\users\\user\\Documents\\");
  const std::string all_pics = DeleteAllQuestion("C:\\users\\user\\Documents\\My Pictures\\");
  EXPECT_EQ(all_root, "Do you want to delete all files and folders under C:\\?");
  // mask nullptr: DeleteFolderContents
  struct Case { RunKind kind; const char* folder; const char* mask; bool answer; Lines questions; bool deleted; };
  const Case cases[] = {
      {RunKind::Test, "C:\\", nullptr, false, {}, false},
      {RunKind::AutomaticClean, "C:\\", nullptr, false, {all_root}, false},
      {RunKind::AutomaticClean, "C:\\Work\\..", nullptr, false, {all_root}, false},
      {RunKind::AutomaticClean, "C:\\Work\\.\\..\\", "*.txt", false, {all_root}, false},
      {RunKind::AutomaticClean, "C:\\", "nothing.dat", false, {DeleteFilesQuestion("C:\\users\\user\\Documents\\")}, false},
      {RunKind::AutomaticClean, "c:\\USERS\\user\\documents", "*.jpg", false,
       {DeleteFilesQuestion("c:\\USERS\\user\\documents\\")}, false},
      {RunKind::AutomaticClean, "C:\\users\\user", nullptr, true, {}, false},  // a profile is never emptied
      {RunKind::AutomaticClean, "C:\\users\\user\\Documents", nullptr, true, {all_docs, all_pics}, true},
  };
  for (const Case& c : cases) {
    reporter.Clear();
    reporter.SetAnswer(c.answer);
    std::uint32_t counter = 0;
    RunContext& w = Worker(c.kind);
    if (c.mask) {
      DeleteFilesByMask(w, c.folder, c.mask, counter, true);
    } else {
      DeleteFolderContents(w, c.folder, false, true, "", counter);
    }
    EXPECT_EQ(reporter.questions(), c.questions) << c.folder;
    EXPECT_EQ(Exists("C:\\users\\user\\Documents\\My Pictures\\p.jpg"), !c.deleted) << c.folder;
    EXPECT_TRUE(Exists("C:\\Work\\a.txt") && Exists("C:\\users\\user\\Documents")) << c.folder;
  }
}

TEST_F(DeletionPrimitivesTest, LinksAreNeverFollowedAndLockedFilesNotCounted) {
  machine.WriteFile("C:\\Outside\\o.txt", "outside");
  machine.CreateLink("C:\\Work\\junction", "C:\\Outside");
  machine.CreateLink("C:\\Work\\file.lnk.txt", "C:\\Outside\\o.txt");
  machine.SetFileInUse("C:\\Work\\a.txt", true);
  for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
    std::uint32_t counter = 0;
    DeleteFilesByMask(Worker(kind), "C:\\Work", "*.*", counter, true);
    DeleteFolderContents(Worker(kind), "C:\\Work", true, true, "", counter);
    EXPECT_EQ(counter, kind == RunKind::Test ? 8u : 3u) << "the held a.txt is counted by a test only";
    EXPECT_EQ(DeleteFolderContents(Worker(kind), "C:\\Work\\junction", false, true, "", counter), 0);
    EXPECT_EQ(machine.ReadFile("C:\\Outside\\o.txt"), "outside");
    EXPECT_TRUE(Exists("C:\\Work\\junction") && Exists("C:\\Work\\file.lnk.txt"));
  }
}

TEST_F(DeletionPrimitivesTest, RegistryKeysAndValuesCountAsTheLogShows) {
  core::RegistryAccess reg(machine.platform().registry);
  reg.SetRootKey(platform::RegRoot::CurrentUser);
  ASSERT_TRUE(reg.OpenKey("\\Software\\NorvikTest\\Empty", true));
  for (int i = 0; i < 7; ++i) {
    ASSERT_TRUE(reg.OpenKey(i < 4 ? "\\Software\\NorvikTest\\Seven" : "\\Software\\NorvikTest\\Seven\\Sub", true));
    ASSERT_TRUE(reg.WriteInteger("v" + std::to_string(i), i));
  }
  ASSERT_TRUE(reg.OpenKey("\\Software\\NorvikTest\\Five\\One", true) && reg.WriteString("x", "1"));
  ASSERT_TRUE(reg.OpenKey("\\Software\\NorvikTest\\Five\\None", true) && reg.OpenKey("\\Software\\NorvikTest\\Five", false));
  ASSERT_TRUE(reg.WriteString("a", "") && reg.WriteString("b", "") && reg.WriteInteger("c", 1));
  reg.CloseKey();

  for (const RunKind kind : {RunKind::Test, RunKind::AutomaticClean}) {
    reporter.Clear();
    RunContext& w = Worker(kind, logged);
    EXPECT_EQ(DeleteRegKey(w, platform::RegRoot::CurrentUser, "Software\\NorvikTest\\Empty"), 1u);
    EXPECT_EQ(DeleteUserRegKey(w, "Software\\NorvikTest\\Seven"), 7u);
    EXPECT_EQ(DeleteRegKey(w, platform::RegRoot::CurrentUser, "Software\\NorvikTest\\Missing"), 0u);
    EXPECT_EQ(DeleteRegValue(w, platform::RegRoot::CurrentUser, "", ""), 0u) << "never a whole root";
    EXPECT_EQ(DeleteUserRegValue(w, "Software\\NorvikTest\\Five", "missing"), 0u);
    EXPECT_EQ(DeleteUserRegValue(w, "Software\\NorvikTest\\Five", ""), 5u);
    const Lines lines = reporter.lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], std::string(w.LogPrefix()) + "deleting registry key HKEY_CURRENT_USER\\Software\\NorvikTest\\Seven");
    EXPECT_EQ(lines[2], std::string(w.LogPrefix()) + "skipped, a protected place: HKEY_CURRENT_USER\\");
    EXPECT_EQ(lines[3], std::string(w.LogPrefix()) + "deleting registry value HKEY_CURRENT_USER\\Software\\NorvikTest\\Five\\a");
    EXPECT_EQ(lines[7], std::string(w.LogPrefix()) + "deleting registry key HKEY_CURRENT_USER\\Software\\NorvikTest\\Five\\One");
    EXPECT_EQ(reporter.scrolled_at(), (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  }
  EXPECT_EQ(CountValuesInTree(machine.platform().registry, platform::RegRoot::CurrentUser, "Software\\NorvikTest"), 0u);
  EXPECT_TRUE(reg.KeyExists("\\Software\\NorvikTest\\Five") && !reg.KeyExists("\\Software\\NorvikTest\\Seven"));
}

TEST_F(DeletionPrimitivesTest, OverwritingReachesEveryByteButNeverAnotherName) {
  const std::string file = "C:\\Work\\wipe.bin", twin = "C:\\Work\\twin.bin";
  machine.WriteFile(file, std::string(10000, 'x'));
  std::string seen;
  std::uint8_t next = 7;
  const auto source = [&] {
    seen += machine.ReadFile(file).value_or("").substr(4095, 2);  // where a 4096-byte block ends
    return next++;
  };
  EXPECT_TRUE(OverwriteFile(machine.platform().files, file, 3, source));
  EXPECT_EQ(seen, std::string("xx\7\7\b\b"));
  EXPECT_EQ(machine.ReadFile(file), std::string(10000, '\t'));

  std::filesystem::create_hard_link(machine.HostPath(file), machine.HostPath(twin));
  machine.CreateLink("C:\\Work\\link.bin", "C:\\Work\\a.txt");
  for (const char* path : {file.c_str(), "C:\\Work\\link.bin", "C:\\Work\\missing.bin"}) {
    EXPECT_FALSE(OverwriteFile(machine.platform().files, path, 1, [] { return std::uint8_t{0}; })) << path;
  }
  EXPECT_EQ(machine.ReadFile("C:\\Work\\a.txt"), std::string(10, 'x'));
  EXPECT_TRUE(DeleteOneFile(Worker(RunKind::AutomaticClean, {.IsWipeFile = true, .WipeNumber = 3}), file, true));
  EXPECT_EQ(machine.ReadFile(twin), std::string(10000, '\t')) << "the other name keeps its data";
  EXPECT_FALSE(Exists(file));
}

// A stop request ends a wipe between blocks; the file stays, and is not counted.
TEST_F(DeletionPrimitivesTest, AStoppedWipeKeepsTheFile) {
  const std::string file = "C:\\Work\\big.bin";
  machine.WriteFile(file, std::string(5 * 4096, 'x'));
  int blocks = 0;
  EXPECT_TRUE(OverwriteFile(machine.platform().files, file, 3, [] { return std::uint8_t{'w'}; },
                            [&] { return ++blocks > 2; }));
  EXPECT_EQ(machine.ReadFile(file), std::string(2 * 4096, 'w') + std::string(3 * 4096, 'x'));
  RunContext& w = Worker(RunKind::AutomaticClean, {.IsWipeFile = true, .WipeNumber = 3});
  stop.request_stop();
  EXPECT_FALSE(DeleteOneFile(w, file, true));
  EXPECT_TRUE(Exists(file));
}

TEST_F(DeletionPrimitivesTest, ScrollingProgressAndStopAreThrottledAsTheRunExpects) {
  const auto make_many = [&] {
    for (int i = 0; i < 56; ++i) machine.WriteFile("C:\\Many\\f" + std::to_string(100 + i), "");
  };
  for (const auto& [kind, scrolled] : {std::pair{RunKind::Test, std::vector<std::size_t>{50}},
                                       std::pair{RunKind::AutomaticClean, std::vector<std::size_t>{25, 50}}}) {
    make_many();
    reporter.Clear();
    std::uint32_t counter = 0;
    DeleteFolderContents(Worker(kind, logged), "C:\\Many", false, true, "", counter);
    EXPECT_EQ(reporter.scrolled_at(), scrolled);
  }
  reporter.Clear();
  std::uint32_t counter = 0;
  DeleteFolderContents(Worker(RunKind::Test), "C:\\Work", false, true, "", counter);  // fast mode
  EXPECT_TRUE(reporter.lines().empty() && reporter.scrolled_at().empty());

  RunContext& w = Worker(RunKind::Test, {}, 100);
  for (const auto step : {2000ms, 1ms, 2000ms, 1ms, 5000ms}) {
    now += step;
    w.ReportWalkProgress(static_cast<std::uint32_t>(step.count()));
  }
  EXPECT_EQ(reporter.progress(), (std::vector<std::uint32_t>{101, 101, 5100}));

  // A stop request (here from the clock a counted file reads) ends the walk after that file.
  make_many();
  RunContext& clean = Worker(RunKind::AutomaticClean);
  stop_on_clock = true;
  counter = 0;
  DeleteFolderContents(clean, "C:\\Many", true, true, "", counter);
  EXPECT_EQ(counter, 1u);
  EXPECT_TRUE(!Exists("C:\\Many\\f100") && Exists("C:\\Many\\f101"));
  EXPECT_EQ(DeleteFolderContents(Worker(RunKind::Test), "C:\\Work", false, true, "", counter), 0);
}

}  // namespace
}  // namespace norvik::cleaning
