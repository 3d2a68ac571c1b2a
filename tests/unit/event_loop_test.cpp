#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/paths.h"

namespace {

constexpr unsigned kPeriod = 20;

// Pumps the loop until the condition holds or about five seconds have passed.
template <typename Condition>
bool PumpUntil(Condition done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    platform::SleepMilliseconds(10);
    platform::ProcessPendingMessages();
  }
  return done();
}

class EventLoopTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::ProcessPendingMessages();  // posted leftovers of the test
    platform::ClearTerminationRequestForTesting();
  }
};

TEST_F(EventLoopTest, EnabledTimerTicksUntilDisabled) {
  int ticks = 0;
  platform::Timer timer(kPeriod, [&] { ++ticks; });
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));

  timer.SetEnabled(false);
  const int atDisable = ticks;
  platform::SleepMilliseconds(kPeriod * 4);
  platform::ProcessPendingMessages();
  EXPECT_EQ(ticks, atDisable);
}

TEST_F(EventLoopTest, TimerLoadedDisabledNeverTicks) {
  int ticks = 0;
  platform::Timer timer(kPeriod, [&] { ++ticks; });
  platform::SleepMilliseconds(kPeriod * 4);
  platform::ProcessPendingMessages();
  EXPECT_EQ(ticks, 0);
}

TEST_F(EventLoopTest, UnchangedIntervalDoesNotRestartThePeriod) {
  int ticks = 0;
  platform::Timer timer(100, [&] { ++ticks; });
  timer.SetEnabled(true);
  platform::SleepMilliseconds(60);
  timer.SetInterval(100);  // same value: the running period goes on
  platform::SleepMilliseconds(60);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
  EXPECT_EQ(timer.Interval(), 100u);
  timer.SetInterval(40);
  EXPECT_EQ(timer.Interval(), 40u);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
}

// A tick that pumps the loop while its own period elapses (as a modal box does) must not
// start a second tick inside itself; the skipped tick is not made up for later.
TEST_F(EventLoopTest, TickDoesNotStartWhileAnotherRuns) {
  int ticks = 0;
  int depth = 0;
  int deepest = 0;
  platform::Timer timer(kPeriod, [&] {
    ++ticks;
    ++depth;
    deepest = std::max(deepest, depth);
    if (ticks == 1) {
      for (int i = 0; i < 5; ++i) {
        platform::SleepMilliseconds(kPeriod * 2);
        platform::ProcessPendingMessages();
      }
    }
    --depth;
  });
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(deepest, 1);
  EXPECT_FALSE(timer.TickRunning());
}

TEST_F(EventLoopTest, TerminationRequestLetsTheHandlerFinishAndEndsTheLoop) {
  std::vector<std::string> steps;
  int ticks = 0;
  platform::Timer timer(kPeriod, [&] {
    if (++ticks == 3) {
      platform::RequestTermination();
      EXPECT_TRUE(platform::TerminationRequested());
      steps.push_back("after request");
    }
  });
  timer.SetEnabled(true);
  EXPECT_EQ(platform::RunEventLoop(), 0);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(steps, std::vector<std::string>{"after request"});
  EXPECT_FALSE(platform::TerminationRequested());
}

TEST_F(EventLoopTest, RequestBeforeTheLoopEndsItAtOnce) {
  bool posted = false;
  platform::RequestTermination();
  platform::PostToLoop([&] { posted = true; });
  EXPECT_EQ(platform::RunEventLoop(), 0);
  platform::ProcessPendingMessages();
  EXPECT_TRUE(posted);
}

TEST_F(EventLoopTest, PostedTasksRunLaterInOrder) {
  std::vector<int> order;
  platform::PostToLoop([&] {
    order.push_back(1);
    platform::PostToLoop([&] { order.push_back(3); });
  });
  platform::PostToLoop([&] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  ASSERT_TRUE(PumpUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(EventLoopTest, TerminationSignalRunsTheHandlerOnTheLoopThread) {
  if (platform::kSeparator != L'/') GTEST_SKIP() << "signals reach the headless build only";
  int exits = 0;
  platform::SetTerminationSignalHandler([&] {
    ++exits;
    platform::RequestTermination();
  });
  std::raise(SIGTERM);
  EXPECT_EQ(exits, 0);  // nothing runs inside the signal itself
  EXPECT_EQ(platform::RunEventLoop(), 0);
  EXPECT_EQ(exits, 1);
  std::raise(SIGINT);
  platform::ProcessPendingMessages();
  EXPECT_EQ(exits, 2);
  platform::SetTerminationSignalHandler({});
}

}  // namespace
