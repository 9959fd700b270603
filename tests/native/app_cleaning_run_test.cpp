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

const std::string kSeparator(107, '-');

// One program start with a few items ticked, and a message loop the test turns by hand.
struct Session {
  explicit Session(platform::sim::SimMachine& m)
      : machine(m), store(m.platform().ini, m.platform().system), window(m.platform(), store, view, {}) {
    window.FormCreate();
    window.FormShow();
    window.FormActivate();
  }
  void Tick(const std::string& name) {
    for (NodeId id = 0; id < window.CleanItems().tree().size(); ++id) {
      if (window.CleanItems().Name(id) == name) return window.CleanTreeMouseDown(id, TreeHit::StateIcon);
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
      if (view.run_event_timer) window.DrainRunEvents();
      while (delivered < view.posted.size()) {
        const unsigned message = view.posted[delivered];
        const auto wparam = view.posted_wparams[delivered++];
        if (message == kWmCleanProgress) window.CleanProgressMessage(wparam);
        if (message == kWmCleanDone) window.CleanDoneMessage(wparam);
        if (message == kWmCleanPrepared) window.CleanPreparedMessage();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void PumpUntilIdle() {
    PumpUntil([&] { return !window.RunBusy() && delivered == view.posted.size(); });
  }

  platform::sim::SimMachine& machine;
  core::SettingsStore store;
  FakeMainWindowView view;
  MainWindow window;
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

TEST_F(CleaningRunTest, TestThatFindsNothingWritesHeaderResultAndTotals) {
  Session r(machine);
  r.Tick("Windows - Start Run");  // no cleaner registered yet: finds nothing
  r.window.TestClick();
  EXPECT_EQ(r.view.test_caption, "Cancel");
  EXPECT_TRUE(r.view.timer1) << "a visible test animates the bar";
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.log, (Lines{"Test: Clearing Windows - Start Run ...", "",
                               "0 items will be removed; 0 KB will be removed.", "", kSeparator,
                               "Total items will be removed = 0 ; Total files will be removed = 0 KB", kSeparator}));
  EXPECT_EQ(r.view.test_caption, "Test");
  EXPECT_EQ(r.view.bar_caption, "Finished!");
  EXPECT_EQ(r.view.bar_position, 1000);
  EXPECT_FALSE(r.view.timer1);
  EXPECT_FALSE(r.view.run_event_timer);
  EXPECT_EQ(r.view.extent_fits, 1);
}

TEST_F(CleaningRunTest, ItemsAreSeparatedAndCountedIntoTheTotals) {
  Session r(machine);
  Counter counter;
  r.window.Cleaners().Register("Windows - Start Run", std::ref(counter));
  r.window.Cleaners().Register("Windows - Clipboard", std::ref(counter));
  r.Tick("Windows - Start Run");
  r.Tick("Windows - Clipboard");
  r.window.TestClick();
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.log, (Lines{"Test: Clearing Windows - Start Run ...", "",
                               "12 items will be removed; 1,500 KB will be removed.", "", kSeparator,
                               "Test: Clearing Windows - Clipboard ...", "",
                               "12 items will be removed; 1,500 KB will be removed.", "", kSeparator,
                               "Total items will be removed = 24 ; Total files will be removed = 3,000 KB", kSeparator}));
  EXPECT_EQ(counter.tests, 2);
  EXPECT_EQ(counter.cleans, 0);
  // Progress after each item: the running totals.
  Lines progress;
  for (std::size_t i = 0; i < r.view.posted.size(); ++i) {
    if (r.view.posted[i] == kWmCleanProgress) progress.push_back(std::to_string(r.view.posted_wparams[i]));
  }
  EXPECT_EQ(progress, (Lines{"12", "24"}));
}

TEST_F(CleaningRunTest, CleanCountsInvisiblyFirstThenCleansWithAPercentageBar) {
  Session r(machine);
  Counter counter;
  r.window.Cleaners().Register("Windows - Start Run", std::ref(counter));
  r.Tick("Windows - Start Run");
  r.store.settings().FastScan = false;
  r.window.CleanClick();
  EXPECT_EQ(r.view.ask_delete_shown, 1);
  EXPECT_EQ(r.view.log_color, r.view.log_background) << "the counting pass writes invisibly";
  EXPECT_EQ(r.view.bar_caption, "Prepare to clean...");
  EXPECT_FALSE(r.view.timer1);
  r.PumpUntilIdle();
  EXPECT_EQ(counter.tests, 1);
  EXPECT_EQ(counter.cleans, 1);
  EXPECT_TRUE(counter.fast_scan_seen == false) << "the real clean runs with the user's fast mode";
  EXPECT_FALSE(r.store.settings().FastScan);
  EXPECT_EQ(r.view.log_color, 0x000000u);
  EXPECT_EQ(r.view.log.front(), "Clean: Clearing Windows - Start Run ...");
  EXPECT_EQ(r.view.log[2], "12 items to be removed; 1,500 KB to be removed.");
  EXPECT_EQ(r.view.log[5], "Total items to be removed = 12 ; Total files to be removed = 1,500 KB");
  EXPECT_EQ(r.view.bar_captions, (Lines{"Prepare to clean...", "0%", "100%", "Finished!"}));
  EXPECT_EQ(r.view.ask_delete_shown, 1) << "the prepared clean does not ask again";
}

TEST_F(CleaningRunTest, RefusedConfirmationAndMissingTicksStartNothing) {
  Session r(machine);
  r.window.TestClick();
  r.window.CleanClick();
  EXPECT_EQ(r.view.infos, (Lines(2, std::string(kNothingSelectedMessage))));

  r.Tick("Windows - Start Run");
  r.view.log = {"earlier line"};
  r.view.ask_delete_answer = false;
  r.window.CleanClick();
  EXPECT_FALSE(r.window.RunBusy());
  EXPECT_EQ(r.view.log, Lines{"earlier line"});
  EXPECT_FALSE(r.view.bar_visible);
  EXPECT_EQ(r.view.test_caption, "Test");

  // "Don't show me this message again" is kept at once.
  r.window.AskDeleteCheckClick(true);
  EXPECT_FALSE(r.store.settings().IsAskBeforeClear);
}

TEST_F(CleaningRunTest, OpenBrowsersStopACleanButNotATest) {
  Session r(machine);
  r.Tick("Mozilla Firefox - Cookies");
  machine.system().SetWindowClassRunning("MozillaWindowClass", true);
  r.window.CleanClick();
  EXPECT_EQ(r.view.infos, Lines{std::string(kCloseFirefoxMessage)});
  EXPECT_FALSE(r.window.RunBusy());
  r.window.TestClick();
  EXPECT_TRUE(r.window.RunBusy());
  r.PumpUntilIdle();
}

TEST_F(CleaningRunTest, CancelledPreparationLeavesALaterTestVisibleAndHarmless) {
  Session r(machine);
  std::atomic<bool> entered{false};
  std::atomic<int> deletes{0};
  r.window.Cleaners().Register("Windows - Start Run", [&](RunContext& w) {
    entered = true;
    if (!w.IsTest()) deletes++;
    while (!w.Stopped() && w.IsTest() && w.options().FastScan) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // a long counting pass
    }
  });
  r.Tick("Windows - Start Run");
  r.store.settings().FastScan = false;
  r.window.CleanClick();
  r.PumpUntil([&] { return entered.load(); });
  r.window.TestClick();  // "Cancel"
  EXPECT_EQ(r.view.test_caption, "Test");
  EXPECT_FALSE(r.store.settings().FastScan) << "fast mode restored";
  EXPECT_EQ(r.view.log_color, 0x000000u) << "log visible again";

  r.window.TestClick();
  EXPECT_EQ(r.window.RunMode(), cleaning::RunKind::Test);
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.bar_caption, "Finished!");
  EXPECT_EQ(deletes, 0);
  EXPECT_EQ(r.view.log.front(), "Test: Clearing Windows - Start Run ...");
}

