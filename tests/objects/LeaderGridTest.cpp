// LeaderGrid, through the searches the squad leaders make with it: every answer must be the one
// the walk over all squad leader serials gives at the moment it is asked, while leaders are
// raised, march, fight, die and make way for newer leaders of the same names.
#include "objects/LeaderGrid.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Scenario.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "tests/support/Battlefield.h"
#include "units/SquadLeaderSM.h"

namespace {

class LeaderGridTest : public Battlefield {
 protected:
  void SetUp() override {
    Battlefield::SetUp();
    SquadLeaderSM::searchCheck = {};
    SquadLeaderSM::searchCheck.on = true;
  }

  void TearDown() override {
    SquadLeaderSM::searchCheck = {};
    Battlefield::TearDown();
  }

  // A game whose battle has squadsPerSide squads a side, on the shipped height map (hills of
  // height 0 leave it flat), with the random numbers seeded.
  void UseScenario(int squadsPerSide, unsigned seed, float hillHeight) {
    Scenario scenario;
    scenario.high = hillHeight;
    for (ArmySetup& army : scenario.armies) army.squads = squadsPerSide;
    Game::SetInstance(nullptr);
    game.reset();
    platform::SeedRand(seed);
    game = std::make_unique<Game>(nullptr, nullptr, scenario);
    Game::SetInstance(game.get());
  }

  // A blue leader on a point of a lattice 4 units wide whose lines run 2 off the cells' edges,
  // the points taken in an order unlike the serials' (shift takes another one), with 0 to 4
  // followers ready.
  GameObject* LatticeEnemy(int serial, int shift = 0) {
    const int point = (serial * 37 + shift) % 150;
    const Vector3 at(static_cast<float>(4 * (point % 15) - 30), 0.0f, static_cast<float>(4 * (point / 15) - 22));
    GameObject* enemy = AddBare("SquadLeader " + std::to_string(serial), UnitType::SquadLeader, Team::Blue, at);
    enemy->readyFollowers = serial % 5;
    return enemy;
  }

  // The three searches from the middles between the enemies' lattice points, some on the cells'
  // corners, out to well beyond the enemies, with attack ranges from within a cell to beyond two.
  void SearchFromAround(SquadLeaderSM& searcher) {
    Sprite& sprite = *searcher.GetOwner()->GetSprite();
    int query = 0;
    for (int x = -64; x <= 64; x += 8) {
      for (int z = -64; z <= 64; z += 8) {
        sprite.position = Vector3(static_cast<float>(x), 0.0f, static_cast<float>(z));
        searcher.GetOwner()->attackRange = 1.0f + 6.0f * static_cast<float>(query++ % 6);
        searcher.EnemyLeaderInRange();
        searcher.ChosenTarget();
        searcher.NearestEnemyLeader();
      }
    }
  }
};

// Up to four leaders stand exactly as far from a searcher, often in as many cells, searched in
// an order unlike the serials'; some serials lie beyond those searched; leaders walk across
// cells, wait to be registered, are marked for removal, and are replaced by newer leaders of
// their names standing elsewhere.
TEST_F(LeaderGridTest, TiesGoToTheLowerSerialAsLeadersComeMoveAndGo) {
  UseScenario(60, kSeed, 0.0f);  // serials up to 119 are searched
  GameObject* own = AddBare("SquadLeader 0", UnitType::SquadLeader, Team::Red, Vector3(0, 0, 0));
  auto machine = std::make_unique<SquadLeaderSM>(own);
  SquadLeaderSM& searcher = *machine;
  own->PushMachine(std::move(machine), false);
  AddBare("SquadLeader 140", UnitType::SquadLeader, Team::Red, Vector3(1, 0, 1));
  for (int serial = 1; serial < 130; ++serial) LatticeEnemy(serial);
  SearchFromAround(searcher);
  StepFrame();
  for (int round = 0; round < 6; ++round) {
    for (int serial = 1 + round; serial < 130; serial += 6) {
      GameObject* enemy = game->objects->FindSquadLeader(serial);
      if (enemy == nullptr) continue;
      enemy->GetSprite()->speed = 1500.0f;  // more than a cell a frame, overshooting and back
      enemy->GetSprite()->SetTarget(Vector3(static_cast<float>(40 - 13 * round), 0.0f, 30.0f), false);
    }
    StepFrame();
    game->objects->FindSquadLeader(7 + round)->MarkForRemoval();
    LatticeEnemy(20 + round, 75);
    SearchFromAround(searcher);
    StepFrame();
    SearchFromAround(searcher);
  }
  const SquadLeaderSM::SearchCheck check = SquadLeaderSM::searchCheck;
  EXPECT_EQ(13 * 17 * 17 * 3, check.searches);
  EXPECT_EQ(0, check.differences);
  EXPECT_GT(check.ties, 100);
}

// Two fronts meeting on the shipped map, and the start of the next battle, whose leaders take
// the names of the last battle's while those still stand.
TEST_F(LeaderGridTest, SearchesAnswerAsTheWalkOverEverySerialThroughAScaledBattle) {
  UseScenario(40, 1, 10.0f);
  ASSERT_GT(game->terrain.width, 0) << "Textures/ASTest.png not found: run from the project root";
  game->StartBattle();
  StepFrames(2000);
  game->ResetBattle();
  StepFrames(400);
  const SquadLeaderSM::SearchCheck check = SquadLeaderSM::searchCheck;
  EXPECT_GT(check.searches, 4000);
  EXPECT_EQ(0, check.differences);
}

}  // namespace
