// Something outside a battlefield that must read a battle as it ended: its field is cleared for
// the next one within the same step, before the step returns.
#pragma once

class Battle;

class BattleEndWatcher {
 public:
  virtual ~BattleEndWatcher() = default;

  // The battle's units are still on the field, its tallies not yet reset. Must not change the battle.
  virtual void BattleEnding(const Battle& battle) = 0;
};
