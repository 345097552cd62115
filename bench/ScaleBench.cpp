// Cost of one unit for one simulation step as the armies grow: a battle of N squads per side on
// the shipped height map, stepped in 16 ms frames from its start; the figure is the time per
// unit alive per frame, so a flat cost shows as an equal figure for every N.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/Game.h"
#include "app/Scenario.h"
#include "objects/Sprite.h"
#include "platform/DebugChannel.h"
#include "platform/Random.h"
#include "platform/TickCounter.h"

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

// Each iteration is one frame of the window program without drawing, from the first battle's
// start on: raising, forming up, marching and the first fights.
void BM_ScaledBattleFrame(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  TickCounter::UseManual(0);
  platform::SeedRand(1);
  auto game = std::make_unique<Game>(nullptr, nullptr, WithSquads(static_cast<int>(state.range(0))));
  Game::SetInstance(game.get());
  if (game->terrain.width == 0) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
  } else {
    game->StartBattle();
    const double startUnits = static_cast<double>(game->objects->PendingCount());
    double unitSteps = 0.0;
    for (auto _ : state) {
      TickCounter::Advance(kFrameMs);
      game->Frame();
      unitSteps += static_cast<double>(game->objects->RegisteredCount());
    }
    state.counters["units"] = startUnits;
    // What the battle came to, for comparing builds: equal figures, equal battles.
    state.counters["casualties"] = game->casualties;
    state.counters["state_changes"] = game->stateChanges;
    state.counters["position_sum"] = PositionSum(*game->objects);
    state.counters["per_unit_step"] =
        benchmark::Counter(unitSteps, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
  Game::SetInstance(nullptr);
  game.reset();
  TickCounter::UseClock();
  DebugChannel::SetSink(nullptr);
}
// 3 000 frames are 48 simulated seconds: every squad has formed up and most have met the enemy.
BENCHMARK(BM_ScaledBattleFrame)->Arg(5)->Arg(50)->Arg(125)->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace
