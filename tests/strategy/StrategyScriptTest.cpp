// A strategy script from its author's side: what each call sees, what it may answer, and how a
// script that answers wrong or is broken is stopped.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "battle/Battle.h"
#include "objects/Formation.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "platform/Interrupt.h"
#include "strategy/StrategyScript.h"
#include "tests/support/TempFolder.h"

namespace {
class ScriptedGeneral : public ::testing::Test {
 protected:
  // A built-in battle whose red General runs text, one step in: both armies raised.
  StrategyScript& Start(const std::string& text) {
    const std::string path = folder.Path("red.lua");
    std::ofstream(path) << text;
    Scenario scenario;
    scenario.armies[0].general = path;
    battle = std::make_unique<Battle>(scenario, 7);
    battle->StartBattle();
    battle->timer.TickTo(16);
    battle->RunSimulationStep();
    return static_cast<StrategyScript&>(*battle->Strategy(Team::Red));
  }

  GameObject& First(int unitType) const {
    for (GameObject* unit : battle->objects->Registered()) {
      if (unit->unitType == unitType && unit->team == Team::Red) return *unit;
    }
    throw std::runtime_error("no such unit");
  }

  // The General's first squad, as the script's battle.squads() lists it first.
  GameObject& FirstSquad() const { return *battle->Find(First(UnitType::General).subordinates.front()); }

  SquadOrder Answer(const std::string& returned) {
    StrategyScript& script = Start("function on_squad_ready(battle, squad)\n  return " + returned + "\nend\n");
    return script.OnSquadReady(First(UnitType::General), FirstSquad());
  }

  TempFolder folder{"strategy"};
  std::unique_ptr<Battle> battle;
};

// Each assertion fails the call, and a failed call is a forfeit: the script's own checks are the test.
const char kReader[] = R"(
function on_squad_ready(battle, squad)
  assert(battle.side == "red" and battle.time >= 0)
  assert(battle.terrain.width == 256 and battle.terrain.min_x == -128 and battle.terrain.max_z == 128)
  assert(battle.general.squads == 5 and battle.enemy_general.squads == 5)
  local own, enemies = battle.squads(), battle.enemies()
  assert(#own == 5 and #enemies == 5 and enemies[1].target == nil)
  assert(own[1].name == squad.name and squad.followers == 39 and squad.in_combat == false)
  assert(squad.type == "berserker" and squad.z > 0 and enemies[1].z < 0 and squad.target == nil)
  assert(battle.height(0, 0) ~= nil and battle.height(1000, 0) == nil)
  local draw = battle.rand()
  assert(math.type(draw) == "integer" and draw >= 0 and draw <= 32767)
  battle.squads = nil -- the view is the script's own copy
  return {x = 12.5, z = -40, formation = "wedge"}
end
)";
}  // namespace

TEST_F(ScriptedGeneral, SquadReadySeesTheBattleAndOrdersAMarchInAShape) {
  StrategyScript& script = Start(kReader);
  const SquadOrder order = script.OnSquadReady(First(UnitType::General), FirstSquad());
  ASSERT_EQ(order.kind, SquadOrder::Kind::March) << script.Failure();
  EXPECT_EQ(order.x, 12.5f);
  EXPECT_EQ(order.z, -40.0f);
  EXPECT_EQ(order.formation, Formation::kWedge);
  EXPECT_EQ(script.LastDecision(), FirstSquad().name + " -> (12.5, -40.0) in wedge");
  // A second call builds the view again.
  EXPECT_EQ(script.OnSquadReady(First(UnitType::General), FirstSquad()).kind, SquadOrder::Kind::March);
}

TEST_F(ScriptedGeneral, NilHoldsTheSquad) {
  EXPECT_EQ(Answer("nil").kind, SquadOrder::Kind::Hold);
}

TEST_F(ScriptedGeneral, NonsenseAnswersStopTheScriptWithTheReason) {
  const std::pair<const char*, const char*> cases[] = {
      {"'north'", "red.lua:1: on_squad_ready returned string; it must return nil (hold) or a table"},
      {"{x = 1}", "red.lua:1: on_squad_ready returned a goal without numbers x and z (x is number, z is nil)"},
      {"{x = 0, z = -(0/0)}", "red.lua:1: on_squad_ready returned a goal whose z is not a number (NaN)"},
      {"{x = 500, z = 0}", "red.lua:1: on_squad_ready returned a goal off the terrain (500.0, 0.0)"},
      {"{x = 0, z = 0, formation = 'square'}", "red.lua:1: on_squad_ready returned formation \"square\""},
      {"{x = 0, z = 0, formation = 4}", "red.lua:1: on_squad_ready returned formation 4;"},
      {"{x = 0, z = 0, fomration = 'vee'}", "red.lua:1: on_squad_ready returned an unknown key \"fomration\""},
      {"{1, 2}", "red.lua:1: on_squad_ready returned an unknown key \"[1]\""},
  };
  for (const auto& [returned, reason] : cases) {
    SCOPED_TRACE(returned);
    EXPECT_EQ(Answer(returned).kind, SquadOrder::Kind::Failed);
    const Commander& script = *battle->Strategy(Team::Red);
    EXPECT_NE(script.Failure().find(reason), std::string::npos) << script.Failure();
    // A stopped script decides nothing more.
    EXPECT_EQ(battle->Strategy(Team::Red)->OnSquadReady(First(UnitType::General), FirstSquad()).kind,
              SquadOrder::Kind::Failed);
  }
}

