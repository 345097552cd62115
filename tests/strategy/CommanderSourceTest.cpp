// A program's own Commander, handed in with the scenario, leads its side in every battle and is
// asked before the scenario's script.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "battle/CommanderSource.h"

namespace {
// Holds every squad, and counts the questions its side was asked.
class Holding : public Commander {
 public:
  explicit Holding(int& askedCount) : asked(askedCount) {}
  SquadOrder OnSquadReady(const GameObject& /*general*/, const GameObject& /*leader*/) override {
    ++asked;
    return {};
  }
  bool DecidesWhenToFight() const override { return false; }
  bool GeneralFights(const GameObject& /*general*/, bool& fights) override {
    fights = false;
    return true;
  }
  bool Failed() const override { return false; }
  const std::string& Failure() const override { return text; }
  const std::string& LastDecision() const override { return text; }

 private:
  int& asked;
  std::string text = "hold";
};

// A Commander that cannot lead: its side forfeits at once.
class Broken : public Holding {
 public:
  using Holding::Holding;
  bool Failed() const override { return true; }
  const std::string& Failure() const override { return reason; }

 private:
  std::string reason = "no orders today";
};

template <class Made>
class Source : public CommanderSource {
 public:
  std::unique_ptr<Commander> ForBattle(Battle& /*battle*/, int /*team*/) const override {
    ++battles;
    return std::make_unique<Made>(asked);
  }
  mutable int battles = 0;
  mutable int asked = 0;
};

std::uint64_t RunFor(Battle& battle, int steps) {
  std::uint32_t now = 0;
  for (int step = 0; step < steps; ++step) {
    now += 16;
    battle.timer.TickTo(now);
    battle.RunSimulationStep();
  }
  return BattleFingerprint::Of(battle);
}
}  // namespace

TEST(CommanderSource, LeadsItsSideInsteadOfTheScenariosScript) {
  const auto source = std::make_shared<Source<Holding>>();
  Scenario scenario;
  scenario.armies[1].general = "no-such-script.lua";
  scenario.armies[1].commander = source;
  Battle battle(scenario, 4);
  battle.StartBattle();
  const std::uint64_t held = RunFor(battle, 500);
  EXPECT_EQ(source->battles, 1);
  EXPECT_GT(source->asked, 0);
  EXPECT_EQ(battle.Strategy(Team::Red), nullptr);
  ASSERT_NE(battle.Strategy(Team::Blue), nullptr);

  Battle builtIn(Scenario{}, 4);
  builtIn.StartBattle();
  EXPECT_NE(RunFor(builtIn, 500), held);
}

TEST(CommanderSource, OneThatCannotLeadForfeitsTheBattleWithItsReason) {
  const auto source = std::make_shared<Source<Broken>>();
  Scenario scenario;
  scenario.armies[0].commander = source;
  Battle battle(scenario, 4);
  battle.StartBattle();
  RunFor(battle, 1);
  EXPECT_EQ(battle.BlueWins(), 1);
  EXPECT_EQ(battle.LastForfeit().team, Team::Red);
  EXPECT_EQ(battle.LastForfeit().reason, "no orders today");
  EXPECT_EQ(source->battles, 2);
}
