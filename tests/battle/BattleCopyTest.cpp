// A copied battlefield plays on exactly as the original, from the middle of a battle and from the
// step in which one battle ended and the next army was raised; a scripted side cannot be copied.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "tests/support/Battlefield.h"

namespace {

constexpr std::uint32_t kStepMs = 50;

class BattleCopyTest : public Battlefield {
 protected:
  // Steps the original and the copy alike and compares them after every step.
  void ExpectTwins(Battle& copy, int steps) {
    std::uint32_t copyMs = elapsedMs;
    for (int i = 0; i < steps; ++i) {
      StepFrame(kStepMs);
      copyMs += kStepMs;
      copy.timer.TickTo(copyMs);
      copy.RunSimulationStep();
      ASSERT_EQ(BattleFingerprint::Of(copy), BattleFingerprint::Of(*battle)) << "step " << i;
    }
  }
};

TEST_F(BattleCopyTest, ACopyPlaysOnAsTheOriginalAfterTheOriginalIsGone) {
  battle->StartBattle();
  StepFrames(900, kStepMs);
  std::unique_ptr<Battle> copy = battle->Copy();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(BattleFingerprint::Of(*copy), BattleFingerprint::Of(*battle));
  ExpectTwins(*copy, 200);

  // A copy of the copy, its original destroyed, against the battle played on.
  std::unique_ptr<Battle> second = copy->Copy();
  ASSERT_NE(second, nullptr);
  copy.reset();
  ExpectTwins(*second, 200);
}

// The next army stands registered in nothing yet, the old one is being removed, and the old
// names still find old units.
TEST_F(BattleCopyTest, ACopyTakenAsTheNextBattleBeginsPlaysItAlike) {
  battle->StartBattle();
  while (battle->BattlesStarted() < 2) StepFrame(kStepMs);
  ASSERT_GT(battle->objects->PendingCount(), 0u);
  std::unique_ptr<Battle> copy = battle->Copy();
  ASSERT_NE(copy, nullptr);
  ExpectTwins(*copy, 1200);
}

TEST_F(BattleCopyTest, AScriptedSideCannotBeCopied) {
  Scenario scripted;
  scripted.armies[0].general = "strategies/builtin.lua";
  Rebuild(scripted);
  battle->StartBattle();
  EXPECT_EQ(battle->Copy(), nullptr);
}

}  // namespace
