// The battle both programs and the Python module set up from their options: the scenario file,
// the unit ceiling and the Generals' scripts, and the seed when none was given.
#pragma once

#include <array>
#include <string>

#include "battle/Scenario.h"

class BattleSetup {
 public:
  // Loads the scenario file (when one is named) over scenario, refuses more units than maxUnits
  // and puts the named strategy scripts in place of the Generals; false with a one-line reason.
  static bool Load(const std::string& scenarioFile, long long maxUnits, const std::array<std::string, 2>& generals,
                   Scenario& scenario, std::string& error);
  // The seed given, or the clock's when none was.
  static unsigned SeedOrClock(bool seedGiven, unsigned seed);
};
