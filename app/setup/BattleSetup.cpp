// Everything a battle is refused for is found here, before anything of it is created.
#include "app/setup/BattleSetup.h"

#include <ctime>

#include "app/setup/GeneralChoice.h"
#include "app/setup/ScenarioFile.h"
#include "app/setup/UnitCount.h"

bool BattleSetup::Load(const std::string& scenarioFile, long long maxUnits, const std::array<std::string, 2>& generals,
                       Scenario& scenario, std::string& error) {
  if (!scenarioFile.empty() && !ScenarioFile::Load(scenarioFile, scenario, error)) return false;
  if (!UnitCount::WithinLimit(scenario, maxUnits, error)) {
    if (!scenarioFile.empty()) error = scenarioFile + ": " + error;
    return false;
  }
  return GeneralChoice::Apply(generals, scenario, error);
}

unsigned BattleSetup::SeedOrClock(bool seedGiven, unsigned seed) {
  return seedGiven ? seed : static_cast<unsigned>(std::time(nullptr));
}
