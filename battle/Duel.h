// A running duel between two units, held by name so that a duellist deleted meanwhile is simply
// not found when the duel is decided.
#pragma once

#include <string>

struct Duel {
  std::string attackerName;
  std::string defenderName;
  float timeLeft = 0.0f;
};
