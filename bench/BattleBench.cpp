// Cost of the simulation step of a whole battle: 402 units raised, formed up, marching and
// fighting on the shipped height map, one 16 ms frame per iteration on a hand-driven clock.
#include <benchmark/benchmark.h>

#include <memory>

#include "battle/Battle.h"
#include "platform/DebugChannel.h"

namespace {

constexpr std::uint32_t kFrameMs = 16;

// Runs battle after battle; each iteration is one step of the world, as every frame takes it.
void BM_BattleFrame(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  auto battle = std::make_unique<Battle>();
  if (battle->terrain.width == 0) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
  } else {
    battle->StartBattle();
    std::uint32_t elapsedMs = 0;
    for (auto _ : state) {
      elapsedMs += kFrameMs;
      battle->timer.TickTo(elapsedMs);
      battle->RunSimulationStep();
    }
    state.counters["battles"] = battle->redWins + battle->blueWins;
  }
  battle.reset();
  DebugChannel::SetSink(nullptr);
}
BENCHMARK(BM_BattleFrame)->Unit(benchmark::kMicrosecond)->Iterations(20000);

}  // namespace
