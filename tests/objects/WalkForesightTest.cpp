// The walks worked out on the second thread: taken where the sprite starts from the very start they
// were worked out from, and then the walk the sprite would have taken itself.
#include "objects/WalkForesight.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"

namespace {

class WalkForesightTest : public Battlefield {
 protected:
  static constexpr std::size_t kCount = WalkForesight::kFewestObjects;
  static constexpr float kDt = 0.016f;

  static WalkStart StartOf(std::size_t index) {
    const float x = static_cast<float>(index % 40);
    return {Vector3(x, 0.0f, 3.0f), x + 5.0f, 8.0f, Sprite::kWalkingSpeed, true};
  }

  // The second thread works as the processors let it: the last walk of the step is waited for.
  static bool AwaitLast(WalkForesight& foresight) {
    WalkEnd end;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!foresight.Take(kCount - 1, StartOf(kCount - 1), end)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::yield();
    }
    return true;
  }
};

TEST_F(WalkForesightTest, TakesTheSpritesOwnWalkOnlyFromTheStartItWasWorkedOutFrom) {
  UseFlatTerrain(64);
  WalkForesight foresight(battle->terrain);
  foresight.BeginStep(kCount, kDt);
  for (std::size_t i = 0; i < kCount; ++i) foresight.Record(i, StartOf(i));
  foresight.EndStep(kCount);
  foresight.BeginStep(kCount, kDt);
  ASSERT_TRUE(AwaitLast(foresight));

  const std::size_t index = kCount / 2;
  WalkEnd end;
  ASSERT_TRUE(foresight.Take(index, StartOf(index), end));
  const WalkEnd own = Sprite::Walk(StartOf(index), kDt, battle->terrain);
  EXPECT_EQ(own.position, end.position);
  EXPECT_EQ(own.arrived, end.arrived);

  WalkStart turned = StartOf(index + 1);
  turned.targetZ = -8.0f;
  EXPECT_FALSE(foresight.Take(index + 1, turned, end)) << "the sprite turned after the walk was worked out";
  WalkStart negativeZero = StartOf(index + 2);
  negativeZero.position.y = -0.0f;
  EXPECT_FALSE(foresight.Take(index + 2, negativeZero, end)) << "-0 is not the start 0 was";
  EXPECT_FALSE(foresight.Take(kCount, StartOf(kCount), end)) << "nothing was recorded there";
  foresight.EndStep(kCount);
  foresight.BeginStep(kCount, kDt);
  EXPECT_FALSE(foresight.Take(index, StartOf(index), end)) << "nothing was recorded for this step";
}

// The arrival notice is sent by the sprite's own update, in order, never skipped by a walk taken
// from the second thread: a leader waiting for it would otherwise wait for ever.
TEST_F(WalkForesightTest, AForeseenWalkThatWouldSendTheArrivalNoticeIsLeftToTheSprite) {
  UseFlatTerrain(64);
  RecordingSM* recorder = AddRecorder("Soldier 1", UnitType::Soldier, Team::Red, Vector3(3.0f, 0.0f, 3.0f));
  Sprite& sprite = *objects().Find("Soldier 1")->GetSprite();
  sprite.SetTarget(Vector3(3.1f, 0.0f, 3.0f), true);
  const WalkStart start = sprite.Start();
  WalkForesight foresight(battle->terrain);
  foresight.BeginStep(kCount, kDt);
  // The thread starts a little ahead of the update: the sprite stands in the middle of the order.
  const std::size_t index = kCount / 2;
  for (std::size_t i = 0; i < kCount; ++i) foresight.Record(i, i == index ? start : StartOf(i));
  foresight.EndStep(kCount);
  foresight.BeginStep(kCount, kDt);
  ASSERT_TRUE(AwaitLast(foresight));
  WalkEnd end;
  ASSERT_TRUE(foresight.Take(index, start, end));
  ASSERT_TRUE(end.arrived);

  EXPECT_FALSE(sprite.TakeWalk(end));
  sprite.Update(kDt);
  StepObjectsAndMessages(0);
  EXPECT_EQ(1, recorder->Count(MSG_Arrived));
  foresight.EndStep(kCount);
}

}  // namespace
