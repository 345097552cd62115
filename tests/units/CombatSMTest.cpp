// CombatSM: closing in on the opponent and holding still within reach.
#include "units/CombatSM.h"

#include <gtest/gtest.h>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"

namespace {

class CombatSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
    archer = battle->Factory().Create(UnitType::Archer, Vector3(0, 0, 0), 0.0f, Team::Red);
    soldier = battle->Factory().Create(UnitType::Soldier, Vector3(15, 0, 0), 0.0f, Team::Blue);
    battle->Engage(archer, soldier);
  }

  // Frames of the engine alone: the duel, which the rules would decide within five seconds, runs
  // on through every walk below; its outcome is not the subject here.
  void Walk(int frames = 1) {
    for (int frame = 0; frame < frames; ++frame) StepObjectsAndMessages(kFrameMs);
  }

  float Distance() const { return (soldier->GetSprite()->position - archer->GetSprite()->position).Length(); }

  GameObject* archer = nullptr;
  GameObject* soldier = nullptr;
};

TEST_F(CombatSMTest, ArcherInReachStaysWhileTheSoldierWalksUp) {
  Walk(20);
  EXPECT_EQ(Vector3(0, 0, 0), archer->GetSprite()->position);
  EXPECT_NEAR(15.0f - 20 * 3.0f * 0.016f, Distance(), 1e-3f);
}

TEST_F(CombatSMTest, SoldierStopsOnceItsOpponentIsWithinItsReach) {
  Walk(400);
  const float stopped = Distance();
  EXPECT_LE(stopped, 2.0f);
  EXPECT_GT(stopped, 2.0f - 3.0f * 0.016f);
  Walk(20);
  EXPECT_EQ(stopped, Distance());
}

TEST_F(CombatSMTest, OpponentMovingAwayIsFollowed) {
  Walk();
  archer->GetSprite()->position = Vector3(0, 0, 10);
  Walk();
  EXPECT_EQ(10.0f, soldier->GetSprite()->target.z);
}

TEST_F(CombatSMTest, UnitKeepsItsLastDestinationWhenTheOpponentIsDeleted) {
  Walk(5);
  const Vector3 last = soldier->GetSprite()->target;
  archer->MarkForRemoval();
  Walk(2);
  ASSERT_EQ(nullptr, battle->objects->Find("Archer 0"));
  EXPECT_EQ(last, soldier->GetSprite()->target);
  Walk(400);
  EXPECT_NEAR(last.x, soldier->GetSprite()->position.x, 0.2f);
}

TEST_F(CombatSMTest, UnitOutOfCombatIsNotSteered) {
  Walk();
  soldier->inCombat = false;
  soldier->GetSprite()->SetTarget(Vector3(20, 0, 5), false);
  Walk();
  EXPECT_EQ(Vector3(20, 0, 5), soldier->GetSprite()->target);
}

}  // namespace
