// Choosing and checking the Generals' strategy scripts.
#include "app/setup/GeneralChoice.h"

#include <filesystem>

#include "strategy/StrategyScript.h"

bool GeneralChoice::Apply(const std::array<std::string, 2>& overrides, Scenario& scenario, std::string& error) {
  for (std::size_t side = 0; side < overrides.size(); ++side) {
    if (!overrides[side].empty()) scenario.armies[side].general = overrides[side];
  }
  for (const ArmySetup& army : scenario.armies) {
    if (!army.general.empty() && !StrategyScript::Check(army.general, error)) return false;
  }
  return true;
}

std::string GeneralChoice::Describe(const ArmySetup& army) {
  return army.general.empty() ? "built-in" : std::filesystem::path(army.general).filename().string();
}
