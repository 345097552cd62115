// Cost of the simulation step of a whole battle: 402 units raised, formed up, marching and
// fighting on the shipped height map, one 16 ms frame per iteration on a hand-driven clock; and of
// the fingerprint of a battle's state; and of the editor's layout shown again.
#include <benchmark/benchmark.h>

#include <memory>

#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
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
    state.counters["battles"] = battle->RedWins() + battle->BlueWins();
  }
  battle.reset();
  DebugChannel::SetSink(nullptr);
}
BENCHMARK(BM_BattleFrame)->Unit(benchmark::kMicrosecond)->Iterations(20000);

// The fingerprint a battle line carries, taken once per battle: N squads a side after 1000 frames
// (16 simulated seconds: every squad formed up and marching, its messages queued).
void BM_BattleFingerprint(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  Scenario scenario;
  for (ArmySetup& army : scenario.armies) army.squads = static_cast<int>(state.range(0));
  auto battle = std::make_unique<Battle>(scenario);
  if (battle->terrain.width == 0) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
  } else {
    battle->StartBattle();
    for (std::uint32_t elapsedMs = kFrameMs; elapsedMs <= 1000 * kFrameMs; elapsedMs += kFrameMs) {
      battle->timer.TickTo(elapsedMs);
      battle->RunSimulationStep();
    }
    for (auto _ : state) benchmark::DoNotOptimize(BattleFingerprint::Of(*battle));
    state.counters["objects"] = static_cast<double>(battle->objects->RegisteredCount());
    state.counters["messages"] = static_cast<double>(battle->router->Pending().size());
  }
  battle.reset();
  DebugChannel::SetSink(nullptr);
}
BENCHMARK(BM_BattleFingerprint)->Arg(5)->Arg(125)->Unit(benchmark::kMicrosecond);

}  // namespace

// What the editor does on every change of its layout: the battlefield of a 4,002-unit layout
// (large-4k.toml's 256 x 256 ground, 50 squads a side) made afresh, its Generals raised and
// shown by one step.
void BM_LayoutShownAgain(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  Scenario scenario;
  scenario.heightMap = "scenarios/large-256.png";
  scenario.high = 8.0f;
  for (ArmySetup& army : scenario.armies) army.squads = 50;
  for (auto _ : state) {
    auto battle = std::make_unique<Battle>(scenario);
    if (battle->terrain.width == 0) {
      state.SkipWithError("scenarios/large-256.png not found: run from the project root");
      break;
    }
    battle->StartBattle();
    battle->RunSimulationStep();
    benchmark::DoNotOptimize(battle.get());
  }
  DebugChannel::SetSink(nullptr);
}
BENCHMARK(BM_LayoutShownAgain)->Unit(benchmark::kMillisecond);
