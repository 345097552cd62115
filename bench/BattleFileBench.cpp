// What a battle file costs: its bytes per unit, and the time to save and to load it, for a
// scenario played to a given second.
//   battlesim-file-bench SCENARIO [SECOND] [SEED] [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/run/QuietDebugChannel.h"
#include "app/setup/ScenarioFile.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"
#include "battle/BattleFingerprint.h"

namespace {
double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: battlesim-file-bench SCENARIO [SECOND] [SEED] [ROUNDS]\n");
    return 2;
  }
  const double second = argc > 2 ? std::atof(argv[2]) : 20.0;
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1u;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  Scenario scenario;
  std::string error;
  if (!ScenarioFile::Load(argv[1], scenario, error)) {
    std::fprintf(stderr, "battlesim-file-bench: %s\n", error.c_str());
    return 2;
  }
  const QuietDebugChannel quiet;
  Battle battle(scenario, seed);
  battle.paintFootsteps = false;
  battle.StartBattle();
  std::uint32_t elapsedMs = 0;
  while (elapsedMs < second * 1000.0) {
    elapsedMs += 16;
    battle.timer.TickTo(elapsedMs);
    battle.RunSimulationStep();
  }
  const std::string path = "battlesim-file-bench.battle";
  const std::size_t units = battle.objects->RegisteredCount() + battle.objects->PendingCount();
  for (int round = 1; round <= rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    if (!BattleFile::Save(battle, "", path, error)) return std::fprintf(stderr, "%s\n", error.c_str()), 2;
    const double saveMs = MsSince(start);
    std::string settings;
    start = std::chrono::steady_clock::now();
    const std::unique_ptr<Battle> loaded = BattleFile::Load(path, settings, error);
    const double loadMs = MsSince(start);
    if (loaded == nullptr || BattleFingerprint::Of(*loaded) != BattleFingerprint::Of(battle)) return 1;
    const auto bytes = std::filesystem::file_size(path);
    std::printf("round %d: %zu objects, %ju bytes (%.0f per object), save %.0f ms, load %.0f ms\n", round, units,
                static_cast<std::uintmax_t>(bytes), static_cast<double>(bytes) / static_cast<double>(units), saveMs,
                loadMs);
  }
  std::filesystem::remove(path);
  return 0;
}
