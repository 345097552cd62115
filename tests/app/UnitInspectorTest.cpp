// The inspector's panel lines for a unit in a known state, its trace of that unit alone, and the
// selection clearing when the unit dies or a new battle starts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/UnitInspector.h"
#include "objects/UnitType.h"
#include "tests/support/Battlefield.h"

namespace {
class UnitInspectorTest : public Battlefield {
 protected:
  GameObject& Soldier(int team, float z) {
    return *battle->Factory().Create(UnitType::Soldier, Vector3(0.0f, 0.0f, z), 0.0f, team);
  }
};
}  // namespace

TEST_F(UnitInspectorTest, ReadsIdentityLeaderStackTopFirstAndTheDuel) {
  GameObject& red = Soldier(Team::Red, 0.0f);
  GameObject& blue = Soldier(Team::Blue, 1.0f);
  red.SetLeaderName("SquadLeader 2");
  battle->Engage(&red, &blue);
  const std::vector<std::string> expected = {"Name: Soldier 0",
                                             "Team: red  Type: Soldier",
                                             "Leader: SquadLeader 2",
                                             "CombatSM STATE_TakingOrders",
                                             "SoldierSM STATE_Initialize",
                                             "Duel: with Soldier 1"};
  EXPECT_EQ(UnitInspector::MindLines(red), expected);
}

TEST_F(UnitInspectorTest, KeepsTheLastTenTraceLinesOfTheSelectedUnitOnly) {
  GameObject& red = Soldier(Team::Red, 0.0f);
  GameObject& blue = Soldier(Team::Blue, 1.0f);
  UnitInspector inspector;
  inspector.Select(*battle, red);
  for (int duel = 0; duel < 8; ++duel) {
    battle->Engage(&red, &blue);
    red.PopMachine();
    blue.PopMachine();
    StepObjectsAndMessages(16);
  }
  const std::vector<std::string> lines = inspector.Lines(*battle);
  ASSERT_GE(lines.size(), 10u);
  const std::vector<std::string> trace(lines.end() - 10, lines.end());
  EXPECT_EQ(*(lines.end() - 11), "Trace:");
  for (const std::string& line : trace) EXPECT_NE(line.find("-Soldier 0 "), std::string::npos) << line;
  EXPECT_TRUE(traceLog().Records().empty()) << "the inspector's records went into the switched-off log";
}

TEST_F(UnitInspectorTest, SaysSoAndClearsWhenTheUnitDiesOrANewBattleStarts) {
  GameObject& red = Soldier(Team::Red, 0.0f);
  UnitInspector inspector;
  inspector.Select(*battle, red);
  red.dying = true;
  inspector.AfterFrame(*battle, nullptr);
  EXPECT_EQ(inspector.Lines(*battle), std::vector<std::string>{"Soldier 0 died"});
  EXPECT_FALSE(battle->traceLog->Recording()) << "a cleared selection still makes records";

  inspector.Select(*battle, Soldier(Team::Blue, 3.0f));
  battle->ResetBattle();
  inspector.AfterFrame(*battle, nullptr);
  EXPECT_EQ(inspector.Lines(*battle), std::vector<std::string>{"New battle: Soldier 1 is gone"});
}

TEST_F(UnitInspectorTest, FollowingStopsWithTheSelectionAndTheNoteGoesWithItsBattle) {
  GameObject& red = Soldier(Team::Red, 0.0f);
  UnitInspector inspector;
  inspector.Select(*battle, red);
  inspector.ToggleFollowing();
  red.dying = true;
  inspector.AfterFrame(*battle, nullptr);
  EXPECT_FALSE(inspector.Following()) << "the next unit clicked would be followed at once";
  battle->ResetBattle();
  inspector.AfterFrame(*battle, nullptr);
  EXPECT_EQ(inspector.Lines(*battle), std::vector<std::string>{"None: left click a unit"});
}
