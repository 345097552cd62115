// SquadLeaderSM: raising the squad, forming up and reporting, choosing a target, and sending the
// squad into duels.
#include "units/SquadLeaderSM.h"

#include <gtest/gtest.h>

#include <memory>

#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "tests/support/Battlefield.h"
#include "units/FollowerSM.h"

namespace {

class SquadLeaderSMTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    UseFlatTerrain(128);
  }

  // A squad leader whose squad counts as raised (so it raises nobody), started at once.
  SquadLeaderSM* StartRaisedLeader(const std::string& name, int team, const Vector3& at) {
    GameObject* leader = AddBare(name, UnitType::SquadLeader, team, at);
    auto machine = std::make_unique<SquadLeaderSM>(leader);
    machine->squadRaised = true;
    SquadLeaderSM* raw = machine.get();
    leader->PushMachine(std::move(machine), true);
    return raw;
  }

  GameObject* Enemy(int serial, const Vector3& at, int readyFollowers) {
    GameObject* enemy = AddBare("SquadLeader " + std::to_string(serial), UnitType::SquadLeader, Team::Blue, at);
    enemy->readyFollowers = readyFollowers;
    return enemy;
  }

  // A bare squad leader with bare followers named prefix 0, prefix 1, ...
  GameObject* Squad(const std::string& leaderName, const std::string& prefix, int team, int size, float z) {
    GameObject* leader = AddBare(leaderName, UnitType::SquadLeader, team, Vector3(0, 0, z));
    for (int i = 0; i < size; ++i) {
      GameObject* member = AddBare(prefix + std::to_string(i), UnitType::Soldier, team, Vector3(1, 0, z));
      member->SetLeaderName(leaderName);
      leader->subordinates.push_back(member->name);
    }
    return leader;
  }
};

TEST_F(SquadLeaderSMTest, RaisesThirtyNineFollowersInRowsBehindIt) {
  const int memberType = battle->PeekNextMemberType();
  GameObject* leader = battle->Factory().Create(UnitType::SquadLeader, Vector3(10, 0, 20), 0.5f, Team::Blue);
  ASSERT_EQ(39u, leader->subordinates.size());
  EXPECT_EQ(39, leader->readyFollowers);
  for (int k = 0; k < 39; ++k) {
    GameObject* follower = battle->objects->Find(leader->subordinates[k]);
    ASSERT_NE(nullptr, follower);
    EXPECT_EQ(std::string(UnitFactory::Info(memberType).name) + std::to_string(k), follower->name);
    EXPECT_EQ(memberType, follower->unitType);
    EXPECT_EQ(leader->name, follower->GetLeaderName());
    EXPECT_EQ(Team::Blue, follower->team);
    EXPECT_FLOAT_EQ(0.5f, follower->GetSprite()->facing);
    EXPECT_FLOAT_EQ(static_cast<float>(10 + k % 10 - 5), follower->GetSprite()->position.x);
    EXPECT_FLOAT_EQ(static_cast<float>(20 + 2 * (k / 10)), follower->GetSprite()->position.z);
  }
}

TEST_F(SquadLeaderSMTest, RedSquadRowsRunTowardsMinusZ) {
  GameObject* leader = battle->Factory().Create(UnitType::SquadLeader, Vector3(0, 0, 20), 0.0f, Team::Red);
  GameObject* last = battle->objects->Find(leader->subordinates.back());
  EXPECT_FLOAT_EQ(14.0f, last->GetSprite()->position.z);
  EXPECT_FLOAT_EQ(3.0f, last->GetSprite()->position.x);
}

TEST_F(SquadLeaderSMTest, MemberTypesCycleBerserkerArcherSoldier) {
  const int cycle[3] = {UnitType::Berserker, UnitType::Archer, UnitType::Soldier};
  int start = 0;
  while (cycle[start] != battle->PeekNextMemberType()) ++start;
  for (int i = 0; i < 4; ++i) {
    GameObject* leader = battle->Factory().Create(UnitType::SquadLeader, Vector3(0, 0, 0), 0.0f, Team::Red);
    EXPECT_EQ(cycle[(start + i) % 3], SquadLeaderSM::Of(*leader)->memberType);
  }
}

TEST_F(SquadLeaderSMTest, MemberTypeCycleCarriesOverIntoTheNextBattle) {
  const int cycle[3] = {UnitType::Berserker, UnitType::Archer, UnitType::Soldier};
  int start = 0;
  while (cycle[start] != battle->PeekNextMemberType()) ++start;
  battle->StartBattle();
  StepFrame();
  battle->ResetBattle();
  StepFrame();
  for (int serial = 0; serial < 10; ++serial) {
    GameObject* leader = battle->objects->Find("SquadLeader " + std::to_string(serial));
    EXPECT_EQ(cycle[(start + 10 + serial) % 3], SquadLeaderSM::Of(*leader)->memberType) << serial;
  }
}

