// The copies kept for jumping back stay within their budget by thinning out (or are not made when
// two would not fit), always keep the battle's start, and a jump starts from the latest one before
// its second.
#include "app/window/BattleCheckpoints.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(BattleCheckpoints, PastTheBudgetEveryOtherGoesAndTheStartStays) {
  const Battle battle;
  const std::size_t each = BattleCheckpoints::ReckonedBytes(battle);
  ASSERT_GT(each, 0u);
  BattleCheckpoints checkpoints(10, each * 4);
  checkpoints.Restart(100);
  for (std::int64_t step = 90; step <= 200; ++step) {
    if (checkpoints.Due(step)) checkpoints.Keep(step, {battle.Copy(), BattleTimeline(), BattleRecorder()});
  }
  // Thinned at 140 to every 20 steps and at 180 to every 40.
  EXPECT_EQ(checkpoints.IntervalSteps(), 40);
  EXPECT_EQ(checkpoints.Count(), 3u);

  std::int64_t from = -1;
  EXPECT_EQ(checkpoints.Before(99, from), nullptr);
  // A step a checkpoint was taken after starts from that one: the battle's start among them.
  ASSERT_NE(checkpoints.Before(100, from), nullptr);
  EXPECT_EQ(from, 100);
  checkpoints.Before(140, from);
  EXPECT_EQ(from, 140);
  ASSERT_NE(checkpoints.Before(139, from), nullptr);
  EXPECT_EQ(from, 100);
  checkpoints.Before(200, from);
  EXPECT_EQ(from, 180);
  checkpoints.ForgetAfter(179);
  checkpoints.Before(200, from);
  EXPECT_EQ(from, 140);
  // The next battle starts again at the interval asked for.
  checkpoints.Restart(300);
  EXPECT_TRUE(checkpoints.Due(310));

  // Where two would not fit, nothing is copied beyond the start.
  BattleCheckpoints tight(10, each + each / 2);
  tight.Restart(0);
  tight.Keep(0, {battle.Copy(), BattleTimeline(), BattleRecorder()});
  EXPECT_FALSE(tight.Due(10));
}
