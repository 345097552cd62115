// AISM: marching a squad along its path, ending at the goal, without a path, or when an enemy
// squad leader comes within reach.
#include "units/AISM.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "units/SquadLeaderSM.h"

namespace {

class AISMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(64);
  }

  // A formed-up squad leader at `at` with two recording followers.
  void MakeSquad(const Vector3& at) {
    leader = AddBare("SquadLeader 0", UnitType::SquadLeader, Team::Red, at);
    auto machine = std::make_unique<SquadLeaderSM>(leader);
    machine->squadRaised = true;
    machine->formation.SetOrigin(at);
    leaderMachine = machine.get();
    leader->PushMachine(std::move(machine), false);
    for (const char* name : {"F0", "F1"}) {
      followers.push_back(AddRecorder(name, UnitType::Soldier, Team::Red, at));
      leader->subordinates.push_back(name);
    }
  }

  AISM* March(const Vector3& goal) {
    auto machine = std::make_unique<AISM>(leader, goal.x, goal.y, goal.z);
    AISM* raw = machine.get();
    leader->PushMachine(std::move(machine), true);
    return raw;
  }

  AISM* Running() const { return dynamic_cast<AISM*>(leader->TopMachine()); }

  GameObject* leader = nullptr;
  SquadLeaderSM* leaderMachine = nullptr;
  std::vector<RecordingSM*> followers;
};

TEST_F(AISMTest, SingleWaypointIsTurnedToMarchedOntoThenEndsTheMarch) {
  MakeSquad(Vector3(2.3f, 0, 4.6f));
  unsigned slot = 0;
  Vector3 point;
  leaderMachine->formation.ClaimSlot(slot, point);
  March(Vector3(2.7f, 0, 4.9f));
  ASSERT_NE(nullptr, Running());
  ASSERT_EQ(AISM::STATE_RotateInFormation, Running()->GetState());
  EXPECT_EQ(Vector3(2, 0, 4), Running()->CurrentWaypoint());
  EXPECT_TRUE(Running()->Path().empty());
  std::vector<int> states{Running()->GetState()};
  for (int frame = 0; frame < 200 && Running() != nullptr; ++frame) {
    if (states.back() != Running()->GetState()) states.push_back(Running()->GetState());
    if (Running()->GetState() == AISM::STATE_End) {
      EXPECT_EQ(5, Running()->GetChangeCount());
      break;
    }
    StepFrame();
  }
  EXPECT_EQ((std::vector<int>{AISM::STATE_RotateInFormation, AISM::STATE_MarchInFormation, AISM::STATE_End}), states);
  EXPECT_NEAR(2.0f, leader->GetSprite()->position.x, 0.2f);
  EXPECT_NEAR(4.0f, leader->GetSprite()->position.z, 0.2f);
  for (RecordingSM* follower : followers) EXPECT_EQ(1, follower->Count(MSG_DissolveFormation));
  EXPECT_TRUE(leaderMachine->formation.ClaimSlot(slot, point));
  EXPECT_EQ(0u, slot);
}

TEST_F(AISMTest, EndedMarchIsPoppedAtTheNextUpdateAndTheSquadLeaderRestarts) {
  MakeSquad(Vector3(2.3f, 0, 4.6f));
  March(Vector3(2.7f, 0, 4.9f));
  for (int frame = 0; frame < 200 && Running() != nullptr && Running()->GetState() != AISM::STATE_End; ++frame) {
    StepFrame();
  }
  ASSERT_NE(nullptr, Running());
  StepFrame();
  EXPECT_EQ(leaderMachine, leader->TopMachine());
  EXPECT_EQ(1u, leader->MachineCount());
  EXPECT_EQ(SquadLeaderSM::STATE_AttackGeneral, leaderMachine->GetState());
}

// A goal on the map's outermost points, where no route goes, is marched to as near as a route goes.
TEST_F(AISMTest, GoalOnTheEdgeIsMarchedToTheNearestPointARouteReaches) {
  MakeSquad(Vector3(0, 0, 0));
  March(Vector3(31, 0, 0));
  ASSERT_EQ(AISM::STATE_RotateInFormation, Running()->GetState());
  for (int frame = 0; frame < 20000 && Running() != nullptr; ++frame) StepFrame();
  EXPECT_EQ(nullptr, Running());
  EXPECT_NEAR(30.0f, leader->GetSprite()->position.x, 0.2f);
  EXPECT_NEAR(0.0f, leader->GetSprite()->position.z, 0.2f);
}

TEST_F(AISMTest, GoalBeyondTheLongestRouteDissolvesTheSquadAfterHalfASecond) {
  UseFlatTerrain(320);
  MakeSquad(Vector3(-150, 0, 0));
  March(Vector3(150, 0, 0));
  ASSERT_EQ(AISM::STATE_FindPath, Running()->GetState());
  StepFrames(30);
  ASSERT_NE(nullptr, Running());
  EXPECT_EQ(AISM::STATE_FindPath, Running()->GetState());
  EXPECT_EQ(0, followers.front()->Count(MSG_DissolveFormation));
  StepFrames(3);
  EXPECT_EQ(1, followers.front()->Count(MSG_DissolveFormation));
  StepFrame();
  EXPECT_EQ(nullptr, Running());
}

TEST_F(AISMTest, EnemySquadLeaderWithinReachWhileTurningEndsTheMarch) {
  MakeSquad(Vector3(0, 0, 0));
  AddBare("SquadLeader 7", UnitType::SquadLeader, Team::Blue, Vector3(1.5f, 0, 0));
  March(Vector3(10, 0, 0));
  ASSERT_EQ(AISM::STATE_RotateInFormation, Running()->GetState());
  StepFrame();
  ASSERT_NE(nullptr, Running());
  EXPECT_EQ(AISM::STATE_End, Running()->GetState());
  EXPECT_FALSE(Running()->Path().empty());
  EXPECT_EQ(1, followers.back()->Count(MSG_DissolveFormation));
}

TEST_F(AISMTest, EnemySquadLeaderJustOutOfReachLetsTheMarchGoOn) {
  MakeSquad(Vector3(0, 0, 0));
  AddBare("SquadLeader 7", UnitType::SquadLeader, Team::Blue, Vector3(0, 0, 2.5f));
  AddBare("SquadLeader 3", UnitType::SquadLeader, Team::Red, Vector3(1, 0, 0));
  March(Vector3(10, 0, 0));
  StepFrame();
  ASSERT_NE(nullptr, Running());
  EXPECT_NE(AISM::STATE_End, Running()->GetState());
}

// A delayed state change meant for the squad leader below reaches the march on top and may
// send it back to find its path again; the old remainder must not linger behind the new route.
TEST_F(AISMTest, FindingThePathAgainReplacesTheRemainingWaypoints) {
  MakeSquad(Vector3(0, 0, 0));
  March(Vector3(10, 0, 0));
  const std::size_t remaining = Running()->Path().size();
  ASSERT_GT(remaining, 1u);
  battle->router->Send(0.0f, MSG_CHANGE_STATE_DELAYED, leader->name, leader->name, SCOPE_None, 0, DATA_Integer,
                       AISM::STATE_FindPath, false);
  ASSERT_EQ(AISM::STATE_RotateInFormation, Running()->GetState());
  EXPECT_EQ(remaining, Running()->Path().size());
  EXPECT_EQ(Vector3(10, 0, 0), Running()->Path().back());
}

}  // namespace
