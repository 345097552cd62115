// Tests of jumping through a seeded battle: a jump back lands on the battle as a run played to
// that second has it, user switches included, and the inspected unit stays selected.
#include "app/window/BattleScrubber.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/run/BattleRecorder.h"
#include "app/window/Game.h"
#include "app/window/SimulationPace.h"
#include "app/window/UnitInspector.h"
#include "battle/BattleTimeline.h"
#include "objects/Sprite.h"

namespace {

constexpr int kStepMs = 16;

// A window's game on fixed steps, without the window.
struct SeededGame {
  explicit SeededGame(unsigned seed, const Scenario& scenario = Scenario{}) : game(nullptr, nullptr, scenario, seed) {
    game.pace = &pace;
    game.recorder = &recorder;
    game.timeline = &timeline;
    scrubbing = std::make_unique<BattleScrubber>(game, kStepMs);
    game.scrubber = scrubbing.get();
    game.StartBattle();
  }
  // Plays on to the start of the next battle.
  void PlayToNextBattle() { EXPECT_FALSE(scrubbing->JumpTo(1.0e6)); }

  SimulationPace pace{kStepMs, 1.0, 0};
  BattleRecorder recorder;
  BattleTimeline timeline;
  Game game;
  std::unique_ptr<BattleScrubber> scrubbing;
  BattleScrubber& scrubber() { return *scrubbing; }
};

// Every object in update order with its place to the bit, its machines' states and its duel, and
// the battle's tallies and next random draw.
std::vector<std::string> StateOf(const Battle& battle) {
  std::vector<std::string> lines;
  char line[256];
  for (const GameObject* object : battle.objects->Registered()) {
    const Vector3& p = object->GetSprite()->position;
    std::snprintf(line, sizeof line, "%s %a %a %a %d %d %s", object->name.c_str(), p.x, p.y, p.z, object->dying,
                  object->inCombat, object->targetName.c_str());
    lines.emplace_back(line);
    for (std::size_t depth = 0; depth < object->MachineCount(); ++depth) {
      const StateMachine& machine = *object->MachineAt(depth);
      lines.push_back(std::to_string(machine.GetState()) + "/" + std::to_string(machine.GetSubstate()));
    }
  }
  platform::Random next = battle.random;
  std::snprintf(line, sizeof line, "changes %d casualties %d wins %d-%d duels %zu pending %zu draw %d",
                battle.StateChanges(), battle.Casualties(), battle.RedWins(), battle.BlueWins(), battle.Duels().size(),
                battle.router->Pending().size(), next.Rand());
  lines.emplace_back(line);
  return lines;
}

}  // namespace

// In the second battle, where the first one's leftovers shape how it starts, with blood switched
// off by the user (after going back to it) before the second the view jumps back to. The built-in Generals' battle goes
// back from a copy taken on the way; a scripted one cannot be copied and plays the run again.
TEST(BattleScrubber, AJumpBackLandsOnTheBattleAsARunPlayedToThatSecondHasIt) {
  Scenario scripted;
  scripted.armies[1].general = "strategies/builtin.lua";
  for (const Scenario& scenario : {Scenario{}, scripted}) {
    const bool copied = scenario.armies[1].general.empty();
    SCOPED_TRACE(copied ? "built-in" : "scripted");
    SeededGame played(7, scenario);
    played.PlayToNextBattle();
    played.scrubber().JumpTo(5.0);
    played.game.SwitchBlood();
    played.scrubber().JumpTo(12.0);

    SeededGame scrubbed(7, scenario);
    scrubbed.PlayToNextBattle();
    scrubbed.scrubber().JumpTo(30.0);
    scrubbed.scrubber().JumpTo(5.0);
    scrubbed.game.SwitchBlood();
    scrubbed.scrubber().JumpTo(30.0);
    EXPECT_EQ(scrubbed.scrubber().Checkpoints().Count(), copied ? 6u : 1u);
    scrubbed.scrubber().JumpTo(12.0);

    EXPECT_EQ(scrubbed.scrubber().StepsDone(), played.scrubber().StepsDone());
    EXPECT_EQ(scrubbed.recorder.BattleNumber(), 2);
    EXPECT_FALSE(scrubbed.game.battle->bloodEnabled);
    EXPECT_EQ(StateOf(*scrubbed.game.battle), StateOf(*played.game.battle));
    // The chart still reaches the furthest second seen.
    EXPECT_EQ(scrubbed.timeline.Samples().size(), 31u);
    EXPECT_EQ(scrubbed.timeline.Latest().redAlive, played.timeline.Latest().redAlive);
  }
}

