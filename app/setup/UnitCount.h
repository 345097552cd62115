// How many units a scenario raises, and the ceiling a user sets on it, checked before anything of
// the battle is created: a mistyped squad count must fail at once, not after minutes of
// allocation or with the machine out of memory.
#pragma once

#include <string>

#include "battle/Scenario.h"

class UnitCount {
 public:
  // Enough for any army that fits on the largest allowed map.
  static constexpr long long kDefaultMost = 200000;
  static constexpr int kGeneralsPerSide = 1;

  // Both sides' Generals, squad leaders and followers; arrows and blood are not units.
  static long long Of(const Scenario& scenario);
  // false with one line naming both numbers when the scenario raises more than most units.
  static bool WithinLimit(const Scenario& scenario, long long most, std::string& error);
};
