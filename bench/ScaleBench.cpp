// Cost of one unit for one simulation step as the armies grow: a battle of N squads per side on
// the shipped height map, stepped in 16 ms frames from its start; the figure is the time per
// unit alive per frame, so a flat cost shows as an equal figure for every N.
#include <benchmark/benchmark.h>

#include <memory>

#include "battle/Battle.h"
#include "battle/Scenario.h"
#include "objects/Sprite.h"
#include "platform/DebugChannel.h"

namespace {

constexpr std::uint32_t kFrameMs = 16;

Scenario WithSquads(int squadsPerSide) {
  Scenario scenario;
  for (ArmySetup& army : scenario.armies) army.squads = squadsPerSide;
  return scenario;
}

double PositionSum(const GameObjectManager& objects) {
  double sum = 0.0;
  for (const GameObject* object : objects.Registered()) {
    if (const Sprite* sprite = object->GetSprite()) sum += sprite->position.x + 2.0 * sprite->position.z;
  }
  return sum;
}

// Each iteration is one step of the world, as every frame takes it, from the first battle's start
// on: raising, forming up, marching and the first fights.
void BM_ScaledBattleFrame(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  auto battle = std::make_unique<Battle>(WithSquads(static_cast<int>(state.range(0))));
  if (battle->terrain.width == 0) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
  } else {
    battle->StartBattle();
    const double startUnits = static_cast<double>(battle->objects->PendingCount());
    double unitSteps = 0.0;
    std::uint32_t elapsedMs = 0;
    for (auto _ : state) {
      elapsedMs += kFrameMs;
      battle->timer.TickTo(elapsedMs);
      battle->RunSimulationStep();
      unitSteps += static_cast<double>(battle->objects->RegisteredCount());
    }
    state.counters["units"] = startUnits;
    // What the battle came to, for comparing builds: equal figures, equal battles.
    state.counters["casualties"] = battle->Casualties();
    state.counters["state_changes"] = battle->StateChanges();
    state.counters["position_sum"] = PositionSum(*battle->objects);
    state.counters["per_unit_step"] =
        benchmark::Counter(unitSteps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
  battle.reset();
  DebugChannel::SetSink(nullptr);
}
// 3 000 frames are 48 simulated seconds: every squad has formed up and most have met the enemy.
BENCHMARK(BM_ScaledBattleFrame)->Arg(5)->Arg(50)->Arg(125)->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace
