// Every shipped scenario that a run can save (the large ones are checked by hand, README) played
// on from a battle file: the same fingerprint as the battle never stopped, at every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/setup/ScenarioFile.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"
#include "battle/BattleFingerprint.h"

namespace {

constexpr std::uint32_t kStepMs = 16;

void Step(Battle& battle, std::uint32_t& elapsedMs) {
  elapsedMs += kStepMs;
  battle.timer.TickTo(elapsedMs);
  battle.RunSimulationStep();
}

TEST(BattleFilePlayOn, ShippedScenariosPlayOnFromTheirFileAsNeverStopped) {
  for (const char* file : {"scenarios/berserker-rush.toml", "scenarios/archers-hold-the-hill.toml",
                           "scenarios/lopsided.toml", "scenarios/weak-archers.toml"}) {
    SCOPED_TRACE(file);
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(ScenarioFile::Load(file, scenario, error)) << error;
    Battle battle(scenario, 7);
    battle.StartBattle();
    std::uint32_t elapsedMs = 0;
    for (int step = 0; step < 1500; ++step) Step(battle, elapsedMs);
    std::string bytes;
    std::string settings;
    ASSERT_TRUE(BattleFile::Write(battle, "", bytes, error)) << error;
    std::unique_ptr<Battle> loaded = BattleFile::Read(bytes, settings, error);
    ASSERT_NE(loaded, nullptr) << error;
    std::uint32_t loadedMs = elapsedMs;
    for (int step = 0; step < 1500; ++step) {
      Step(battle, elapsedMs);
      Step(*loaded, loadedMs);
      ASSERT_EQ(BattleFingerprint::Of(*loaded), BattleFingerprint::Of(battle)) << "step " << step;
    }
  }
}

}  // namespace
