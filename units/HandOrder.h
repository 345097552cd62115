// An order a player gives one of a side's squads by hand, or the word to its General to fight: the
// step of the battle it takes effect at travels with it, so that a battle led by hand can be
// played again order for order.
#pragma once

#include <string>

struct HandOrder {
  // The step of the running battle, from 1, at which the General carries the order out.
  long long step = 0;
  // The squad's leader by name; empty for the General's own order to fight.
  std::string squad;
  float x = 0.0f;
  float z = 0.0f;
  // A Formation::Shape id, or 0 to keep the squad's shape.
  int formation = 0;

  bool IsFight() const { return squad.empty(); }
  bool operator==(const HandOrder&) const = default;
};
