// LeaderGrid, through the searches the squad leaders make with it: every answer must be the one
// the walk over all squad leader serials gives, while leaders are raised, march, fight, die and
// make way for newer leaders of the same names.
#include "objects/LeaderGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "battle/Scenario.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"
#include "units/SquadLeaderSM.h"

namespace {

// The searches' answers compared with a walk over every squad leader serial that could be
// looked up, in serial order.
struct SearchCheck {
  long long searches = 0;
  long long differences = 0;
  // Searches whose answer stood exactly as far away as another enemy it had to be chosen over.
  long long ties = 0;
};

class LeaderGridTest : public Battlefield {
 protected:
  // A battle with squadsPerSide squads a side, on the shipped height map (hills of height 0
  // leave it flat), with the random numbers seeded.
  void UseScenario(int squadsPerSide, unsigned seed, float hillHeight) {
    Scenario scenario;
    scenario.high = hillHeight;
    for (ArmySetup& army : scenario.armies) army.squads = squadsPerSide;
    Rebuild(scenario, seed);
  }

  // The enemies of the searcher's team in serial order, as far as the squad leaders look.
  std::vector<GameObject*> EnemiesBySerial(const GameObject& searcher) const {
    const int leaders = battle->scenario.armies[0].squads + battle->scenario.armies[1].squads;
    const int end =
        std::min(std::max(leaders, SquadLeaderSM::kSquadLeaderSerials), battle->objects->SquadLeaderSerialEnd());
    std::vector<GameObject*> enemies;
    for (int serial = 0; serial < end; ++serial) {
      GameObject* candidate = battle->objects->FindSquadLeader(serial);
      if (candidate != nullptr && candidate->team != searcher.team) enemies.push_back(candidate);
    }
    return enemies;
  }

  // The first enemy, then any later one laterCounts accepts that stands strictly nearer.
  template <class LaterCounts>
  GameObject* FirstOrNearerByWalk(const GameObject& searcher, LaterCounts laterCounts, bool& tied) const {
    GameObject* target = nullptr;
    float best = 0.0f;
    tied = false;
    for (GameObject* enemy : EnemiesBySerial(searcher)) {
      const float distance = (enemy->GetSprite()->position - searcher.GetSprite()->position).Length();
      if (target == nullptr || (laterCounts(*enemy) && distance < best)) {
        target = enemy;
        best = distance;
        tied = false;
      } else if (laterCounts(*enemy) && distance == best) {
        tied = true;
      }
    }
    return target;
  }

  void Count(bool same, bool tied) {
    ++check.searches;
    if (!same) ++check.differences;
    if (tied) ++check.ties;
  }

  // The three searches of the squad leader, each against the walk's answer.
  void CheckSearches(SquadLeaderSM& searcher) {
    const GameObject& self = *searcher.GetOwner();
    const std::vector<GameObject*> enemies = EnemiesBySerial(self);
    const bool inRange = std::any_of(enemies.begin(), enemies.end(),
                                     [&self](const GameObject* enemy) { return self.IsInRangeOf(*enemy); });
    Count(searcher.EnemyLeaderInRange() == inRange, false);
    bool tied = false;
    GameObject* chosen = FirstOrNearerByWalk(
        self, [](const GameObject& enemy) { return enemy.readyFollowers > 2; }, tied);
    Count(searcher.ChosenTarget() == chosen, tied);
    GameObject* nearest = FirstOrNearerByWalk(
        self, [](const GameObject&) { return true; }, tied);
    Count(searcher.NearestEnemyLeader() == nearest, tied);
  }

  // Every squad leader's searches, as they stand between two frames.
  void CheckEverySquadLeader() {
    for (GameObject* object : battle->objects->Registered()) {
      SquadLeaderSM* machine = SquadLeaderSM::Of(*object);
      if (machine != nullptr && !object->dying && !object->removed) CheckSearches(*machine);
    }
  }

  SearchCheck check;

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
        CheckSearches(searcher);
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
      GameObject* enemy = battle->objects->FindSquadLeader(serial);
      if (enemy == nullptr) continue;
      enemy->GetSprite()->speed = 1500.0f;  // more than a cell a frame, overshooting and back
      enemy->GetSprite()->SetTarget(Vector3(static_cast<float>(40 - 13 * round), 0.0f, 30.0f), false);
    }
    StepFrame();
    battle->objects->FindSquadLeader(7 + round)->MarkForRemoval();
    LatticeEnemy(20 + round, 75);
    SearchFromAround(searcher);
    StepFrame();
    SearchFromAround(searcher);
  }
  EXPECT_EQ(13 * 17 * 17 * 3, check.searches);
  EXPECT_EQ(0, check.differences);
  EXPECT_GT(check.ties, 100);
}

// Two fronts meeting on the shipped map, and the start of the next battle, whose leaders take
// the names of the last battle's while those still stand.
TEST_F(LeaderGridTest, SearchesAnswerAsTheWalkOverEverySerialThroughAScaledBattle) {
  UseScenario(40, 1, 10.0f);
  ASSERT_GT(battle->terrain.width, 0) << "Textures/ASTest.png not found: run from the project root";
  battle->StartBattle();
  for (int frame = 0; frame < 2400; ++frame) {
    if (frame == 2000) battle->ResetBattle();
    StepFrame();
    if (frame % 5 == 0 || frame == 2000) CheckEverySquadLeader();
  }
  EXPECT_GT(check.searches, 4000);
  EXPECT_EQ(0, check.differences);
}

}  // namespace
