// The frame clock on the tick counter: seconds since construction and a delta that is never 0.
#include <gtest/gtest.h>

#include "platform/TickCounter.h"
#include "platform/Timer.h"

namespace {
class Timer : public ::testing::Test {
 protected:
  void TearDown() override { TickCounter::UseClock(); }
};

TEST_F(Timer, StartsAtZero) {
  TickCounter::UseManual(1000);
  ::Timer timer;
  EXPECT_EQ(timer.startTick, 1000u);
  EXPECT_EQ(timer.now, 0.0f);
  EXPECT_EQ(timer.delta, 0.001f);
}

TEST_F(Timer, TickGivesSecondsSinceConstructionAndFrameDelta) {
  TickCounter::UseManual(1000);
  ::Timer timer;
  TickCounter::Advance(250);
  timer.Tick();
  EXPECT_EQ(timer.now, 0.25f);
  EXPECT_EQ(timer.delta, 0.25f);
  TickCounter::Advance(16);
  timer.Tick();
  EXPECT_EQ(timer.now, 0.266f);
  EXPECT_EQ(timer.delta, 0.266f - 0.25f);
}

TEST_F(Timer, TwoTicksInOneMillisecondGiveSmallestDelta) {
  TickCounter::UseManual(1000);
  ::Timer timer;
  TickCounter::Advance(40);
  timer.Tick();
  timer.Tick();
  EXPECT_EQ(timer.now, 0.04f);
  EXPECT_EQ(timer.delta, 0.001f);
}

TEST_F(Timer, CounterWrapStillGivesTrueElapsedTime) {
  TickCounter::UseManual(0xFFFFFF00u);
  ::Timer timer;
  TickCounter::Advance(0x100 + 500);  // wraps past zero to 500
  ASSERT_EQ(TickCounter::Now(), 500u);
  timer.Tick();
  EXPECT_EQ(timer.now, 0.756f);
  EXPECT_EQ(timer.delta, 0.756f);
}

}  // namespace
