// Kills by the type of the unit killed, over a run or a study.
#pragma once

#include <array>

#include "objects/UnitType.h"

struct KillTotals {
  std::array<long long, UnitType::kFighters> byType{};

  KillTotals& operator+=(const KillTotals& more);
  bool operator==(const KillTotals&) const = default;
};
