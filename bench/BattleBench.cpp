// Cost of the simulation step of a whole battle: 402 units raised, formed up, marching and
// fighting on the shipped height map, one 16 ms frame per iteration on a hand-driven clock.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/Game.h"
#include "platform/DebugChannel.h"
#include "platform/Random.h"
#include "platform/TickCounter.h"

namespace {

constexpr std::uint32_t kFrameMs = 16;

// Runs battle after battle; each iteration is one frame of the window program without drawing.
void BM_BattleFrame(benchmark::State& state) {
  DebugChannel::SetSink([](std::string_view) {});
  TickCounter::UseManual(0);
  platform::SeedRand(1);
  auto game = std::make_unique<Game>(nullptr, nullptr);
  Game::SetInstance(game.get());
  if (game->terrain.width == 0) {
    state.SkipWithError("Textures/ASTest.png not found: run from the project root");
  } else {
    game->StartBattle();
    for (auto _ : state) {
      TickCounter::Advance(kFrameMs);
      game->Frame();
    }
    state.counters["battles"] = game->redWins + game->blueWins;
  }
  Game::SetInstance(nullptr);
  game.reset();
  TickCounter::UseClock();
  DebugChannel::SetSink(nullptr);
}
BENCHMARK(BM_BattleFrame)->Unit(benchmark::kMicrosecond)->Iterations(20000);

}  // namespace
