// Sprite: the walk towards a target, the one arrival notice per target, the footsteps it paints
// on the ground and the billboard's size by unit type.
#include "objects/Sprite.h"

#include <gtest/gtest.h>

#include "objects/UnitType.h"
#include "statemachine/Message.h"
#include "tests/support/Battlefield.h"
#include "tests/terrain/TestMaps.h"

namespace {

class SpriteTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
    walker = AddRecorder("Soldier 0", UnitType::Soldier, Team::Red, Vector3(0, 0, 0));
    sprite = walker->GetOwner()->GetSprite();
  }

  int Arrivals() const { return walker->Count(MSG_Arrived); }

  RecordingSM* walker = nullptr;
  Sprite* sprite = nullptr;
};

// Speed 3 and 0.1 s updates: 0.3 per step, so after three steps 0.1 is left; the fourth update
// starts within 0.2, reports the arrival and does not move. Later updates report nothing more.
TEST_F(SpriteTest, WalksInWholeStepsAndReportsTheArrivalOnceWithoutMoving) {
  sprite->SetTarget(Vector3(0, 0, 1), true);
  for (float expected : {0.3f, 0.6f, 0.9f}) {
    sprite->Update(0.1f);
    EXPECT_FLOAT_EQ(expected, sprite->position.z);
    EXPECT_EQ(0, Arrivals());
  }
  for (int update = 0; update < 3; ++update) {
    sprite->Update(0.1f);
    EXPECT_FLOAT_EQ(0.9f, sprite->position.z);
    EXPECT_EQ(0.0f, sprite->position.x);
  }
  EXPECT_EQ(1, Arrivals());
}

TEST_F(SpriteTest, TargetWithinArrivalDistanceIsReportedAtOnceAndAgainAfterANewTarget) {
  sprite->SetTarget(Vector3(0.15f, 0, 0), true);
  sprite->Update(0.1f);
  EXPECT_EQ(0.0f, sprite->position.x);
  EXPECT_EQ(1, Arrivals());
  sprite->SetTarget(Vector3(0.15f, 0, 0), true);
  sprite->Update(0.1f);
  EXPECT_EQ(2, Arrivals());
  EXPECT_EQ(0.0f, sprite->position.x);
}

TEST_F(SpriteTest, ArrivalWithoutNotificationIsNeverReported) {
  sprite->SetTarget(Vector3(0.1f, 0, 0), false);
  sprite->Update(0.1f);
  sprite->Update(0.1f);
  EXPECT_EQ(0, Arrivals());
  EXPECT_TRUE(sprite->arrivalPending);
}

// A step is not cut short at the target: 1.3 units towards a target 1.0 away ends 0.3 beyond it,
// and the next step walks back.
TEST_F(SpriteTest, LongStepOvershootsAndWalksBack) {
  sprite->speed = 1.0f;
  sprite->SetTarget(Vector3(1, 0, 0), true);
  sprite->Update(1.3f);
  EXPECT_FLOAT_EQ(1.3f, sprite->position.x);
  sprite->Update(0.25f);
  EXPECT_FLOAT_EQ(1.05f, sprite->position.x);
  EXPECT_EQ(0, Arrivals());
  sprite->Update(0.25f);
  EXPECT_FLOAT_EQ(1.05f, sprite->position.x);
  EXPECT_EQ(1, Arrivals());
}

// Coordinates are cut towards zero: at (-2.5, 3.7) the cell (-2, 3) turns green, not (-3, 3).
TEST_F(SpriteTest, PaintsTheCellUnderItGreenOnEveryUpdate) {
  const testmaps::Colour green{0.0f, 1.0f, 0.0f};
  sprite->position = Vector3(-2.5f, 0, 3.7f);
  sprite->SetTarget(sprite->position, false);
  sprite->Update(0.1f);
  EXPECT_EQ(green, testmaps::ColourAt(battle->terrain, -2, 3));
  EXPECT_NE(green, testmaps::ColourAt(battle->terrain, -3, 3));
  EXPECT_NE(green, testmaps::ColourAt(battle->terrain, -2, 4));
}

TEST_F(SpriteTest, PaintsNothingWithFootstepsSwitchedOff) {
  battle->paintFootsteps = false;
  const testmaps::Colour before = testmaps::ColourAt(battle->terrain, -2, 3);
  sprite->position = Vector3(-2.5f, 0, 3.7f);
  sprite->Update(0.1f);
  EXPECT_EQ(before, testmaps::ColourAt(battle->terrain, -2, 3));
}

// The quad is twice the half size wide and high: 1.7 for a General, 1.6 for a squad leader.
TEST_F(SpriteTest, BillboardSizeFollowsTheOwnersType) {
  const struct {
    int type;
    float halfSize;
  } sizes[] = {{UnitType::Soldier, 0.5f},  {UnitType::Archer, 0.5f}, {UnitType::Berserker, 0.6f},
               {UnitType::SquadLeader, 0.8f}, {UnitType::General, 0.85f}, {UnitType::Blood, 0.5f},
               {UnitType::Arrow, 0.5f}};
  for (const auto& size : sizes) {
    GameObject* unit = AddBare("Unit " + std::to_string(size.type), size.type, Team::Blue, Vector3(0, 0, 0));
    EXPECT_EQ(size.halfSize, unit->GetSprite()->halfSize) << "type " << size.type;
  }
}

}  // namespace