// A reset before the first step is the first thing the course records, not part of the start.
TEST(BattleScrubber, AResetBeforeTheFirstStepIsReplayedOnce) {
  SeededGame played(4);
  played.game.ResetBattle();
  played.scrubber().JumpTo(3.0);
  SeededGame scrubbed(4);
  scrubbed.game.ResetBattle();
  scrubbed.scrubber().JumpTo(12.0);
  scrubbed.scrubber().JumpTo(3.0);
  EXPECT_EQ(StateOf(*scrubbed.game.battle), StateOf(*played.game.battle));
}

// Every unit of a battle stands from its first step, so going back finds the unit again.
TEST(BattleScrubber, TheInspectedUnitStaysSelectedAcrossAJumpBack) {
  SeededGame seeded(3);
  seeded.game.inspector = std::make_unique<UnitInspector>();
  seeded.scrubber().JumpTo(20.0);
  seeded.game.inspector->Select(*seeded.game.battle, *seeded.game.battle->Find("SquadLeader 2"));
  seeded.scrubber().JumpBy(-BattleScrubber::kJumpSeconds);
  EXPECT_EQ(seeded.scrubber().ViewSecond(), 10.0);
  const GameObject* selected = seeded.game.inspector->Selected(*seeded.game.battle);
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected, seeded.game.battle->Find("SquadLeader 2"));
  // Its trace lines come from the battle now on view.
  seeded.scrubber().JumpBy(BattleScrubber::kJumpSeconds);
  EXPECT_NE(seeded.game.inspector->Lines(*seeded.game.battle).back(), "Trace:");
}

// The seconds copies are taken at, the battle's start among them (where the view lands a step on,
// with the armies standing), in the run's first battle and in a later one.
TEST(BattleScrubber, AJumpToTheSecondOfACheckpointLandsOnIt) {
  for (const bool later : {false, true}) {
    for (const double second : {0.0, BattleScrubber::kCheckpointSeconds}) {
      SCOPED_TRACE(std::to_string(second) + (later ? " s into the second battle" : " s into the first battle"));
      SeededGame played(5);
      SeededGame scrubbed(5);
      if (later) {
        played.PlayToNextBattle();
        scrubbed.PlayToNextBattle();
      }
      played.scrubber().JumpTo(second);
      scrubbed.scrubber().JumpTo(12.0);
      scrubbed.scrubber().JumpTo(second);
      EXPECT_EQ(scrubbed.scrubber().StepsDone(), played.scrubber().StepsDone());
      EXPECT_EQ(StateOf(*scrubbed.game.battle), StateOf(*played.game.battle));
      EXPECT_EQ(scrubbed.game.battle->objects->PendingCount(), 0u);
    }
  }
}

// Back to the start and on again: the chart still reaches the furthest second seen.
TEST(BattleScrubber, TheChartKeepsTheBattleAsFarAsItWasSeen) {
  SeededGame seeded(1);
  seeded.scrubber().JumpTo(50.0);
  const std::size_t seen = seeded.timeline.Samples().size();
  seeded.scrubber().JumpTo(0.0);
  seeded.scrubber().JumpBy(BattleScrubber::kJumpSeconds);
  EXPECT_EQ(seeded.timeline.Samples().size(), seen);
}

// A jump that runs into the next battle shows it as a jump to its start does: at its first step,
// its armies standing and counted on the chart.
TEST(BattleScrubber, AJumpIntoTheNextBattleStopsAtItsFirstStep) {
  SeededGame seeded(2);
  seeded.PlayToNextBattle();
  EXPECT_EQ(seeded.recorder.BattleNumber(), 2);
  EXPECT_DOUBLE_EQ(seeded.scrubber().ViewSecond(), kStepMs / 1000.0);
  ASSERT_FALSE(seeded.timeline.Samples().empty());
  EXPECT_GT(seeded.timeline.Samples().front().redAlive, 0);
  EXPECT_GT(seeded.timeline.Samples().front().blueAlive, 0);
}

// The window's report names the first battle the user changed, however many came after it.
TEST(BattleScrubber, TheFirstBattleTheUserChangedIsKept) {
  SeededGame seeded(2);
  seeded.scrubber().JumpTo(3.0);
  seeded.game.SwitchBlood();
  seeded.PlayToNextBattle();
  seeded.game.ResetBattle();
  seeded.game.SwitchBlood();
  EXPECT_EQ(seeded.game.firstChangedBattle, 1);
}
