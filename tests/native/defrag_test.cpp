#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <semaphore>
#include <string>
#include <tuple>
#include <vector>

#include "app/dialogs/hive_progress.h"
#include "defrag/hive_analysis.h"
#include "fakes/main_window_view.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"

namespace norvik::app {
namespace {

namespace fs = std::filesystem;
using defrag::HiveRowTexts;
using Names = std::vector<std::string>;

constexpr const char* kSoftwareFile = "C:\\Windows\\System32\\config\\SOFTWARE";
constexpr const char* kUserFile = "C:\\Users\\user\\NTUSER.DAT";
constexpr const char* kSoftwareHive = "\\REGISTRY\\MACHINE\\SOFTWARE";
const std::string kUserHive = "\\REGISTRY\\USER\\" + std::string(platform::sim::kCurrentUserSid);

class DefragTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;

  // The hive list as Windows keeps it: device paths, and an entry with no file.
  void PlantHives(std::int64_t software, std::int64_t user) {
    auto key = machine.registry().Root(platform::RegRoot::LocalMachine).Create(defrag::kHiveListKey).value();
    ASSERT_TRUE(key.Set("\\REGISTRY\\MACHINE\\HARDWARE", platform::RegValue::String("")));
    ASSERT_TRUE(key.Set(kSoftwareHive, platform::RegValue::String(
                                           "\\Device\\HarddiskVolume1\\Windows\\System32\\config\\SOFTWARE")));
    ASSERT_TRUE(key.Set(kUserHive, platform::RegValue::String("\\Device\\HarddiskVolume1\\Users\\user\\NTUSER.DAT")));
    Resize(kSoftwareFile, software);
    Resize(kUserFile, user);
  }
  // Sparse files: a gigabyte hive costs nothing.
  void Resize(const std::string& path, std::int64_t size) {
    const fs::path host = machine.HostPath(path);
    fs::create_directories(host.parent_path());
    { std::ofstream touch(host, std::ios::app); }
    fs::resize_file(host, static_cast<std::uintmax_t>(size));
  }
  bool Exists(const std::string& path) { return fs::exists(machine.HostPath(path)); }
};

// What an analysis shows over hives and copies of given sizes, with the progress step
// the first copy's speed gives.
TEST_F(DefragTest, AnalysisFiguresOverGivenSizes) {
  struct Case {
    std::int64_t software, software_copy, user, user_copy;
    HiveRowTexts software_row, user_row;
    std::vector<std::string> labels;  // empty: the analysis failed and they stay as they were
    bool low_message;
    std::int64_t first_ms, step, step_wow64;
  };
  const Case cases[] = {
      {40'000'000, 10'000'000, 1'024, 1'025, {"39,063 KB", "9,766 KB", "75%"}, {"1 KB", "2 KB", "0%"},
       {"39,064 KB", "9,767 KB", "29,297 KB", "75.0%"}, false, 0, 40, 17},
      {8'000'000, 7'800'000, 2'000'000, 1'950'000, {"7,813 KB", "7,618 KB", "2%"}, {"1,954 KB", "1,905 KB", "2%"},
       {"9,766 KB", "9,522 KB", "245 KB", "2.5%"}, true, 195'000, 14, 4},
      {8'000'000, 7'760'000, 2'000'000, 1'940'000, {"7,813 KB", "7,579 KB", "3%"}, {"1,954 KB", "1,895 KB", "3%"},
       {"9,766 KB", "9,473 KB", "293 KB", "3.0%"}, false, 38'800, 30, 12},
      {60'000'000, 30'000'000, 40'000'000, 39'000'000, {"58,594 KB", "29,297 KB", "50%"},
       {"39,063 KB", "38,086 KB", "2%"}, {"97,657 KB", "67,383 KB", "30,274 KB", "31.0%"}, false, 2'000, 50, 22},
      // More than before: nothing gained, nothing suggested; an empty hive divides nothing.
      {1'000, 1'050, 0, 0, {"1 KB", "2 KB", "0%"}, {"0 KB", "0 KB", "0%"}, {"1 KB", "2 KB", "0 KB", "0%"}, false,
       30'000, 35, 14},
      {1, 1, 1'048'576'000, 1'048'576'000, {"1 KB", "1 KB", "0%"}, {"1,024,000 KB", "1,024,000 KB", "0%"},
       {"1,024,001 KB", "1,024,001 KB", "0 KB", "0.0%"}, true, 0, 40, 17},
      // A SOFTWARE copy under a quarter of its hive is a failed one.
      {40'000'000, 9'999'999, 1'024, 1'024, {}, {}, {}, false, 0, 40, 17},
  };
  for (const auto& c : cases) {
    const std::string at = std::to_string(c.software) + "/" + std::to_string(c.software_copy);
    PlantHives(c.software, c.user);
    FakeSession s(machine.platform());
    s.others.hive_progress = [&] {
      Resize(defrag::CopyOf(kSoftwareFile), c.software_copy);
      Resize(defrag::CopyOf(kUserFile), c.user_copy);
      return true;
    };
    s.Start();
    ASSERT_EQ(s.others.defrag_rows, (Names{kSoftwareHive, kUserHive})) << "the hive without a file is left out";
    s.window.defrag().AnalyzeRegistryClick();

    const auto& l = s.others.size_labels;
    EXPECT_EQ((l ? Names{l->current_total, l->new_total, l->size_reduction, l->compact_percent} : Names{}), c.labels)
        << at;
    EXPECT_EQ(s.others.defrag_enabled, !c.labels.empty()) << at;
    EXPECT_EQ(s.view.infos, c.labels.empty() ? Names{std::string(kAnalysisFailed)}
                            : c.low_message  ? Names{defrag::LowFragmentationMessage(c.labels[3])} : Names{}) << at;
    if (l) {
      EXPECT_EQ((std::vector{s.others.row_sizes[0], s.others.row_sizes[1]}), (std::vector{c.software_row, c.user_row})) << at;
    }
    EXPECT_EQ((std::vector{defrag::ProgressStep(c.software_copy, c.first_ms, c.software + c.user, false),
                           defrag::ProgressStep(c.software_copy, c.first_ms, c.software + c.user, true)}),
              (std::vector<std::int64_t>{c.step, c.step_wow64})) << at;
  }
}

// Handles the worker's posts at once: the test's thread waits meanwhile, as the dialog's
// thread would between two messages.
struct FakeProgressView : dialogs::HiveProgressView {
  dialogs::HiveProgress* progress = nullptr;
  std::string key_text;
  std::binary_semaphore closed{0};
  void HideDialog() override {}
  void SetBarPosition(int) override {}
  void SetKeyText(std::string_view text) override { key_text = text; }
  void SetTimer(bool) override {}
  void ShowStopping() override {}
  void PostCopyShown(std::size_t i) override { progress->CopyShown(i); }
  void PostCopied(std::int64_t ms, std::size_t done) override { progress->Copied(ms, done); }
  void PostClose() override { closed.release(); }
};

// Saves the test lets go one at a time: the first shows half its copy at once, the
// second shows nothing until it writes part of its copy and fails.
TEST_F(DefragTest, ProgressFollowsASlowCopyCreepsWhileNoneIsThereAndAFailedCopyLeavesNothing) {
  PlantHives(600'000, 400'000);  // a thousand bytes are one unit of the bar
  std::counting_semaphore<2> started{0}, go{0};
  int saves = 0;
  machine.registry().SetFileWriter([&](const std::string& path, const std::string&) {
    const bool first = saves++ == 0;
    if (first) Resize(path, 250'000);
    started.release();
    go.acquire();
    Resize(path, first ? 500'000 : 300'000);
    return first ? platform::Status() : platform::Status(platform::kErrAccessDenied);
  });
  const auto hives = defrag::LoadHiveList(machine.registry(), machine.files(), false);
  WorkerYard yard;
  FakeProgressView view;
  dialogs::HiveProgress progress(view, {machine.platform(), hives, false, false, yard});
  view.progress = &progress;
  progress.FormShow();
  progress.Start();
  started.acquire();
  progress.Tick();
  EXPECT_EQ(progress.Position(), 250) << "the bar follows the copy in work";

  go.release();
  started.acquire();
  ASSERT_EQ(view.key_text, kUserHive);
  EXPECT_EQ(progress.Position(), 600) << "the first hive is done";
  const std::int64_t step = progress.Step();
  EXPECT_TRUE(step >= 10 && step <= 50) << step;
  for (int tick = 0; tick < 60; ++tick) progress.Tick();
  // It creeps on towards the end of the hive in work, but never reaches it before its copy is there.
  EXPECT_TRUE(progress.Position() >= 1000 - step && progress.Position() < 1000) << progress.Position();

  go.release();
  view.closed.acquire();
  // Every hive had its turn; the failed save's part is gone.
  EXPECT_EQ(std::tuple(progress.Finished(), view.key_text, progress.Position(), Exists(defrag::CopyOf(kSoftwareFile)),
                       Exists(defrag::CopyOf(kUserFile))),
            std::tuple(true, "Finish", 1000, true, false));
}

// A copy that is missing or cut short must never become a hive: the compaction then
// replaces nothing, not even the good ones. With whole copies every hive is registered
// and the restart is offered.
TEST_F(DefragTest, NoHiveIsReplacedUnlessEveryCopyIsWhole) {
  PlantHives(40'000, 20'000);
  struct Case { std::int64_t user_copy; bool replaced; };
  for (const Case c : {Case{-1, false}, Case{4'999, false}, Case{5'000, true}}) {
    FakeSession s(machine.platform());
    s.view.answer_yes = true;
    s.others.hive_progress = [&] {
      Resize(defrag::CopyOf(kSoftwareFile), 39'000);
      fs::remove(machine.HostPath(defrag::CopyOf(kUserFile)));
      if (c.user_copy >= 0) Resize(defrag::CopyOf(kUserFile), c.user_copy);
      return true;
    };
    s.Start();
    s.window.defrag().AnalyzeRegistryClick();
    ASSERT_TRUE(s.others.defrag_enabled) << "a user hive's copy is not checked by the analysis";
    s.view.infos.clear();
    s.window.defrag().DefragRegistryClick();

    const auto replaced = machine.registry().hive_replacements();
    if (!c.replaced) {
      EXPECT_TRUE(replaced.empty() && !s.others.defrag_enabled) << c.user_copy;
      EXPECT_EQ(s.view.infos, Names{std::string(kDefragFailed) + kUserHive}) << c.user_copy;
      continue;
    }
    ASSERT_EQ(replaced.size(), 2u);
    EXPECT_EQ(replaced[0].subkey + "|" + replaced[0].new_file + "|" + replaced[0].old_file,
              std::string("SOFTWARE|") + kSoftwareFile + ".fdc|" + kSoftwareFile + ".bak");
    EXPECT_EQ(std::tuple(replaced[1].root, s.view.questions, machine.system().RestartRequests()),
              std::tuple(platform::RegRoot::Users, Names{std::string(kRestartQuestion)}, 1));
    s.window.FormClose();
    EXPECT_FALSE(Exists(defrag::CopyOf(kSoftwareFile))) << "copies go at exit";
  }
}

}  // namespace
}  // namespace norvik::app
