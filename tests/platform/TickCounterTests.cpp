// The hand-driven mode of the millisecond tick counter and its return to the clock.
#include <gtest/gtest.h>

#include "platform/TickCounter.h"

TEST(TickCounter, ManualModeMovesOnlyByHandAndWraps) {
  TickCounter::UseManual(0xFFFFFFF0u);
  EXPECT_TRUE(TickCounter::IsManual());
  EXPECT_EQ(TickCounter::Now(), 0xFFFFFFF0u);
  EXPECT_EQ(TickCounter::Now(), 0xFFFFFFF0u);
  TickCounter::Advance(0x20);
  EXPECT_EQ(TickCounter::Now(), 0x10u);
  TickCounter::Set(42);
  EXPECT_EQ(TickCounter::Now(), 42u);
  TickCounter::UseClock();
  EXPECT_FALSE(TickCounter::IsManual());
}