TEST_F(CleaningRunTest, CleanDuringATestChangesNothing) {
  Session r(machine);
  std::atomic<bool> release{false};
  r.window.Cleaners().Register("Windows - Start Run", [&](RunContext&) {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  r.Tick("Windows - Start Run");
  r.window.TestClick();
  r.window.CleanClick();
  EXPECT_EQ(r.view.ask_delete_shown, 0);
  EXPECT_EQ(r.window.RunMode(), cleaning::RunKind::Test);
  release = true;
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.log.front(), "Test: Clearing Windows - Start Run ...");
}

TEST_F(CleaningRunTest, AFailingCleanerIsLoggedAndTheRunGoesOn) {
  Session r(machine);
  Counter counter;
  r.window.Cleaners().Register("Windows - Start Run", [](RunContext& w) {
    w.ItemCount = 2;
    if (w.AskYesNo("Go on?")) w.ShowMessage("Told you.");
    throw std::runtime_error("Access denied");
  });
  r.window.Cleaners().Register("Windows - Clipboard", std::ref(counter));
  r.Tick("Windows - Start Run");
  r.Tick("Windows - Clipboard");
  r.view.answer_yes = true;
  r.window.TestClick();
  r.PumpUntilIdle();
  EXPECT_EQ(r.view.questions, Lines{"Go on?"});
  EXPECT_EQ(r.view.plain_messages, Lines{"Told you."});
  ASSERT_GE(r.view.log.size(), 6u);
  EXPECT_EQ(Lines(r.view.log.begin(), r.view.log.begin() + 5),
            (Lines{"Test: Clearing Windows - Start Run ...", "Error: Access denied", "",
                   "2 items will be removed; 0 KB will be removed.", ""}));
  EXPECT_EQ(r.view.log[r.view.log.size() - 2], "Total items will be removed = 14 ; Total files will be removed = 1,500 KB");
  EXPECT_EQ(r.view.bar_caption, "Finished!");
}

}  // namespace
}  // namespace norvik::app
