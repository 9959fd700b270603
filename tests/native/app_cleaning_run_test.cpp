#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "fakes/main_window_view.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_system.h"

namespace norvik::app {
namespace {

using Lines = std::vector<std::string>;
using cleaning::RunContext;
using core::NodeId;


// One program start, and a message loop the test turns by hand.
struct Session : FakeSession {
  explicit Session(platform::sim::SimMachine& m) : FakeSession(m.platform()), page(window.cleaner()) { Start(); }
  void Tick(const std::string& name) {
    for (NodeId id = 0; id < page.CleanItems().tree().size(); ++id) {
      if (page.CleanItems().Name(id) == name) return page.TreeMouseDown(id, TreeHit::StateIcon);
    }
    ADD_FAILURE() << "no item " << name;
  }
  // What the window's thread does between user actions: the run-event timer and the
  // posted messages, until `done` holds.
  template <typename Done>
  void PumpUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the run did not finish";
      if (cleaner.run_event_timer) page.DrainRunEvents();
      while (delivered < cleaner.posted.size()) {
        const unsigned message = cleaner.posted[delivered];
        const auto wparam = cleaner.posted_wparams[delivered++];
        if (message == kWmCleanProgress) page.CleanProgressMessage(wparam);
        if (message == kWmCleanDone) page.CleanDoneMessage(wparam);
        if (message == kWmCleanPrepared) page.CleanPreparedMessage();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void PumpUntilIdle() {
    PumpUntil([&] { return !page.RunBusy() && delivered == cleaner.posted.size(); });
  }

  CleanerPage& page;
  std::size_t delivered = 0;
};

// A cleaner that counts twelve entries of 1500 KB, deleting only outside a test.
struct Counter {
  std::atomic<int> tests{0}, cleans{0};
  std::atomic<bool> fast_scan_seen{false};
  void operator()(RunContext& w) {
    (w.IsTest() ? tests : cleans)++;
    fast_scan_seen = w.options().FastScan;
    w.ItemCount += 12;
    w.SetItemSize(1500 * 1024);
  }
};

class CleaningRunTest : public ::testing::Test {
 protected:
  platform::sim::SimMachine machine;
};

// The detail lines and counts of a real Test and Clean are the GUI suite's
// (CleaningRunTest.TestChangesNothingAndCleanRemovesAllButWhatIsInUseOrKept); here an
// item without a cleaner, the progress after each item, and the Clean's invisible
// counting pass that keeps the user's fast mode.
TEST_F(CleaningRunTest, TestCountsEachItemAndCleanCountsInvisiblyFirst) {
  Session r(machine);
  Counter counter;
  r.page.Cleaners().Register("Windows - Clipboard", std::ref(counter));
  r.Tick("Windows - Start Run");  // no cleaner registered: finds nothing
  r.Tick("Windows - Clipboard");
  r.store.settings().FastScan = false;
  r.page.TestClick();
  EXPECT_EQ(r.cleaner.test_caption, "Cancel");
  EXPECT_TRUE(r.cleaner.timer1) << "a visible test animates the bar";
  r.PumpUntilIdle();
  EXPECT_EQ(Lines(r.cleaner.log.begin(), r.cleaner.log.begin() + 3),
            (Lines{"Test: Clearing Windows - Start Run ...", "", "0 items will be removed; 0 KB will be removed."}));
  Lines progress;
  for (std::size_t i = 0; i < r.cleaner.posted.size(); ++i) {
    if (r.cleaner.posted[i] == kWmCleanProgress) progress.push_back(std::to_string(r.cleaner.posted_wparams[i]));
  }
  EXPECT_EQ(progress, (Lines{"0", "12"}));
  EXPECT_EQ(r.cleaner.test_caption, "Test");
  EXPECT_FALSE(r.cleaner.timer1 || r.cleaner.run_event_timer);
  EXPECT_EQ(r.cleaner.extent_fits, 1);

  r.cleaner.bar_captions.clear();
  r.page.CleanClick();
  EXPECT_EQ(r.cleaner.ask_delete_shown, 1);
  EXPECT_EQ(r.cleaner.log_color, r.cleaner.log_background) << "the counting pass writes invisibly";
  EXPECT_FALSE(r.cleaner.timer1);
  r.PumpUntilIdle();
  EXPECT_EQ(counter.tests, 2);
  EXPECT_EQ(counter.cleans, 1);
  EXPECT_TRUE(counter.fast_scan_seen == false) << "the real clean runs with the user's fast mode";
  EXPECT_FALSE(r.store.settings().FastScan);
  EXPECT_EQ(r.cleaner.log_color, 0x000000u);
  EXPECT_EQ(r.cleaner.log.front(), "Clean: Clearing Windows - Start Run ...");
  // The percentage at the start and after each item.
  EXPECT_EQ(r.cleaner.bar_captions, (Lines{"Prepare to clean...", "0%", "0%", "100%", "Finished!"}));
  EXPECT_EQ(r.cleaner.ask_delete_shown, 1) << "the prepared clean does not ask again";
}

// What the user confirmed is what is cleaned: an item ticked during the counting pass
// waits; a Clean clicked during a Test neither asks nor starts.
TEST_F(CleaningRunTest, TheCleanRunsTheItemsItsCountingPassCountedAndNothingDuringATest) {
  Session r(machine);
  std::atomic<bool> release{false};
  Counter counter, late;
  r.page.Cleaners().Register("Windows - Start Run", [&](RunContext& w) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    counter(w);
  });
  r.page.Cleaners().Register("Windows - Clipboard", std::ref(late));
  r.Tick("Windows - Start Run");
  r.page.TestClick();
  r.page.CleanClick();
  EXPECT_EQ(r.cleaner.ask_delete_shown, 0);
  EXPECT_EQ(r.page.RunMode(), cleaning::RunKind::Test);
  release = true;
  r.PumpUntilIdle();
  EXPECT_EQ(counter.tests, 1);
  EXPECT_EQ(counter.cleans, 0);

