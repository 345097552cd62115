// Opening a battle file to play on.
#include "app/run/SavedRun.h"

#include "app/run/HeadlessRunner.h"
#include "app/run/QuietDebugChannel.h"
#include "battle/Battle.h"
#include "battle/BattleFile.h"

std::unique_ptr<Battle> SavedRun::Open(HeadlessOptions& options, std::uint32_t& elapsedMs, std::string& error) {
  if (options.seedGiven || !options.scenarioFile.empty() || options.study || !options.tournament.empty()) {
    error =
        "--load plays on the saved battle's own seed and scenario: give neither --seed, --scenario, --seeds nor "
        "--tournament with it";
    return nullptr;
  }
  std::string settings;
  std::unique_ptr<Battle> battle;
  {
    const QuietDebugChannel quiet;
    battle = BattleFile::Load(options.loadFile, settings, error);
  }
  if (battle == nullptr) return nullptr;
  if (!HeadlessRunner::ReadSettings(settings, options, elapsedMs)) {
    error = options.loadFile + ": a battle file that no run of battlesim-headless saved";
    return nullptr;
  }
  return battle;
}