TEST_F(SquadLeaderSMTest, FormsUpOnSlotZeroAndReportsToItsGeneralAlmostAtOnce) {
  RecordingSM* general = AddRecorder("Boss", UnitType::General, Team::Red, Vector3(0, 0, 30));
  GameObject* leader = battle->Factory().Create(UnitType::SquadLeader, Vector3(4, 0, 20), 0.0f, Team::Red);
  leader->SetLeaderName("Boss");
  SquadLeaderSM* machine = SquadLeaderSM::Of(*leader);
  int frames = 0;
  while (machine->GetState() != SquadLeaderSM::STATE_JoinFormation && frames < 400) {
    StepFrame();
    ++frames;
  }
  ASSERT_EQ(SquadLeaderSM::STATE_JoinFormation, machine->GetState());
  EXPECT_NEAR(5.0f, static_cast<float>(frames * 16) / 1000.0f, 0.02f);
  EXPECT_EQ(0, leader->formationSlot);
  EXPECT_EQ(machine->formation.ShapeId(), leader->formationKind);
  EXPECT_EQ(leader->GetSprite()->position, machine->formation.Origin());
  StepFrame();
  EXPECT_EQ(1, general->Count(MSG_FormationReadyToFight));
  EXPECT_EQ(leader->name, general->received.front().sender);
  GameObject* follower = battle->objects->Find(leader->subordinates.front());
  EXPECT_NE(nullptr, dynamic_cast<FollowerSM*>(follower->TopMachine()));
}

TEST_F(SquadLeaderSMTest, NearestEnemyIsMarchedToWhenBeyondStrikeDistance) {
  Enemy(1, Vector3(0, 0, 50), 10);
  Enemy(2, Vector3(0, 0, 30), 10);
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  EXPECT_EQ(SquadLeaderSM::STATE_JoinFormation, machine->GetState());
  EXPECT_EQ(SquadLeaderSM::OrderMode::MarchToTarget, machine->orderMode);
  EXPECT_EQ(Vector3(0, 0, 30), machine->storedTarget);
}

TEST_F(SquadLeaderSMTest, EnemyWithTwoReadyFollowersIsChosenOnlyIfFirst) {
  Enemy(1, Vector3(0, 0, 50), 0);
  Enemy(2, Vector3(0, 0, 30), 2);
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  EXPECT_EQ(Vector3(0, 0, 50), machine->storedTarget);
}

TEST_F(SquadLeaderSMTest, EnemiesAtEqualDistanceGoToTheLowerSerial) {
  Enemy(4, Vector3(30, 0, 0), 10);
  Enemy(2, Vector3(-30, 0, 0), 10);
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  EXPECT_EQ(Vector3(-30, 0, 0), machine->storedTarget);
}

TEST_F(SquadLeaderSMTest, NoEnemySquadsSendsTheLeaderAfterTheGeneral) {
  AddBare("SquadLeader 3", UnitType::SquadLeader, Team::Red, Vector3(0, 0, 30));
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  EXPECT_EQ(SquadLeaderSM::STATE_AttackGeneral, machine->GetState());
}

TEST_F(SquadLeaderSMTest, LeaderWithNoGeneralToAttackKeepsLookingForOne) {
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  StepFrames(70);
  ASSERT_EQ(SquadLeaderSM::STATE_AttackGeneral, machine->GetState());
  AddBare("General 1", UnitType::General, Team::Blue, Vector3(0, 0, -40));
  StepFrames(70);
  EXPECT_EQ(SquadLeaderSM::STATE_JoinFormation, machine->GetState());
  EXPECT_EQ(Vector3(0, 0, -40), machine->storedTarget);
}

TEST_F(SquadLeaderSMTest, EnemyExactlyTwentyAwayIsNotWithinStrikeDistance) {
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  GameObject* atTwenty = AddBare("X", UnitType::Soldier, Team::Blue, Vector3(12, 0, 16));
  GameObject* nearer = AddBare("Y", UnitType::Soldier, Team::Blue, Vector3(12, 0, 15.99f));
  EXPECT_FALSE(machine->WithinStrikeDistance(*atTwenty));
  EXPECT_TRUE(machine->WithinStrikeDistance(*nearer));
}