  release = false;
  r.page.CleanClick();
  r.Tick("Windows - Clipboard");
  release = true;
  r.PumpUntilIdle();
  EXPECT_EQ(counter.cleans, 1);
  EXPECT_EQ(late.tests + late.cleans, 0);
}

// A flood of log lines reaches the list a slice per timer tick, never all in one go.
TEST_F(CleaningRunTest, EachDrainOfTheRunsReportsIsBoundedInTime) {
  Session r(machine);
  std::atomic<bool> written{false};
  r.page.Cleaners().Register("Windows - Start Run", [&](RunContext& w) {
    for (int i = 0; i < 5000; ++i) w.AppendLine("line " + std::to_string(i));
    written = true;
  });
  r.Tick("Windows - Start Run");
  r.page.TestClick();
  while (!written) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  r.cleaner.append_time = CleanerPage::kDrainBudget + std::chrono::milliseconds(5);
  r.page.DrainRunEvents();
  EXPECT_GT(r.cleaner.log.size(), 0u);
  EXPECT_LT(r.cleaner.log.size(), 1000u);
  r.cleaner.append_time = {};
  r.PumpUntilIdle();
  ASSERT_EQ(r.cleaner.log.size(), 5007u);
  EXPECT_EQ(r.cleaner.log[5000], "line 4999");
}

TEST_F(CleaningRunTest, RefusedConfirmationAndMissingTicksStartNothing) {
  Session r(machine);
  r.page.TestClick();
  r.page.CleanClick();
  EXPECT_EQ(r.view.infos, (Lines(2, std::string(kNothingSelectedMessage))));

  r.Tick("Windows - Start Run");
  r.cleaner.log = {"earlier line"};
  r.cleaner.ask_delete_answer = false;
  r.page.CleanClick();
  EXPECT_FALSE(r.page.RunBusy());
  EXPECT_EQ(r.cleaner.log, Lines{"earlier line"});
  EXPECT_FALSE(r.cleaner.bar_visible);
  EXPECT_EQ(r.cleaner.test_caption, "Test");

  // "Don't show me this message again" is kept at once.
  r.page.AskDeleteCheckClick(true);
  EXPECT_FALSE(r.store.settings().IsAskBeforeClear);
}

TEST_F(CleaningRunTest, OpenBrowsersStopACleanButNotATest) {
  Session r(machine);
  r.Tick("Mozilla Firefox - Cookies");
  machine.system().SetWindowClassRunning("MozillaWindowClass", true);
  r.page.CleanClick();
  EXPECT_EQ(r.view.infos, Lines{std::string(kCloseFirefoxMessage)});
  EXPECT_FALSE(r.page.RunBusy());
  // A "/Clear" run has nobody to close the browser: skipped without a box to wait on.
  r.page.SetClearSwitch(true);
  r.page.AutomaticClean();
  EXPECT_EQ(r.view.infos.size(), 1u);
  EXPECT_FALSE(r.page.RunBusy());
  r.page.SetClearSwitch(false);
  r.page.TestClick();
  EXPECT_TRUE(r.page.RunBusy());
  r.PumpUntilIdle();
}

TEST_F(CleaningRunTest, CancelledPreparationLeavesALaterTestVisibleAndHarmless) {
  Session r(machine);
  std::atomic<bool> entered{false};
  std::atomic<int> deletes{0};
  r.page.Cleaners().Register("Windows - Start Run", [&](RunContext& w) {
    entered = true;
    if (!w.IsTest()) deletes++;
    while (!w.Stopped() && w.IsTest() && w.options().FastScan) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // a long counting pass
    }
  });
  r.Tick("Windows - Start Run");
  r.store.settings().FastScan = false;
  r.page.CleanClick();
  r.PumpUntil([&] { return entered.load(); });
  r.page.TestClick();  // "Cancel"
  EXPECT_EQ(r.cleaner.test_caption, "Test");
  EXPECT_FALSE(r.store.settings().FastScan) << "the user's fast mode is never changed";
  EXPECT_EQ(r.cleaner.log_color, 0x000000u) << "log visible again";

