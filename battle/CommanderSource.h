// Where a side's Commander comes from when it is neither the built-in General nor a Lua file: a
// program that embeds the simulation hands one in with the scenario, and every battle asks it for
// a fresh Commander.
#pragma once

#include <memory>
#include <vector>

#include "units/Commander.h"

class Battle;

class CommanderSource {
 public:
  virtual ~CommanderSource() = default;

  // The Commander of team's side for this battle; never null. One that cannot lead has Failed(),
  // and the side forfeits the battle.
  virtual std::unique_ptr<Commander> ForBattle(Battle& battle, int team) const = 0;
  // The orders given by hand in the battle of that number (from 1), for its record; null when the
  // side is not led by hand.
  virtual const std::vector<HandOrder>* HandOrders(int /*battle*/) const { return nullptr; }
};