TEST_F(ScriptedGeneral, GeneralFightsOnTrueWaitsOnFalseOrNilAndForfeitsOnAnythingElse) {
  for (const char* nonsense : {"0", "{}", "function() end"}) {
    SCOPED_TRACE(nonsense);
    StrategyScript& script = Start(std::string("function on_squad_ready() end\nlocal answers = {true, false, nil, ") +
                                   nonsense + "}\nfunction general_fights(battle)\n  return answers[battle.time // 1]\nend\n");
    bool fights = false;
    const bool expected[] = {true, false, false};
    for (int second = 1; second <= 3; ++second) {
      battle->timer.TickTo(static_cast<std::uint32_t>(second * 1000 + 500));
      EXPECT_TRUE(script.GeneralFights(First(UnitType::General), fights)) << script.Failure();
      EXPECT_EQ(fights, expected[second - 1]) << second;
    }
    battle->timer.TickTo(4500);
    EXPECT_FALSE(script.GeneralFights(First(UnitType::General), fights));
    EXPECT_FALSE(fights);
    EXPECT_NE(script.Failure().find("red.lua:3: general_fights returned "), std::string::npos) << script.Failure();
  }
}

// Ctrl-C is no fault of the script's: it stops deciding, and its side does not forfeit.
TEST_F(ScriptedGeneral, AnInterruptStopsTheScriptWithoutAForfeit) {
  StrategyScript& script = Start("function on_squad_ready() return {x = 0, z = 0} end\nfunction general_fights() return true end\n");
  Interrupt::Watch();
  std::raise(SIGTERM);
  bool fights = true;
  EXPECT_TRUE(script.GeneralFights(First(UnitType::General), fights));
  EXPECT_EQ(script.OnSquadReady(First(UnitType::General), FirstSquad()).kind, SquadOrder::Kind::Hold);
  Interrupt::Clear();
  EXPECT_FALSE(fights || script.Failed()) << script.Failure();
}

TEST_F(ScriptedGeneral, GeneralFightsWhenTheScriptSaysAndOnlyWithABoolean) {
  StrategyScript& script = Start(
      "function on_squad_ready() end\n"
      "function general_fights(battle) if battle.time > 100 then return 'yes' end return battle.general.squads == 5 end\n");
  ASSERT_TRUE(script.DecidesWhenToFight());
  bool fights = false;
  ASSERT_TRUE(script.GeneralFights(First(UnitType::General), fights)) << script.Failure();
  EXPECT_TRUE(fights);
  battle->timer.TickTo(101000);
  EXPECT_FALSE(script.GeneralFights(First(UnitType::General), fights));
  EXPECT_EQ(script.Failure(), folder.Path("red.lua") + ":2: general_fights returned string; it must return true or false");
}

TEST_F(ScriptedGeneral, ABrokenScriptIsRefusedWithFileAndLine) {
  const std::string path = folder.Path("broken.lua");
  std::ofstream(path) << "function on_squad_ready(battle, squad)\n  return {x = 1,, z = 2}\nend\n";
  std::string error;
  EXPECT_FALSE(StrategyScript::Check(path, error));
  EXPECT_EQ(error.rfind(path + ":2: unexpected symbol near ','", 0), 0u) << error;
  EXPECT_FALSE(StrategyScript::Check(folder.Path("missing.lua"), error));
  EXPECT_EQ(error, folder.Path("missing.lua") + ": cannot read the strategy script (No such file or directory)");
  EXPECT_FALSE(StrategyScript::Check(folder.Path(""), error));
  EXPECT_EQ(error, folder.Path("") + ": is a directory, not a strategy script (a Lua file)");
  std::ofstream(path) << "function on_squad_readdy() end\n";
  EXPECT_FALSE(StrategyScript::Check(path, error));
  EXPECT_EQ(error, path + ": defines no function on_squad_ready(battle, squad)");
}

TEST(ShippedStrategies, EachPassesTheCheck) {
  for (const char* name : {"builtin", "hold-the-hill", "concentrate-left", "wait-and-counter"}) {
    std::string error;
    EXPECT_TRUE(StrategyScript::Check(std::string("strategies/") + name + ".lua", error)) << error;
  }
}

// The terrain's bounds a script is told are exactly those of a goal and of a height.
TEST_F(ScriptedGeneral, GoalsAndHeightsReachExactlyTheToldBounds) {
  StrategyScript& script = Start(
      "function on_squad_ready(b) local t = b.terrain\n"
      "assert(b.height(t.min_x, t.min_z) and not b.height(t.max_x + 0.5, 0) and not b.height(0, t.min_z - 0.5))\n"
      "return {x = t.max_x, z = t.max_z, formation = 2} end\n");
  const SquadOrder edge = script.OnSquadReady(First(UnitType::General), FirstSquad());
  EXPECT_EQ(edge.kind, SquadOrder::Kind::March) << script.Failure();
  EXPECT_EQ(edge.formation, Formation::kWedge);
  for (const char* beyond : {"{x = 127.5, z = 0}", "{x = 0, z = -127.5}"}) {
    EXPECT_EQ(Answer(beyond).kind, SquadOrder::Kind::Failed) << beyond;
  }
}
