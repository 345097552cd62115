// ArrowSM: the flight to where the target stood at launch, and the arrow without a target.
#include "units/ArrowSM.h"

#include <gtest/gtest.h>

#include <memory>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"

namespace {

class ArrowSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
  }

  // Built like the factory builds it, but with the target named before the machine starts.
  GameObject* Shoot(const std::string& targetName, const Vector3& from) {
    GameObject* arrow = AddBare("Arrow", UnitType::Arrow, Team::Red, from);
    arrow->targetName = targetName;
    arrow->PushMachine(std::make_unique<ArrowSM>(arrow), true);
    return arrow;
  }
};

TEST_F(ArrowSMTest, ArrowWithoutATargetIsGoneAfterTheNextUpdate) {
  GameObject* arrow = battle->Factory().Create(UnitType::Arrow, Vector3(0, 0, 0), 0.0f, Team::Red);
  EXPECT_TRUE(arrow->removed);
  StepFrame();
  EXPECT_EQ(nullptr, battle->objects->Find("Arrow"));
  EXPECT_EQ(0u, battle->objects->RegisteredCount());
}

TEST_F(ArrowSMTest, ArrowFliesFastToWhereTheTargetStoodAtLaunch) {
  GameObject* target = AddBare("Target", UnitType::Soldier, Team::Blue, Vector3(10, 0, 0));
  GameObject* arrow = Shoot("Target", Vector3(0, 0, 0));
  EXPECT_FLOAT_EQ(20.0f, arrow->GetSprite()->speed);
  target->GetSprite()->position = Vector3(10, 0, 8);
  StepFrames(10);
  EXPECT_NEAR(3.2f, arrow->GetSprite()->position.x, 1e-4f);
  EXPECT_EQ(0.0f, arrow->GetSprite()->position.z);
  EXPECT_EQ(Vector3(10, 0, 0), arrow->GetSprite()->target);
}

TEST_F(ArrowSMTest, ArrowIsRemovedOnArrival) {
  AddBare("Target", UnitType::Soldier, Team::Blue, Vector3(10, 0, 0));
  Shoot("Target", Vector3(0, 0, 0));
  StepFrames(30);
  EXPECT_NE(nullptr, battle->objects->Find("Arrow"));
  StepFrames(5);
  EXPECT_EQ(nullptr, battle->objects->Find("Arrow"));
}

}  // namespace
