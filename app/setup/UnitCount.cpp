// The unit count of a scenario and its ceiling.
#include "app/setup/UnitCount.h"

long long UnitCount::Of(const Scenario& scenario) {
  long long units = 0;
  for (const ArmySetup& army : scenario.armies) {
    units += kGeneralsPerSide;
    if (army.placed.empty()) units += static_cast<long long>(army.squads) * (army.followers + 1);
    for (const PlacedSquad& squad : army.placed) units += squad.followers + 1;
  }
  return units;
}

bool UnitCount::WithinLimit(const Scenario& scenario, long long most, std::string& error) {
  const long long units = Of(scenario);
  if (units <= most) return true;
  error = "the battle would raise " + std::to_string(units) + " units, more than the " + std::to_string(most) +
          " allowed by --max-units; raise --max-units to run it";
  return false;
}