  r.page.TestClick();
  EXPECT_EQ(r.page.RunMode(), cleaning::RunKind::Test);
  r.PumpUntilIdle();
  EXPECT_EQ(r.cleaner.bar_caption, "Finished!");
  EXPECT_EQ(deletes, 0);
  EXPECT_EQ(r.cleaner.log.front(), "Test: Clearing Windows - Start Run ...");
}

TEST_F(CleaningRunTest, AFailingCleanerIsLoggedAndTheRunGoesOn) {
  Session r(machine);
  Counter counter;
  r.page.Cleaners().Register("Windows - Start Run", [](RunContext& w) {
    w.ItemCount = 2;
    if (w.AskYesNo("Go on?")) w.ShowMessage("Told you.");
    throw std::runtime_error("Access denied");
  });
  r.page.Cleaners().Register("Windows - Clipboard", std::ref(counter));
  r.Tick("Windows - Start Run");
  r.Tick("Windows - Clipboard");
  r.view.answer_yes = true;
  r.page.TestClick();
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.questions, Lines{"Go on?"});
  EXPECT_EQ(r.view.plain_messages, Lines{"Told you."});
  ASSERT_GE(r.cleaner.log.size(), 6u);
  EXPECT_EQ(Lines(r.cleaner.log.begin(), r.cleaner.log.begin() + 5),
            (Lines{"Test: Clearing Windows - Start Run ...", "Error: Access denied", "",
                   "2 items will be removed; 0 KB will be removed.", ""}));
  EXPECT_EQ(r.cleaner.log[r.cleaner.log.size() - 2], "Total items will be removed = 14 ; Total files will be removed = 1,500 KB");
  EXPECT_EQ(r.cleaner.bar_caption, "Finished!");
}

// A "/Clear" run is hidden and ends by itself: a question (a drive root in the user's
// list) gets No, the default button, without a box, and a message is not shown.
TEST_F(CleaningRunTest, AClearRunAsksNothingAndAnswersNo) {
  Session r(machine);
  std::atomic<int> answers_yes{0};
  r.page.Cleaners().Register("Windows - Start Run", [&](RunContext& w) {
    if (w.AskYesNo("Do you want to delete all files and folders under C:\\?")) answers_yes++;
    w.ShowMessage("Told you.");
  });
  r.Tick("Windows - Start Run");
  r.view.answer_yes = true;
  r.page.SetClearSwitch(true);
  r.page.AutomaticClean();
  r.PumpUntilIdle();
  EXPECT_EQ(answers_yes, 0);
  EXPECT_TRUE(r.view.questions.empty() && r.view.plain_messages.empty());
}

}  // namespace
}  // namespace norvik::app