TEST_F(SquadLeaderSMTest, EnemyWithinStrikeDistanceIsAttackedByFreeFollowers) {
  GameObject* enemy = Squad("SquadLeader 5", "Enemy ", Team::Blue, 3, 10);
  GameObject* own = Squad("SquadLeader 0", "Own ", Team::Red, 3, 0);
  battle->objects->Find("Own 1")->inCombat = true;
  auto machine = std::make_unique<SquadLeaderSM>(own);
  machine->squadRaised = true;
  own->PushMachine(std::move(machine), true);
  EXPECT_EQ(SquadLeaderSM::STATE_Attack, SquadLeaderSM::Of(*own)->GetState());
  ASSERT_EQ(2u, battle->Duels().size());
  EXPECT_EQ("Own 0", battle->Duels().front().attackerName);
  EXPECT_EQ("Own 2", battle->Duels().back().attackerName);
  for (const Duel& duel : battle->Duels()) EXPECT_EQ(0u, duel.defenderName.rfind("Enemy ", 0)) << duel.defenderName;
  EXPECT_FALSE(enemy->inCombat);
}

// Each free follower in list order draws an enemy index (draw modulo the enemy squad's size),
// and then its duel draws its length: the picks use every other number of the generator.
TEST_F(SquadLeaderSMTest, EngageSquadPicksEnemiesByTheSeedsDrawsInFollowerOrder) {
  GameObject* enemy = Squad("SquadLeader 5", "Enemy ", Team::Blue, 7, 10);
  GameObject* own = Squad("SquadLeader 0", "Own ", Team::Red, 4, 0);
  battle->objects->Find("Own 2")->inCombat = true;
  auto owned = std::make_unique<SquadLeaderSM>(own);
  SquadLeaderSM* machine = owned.get();
  own->PushMachine(std::move(owned), false);
  battle->random.Seed(31337);
  std::vector<std::string> picks;
  std::vector<float> lengths;
  for (int follower = 0; follower < 3; ++follower) {
    picks.push_back("Enemy " + std::to_string(static_cast<unsigned>(battle->random.Rand()) % 7u));
    lengths.push_back(3.0f * static_cast<float>(battle->random.Rand()) / 32767.0f + 2.0f);
  }
  battle->random.Seed(31337);
  machine->EngageSquad(*enemy);
  ASSERT_EQ(3u, battle->Duels().size());
  const std::vector<std::string> attackers = {"Own 0", "Own 1", "Own 3"};
  int i = 0;
  for (const Duel& duel : battle->Duels()) {
    EXPECT_EQ(attackers[static_cast<std::size_t>(i)], duel.attackerName);
    EXPECT_EQ(picks[static_cast<std::size_t>(i)], duel.defenderName);
    EXPECT_FLOAT_EQ(lengths[static_cast<std::size_t>(i)], duel.timeLeft);
    ++i;
  }
}

TEST_F(SquadLeaderSMTest, LeaderWithoutFollowersFightsARandomEnemyFollowerItself) {
  GameObject* enemy = Squad("SquadLeader 5", "Enemy ", Team::Blue, 3, 10);
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 50));
  GameObject* own = machine->GetOwner();
  own->inCombat = true;
  machine->EngageSquad(*enemy);
  ASSERT_EQ(1u, battle->Duels().size());
  EXPECT_EQ("SquadLeader 0", battle->Duels().front().attackerName);
  EXPECT_EQ(0u, battle->Duels().front().defenderName.rfind("Enemy ", 0));
}

TEST_F(SquadLeaderSMTest, EnemyLeaderWithoutFollowersIsAttackedByTheWholeSquad) {
  GameObject* enemy = AddBare("SquadLeader 5", UnitType::SquadLeader, Team::Blue, Vector3(0, 0, 10));
  GameObject* own = Squad("SquadLeader 0", "Own ", Team::Red, 3, 0);
  battle->objects->Find("Own 1")->inCombat = true;
  auto machine = std::make_unique<SquadLeaderSM>(own);
  machine->squadRaised = true;
  own->PushMachine(std::move(machine), true);
  ASSERT_EQ(3u, battle->Duels().size());
  for (const Duel& duel : battle->Duels()) EXPECT_EQ("SquadLeader 5", duel.defenderName);
  EXPECT_TRUE(enemy->inCombat);
}

TEST_F(SquadLeaderSMTest, LeaderAloneEngagesATargetOnlyWhenNotFighting) {
  SquadLeaderSM* machine = StartRaisedLeader("SquadLeader 0", Team::Red, Vector3(0, 0, 0));
  GameObject* target = AddBare("General 1", UnitType::General, Team::Blue, Vector3(0, 0, 5));
  machine->GetOwner()->inCombat = true;
  machine->EngageTarget(*target);
  EXPECT_TRUE(battle->Duels().empty());
  machine->GetOwner()->inCombat = false;
  machine->EngageTarget(*target);
  ASSERT_EQ(1u, battle->Duels().size());
  EXPECT_EQ("SquadLeader 0", battle->Duels().front().attackerName);
}

}  // namespace
