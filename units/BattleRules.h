// What the machines ask of the rules of their battle, which stand above the units: duels started, a
// battle ended or given up, the squads' sizes and follower types, a side's commander and the
// factory that makes units. A unit reaches them through its battle's context.
#pragma once

#include <string>

#include "math/Vector3.h"

class Commander;
class GameObject;
class UnitFactory;

class BattleRules {
 public:
  virtual ~BattleRules() = default;

  virtual UnitFactory& Factory() = 0;
  // Starts a duel; a or b may be null (failed lookups) or dying, and then nothing starts.
  virtual void Engage(GameObject* a, GameObject* b) = 0;
  // Scores the battle lost by the dead General's team, clears the field and starts the next.
  virtual void EndBattle(int deadGeneralTeam) = 0;
  // The team gives up the running battle, which ends at the close of the step (the first forfeit
  // of a step is the one that counts): a General's handler may be on the stack when it is asked.
  virtual void ForfeitBattle(int team, const std::string& reason) = 0;
  // Who leads the team's side in this battle (its strategy script); null for the built-in General.
  virtual Commander* Strategy(int team) const = 0;
  // The follower type of the team's next squad. Counts the squad and notes its type.
  virtual int TakeMemberType(int team) = 0;
  // How many squads the team's General raises, and how many followers the squad TakeMemberType
  // counted last raises.
  virtual int Squads(int team) const = 0;
  virtual int Followers(int team) const = 0;
  // Where the team's squad of that index (from 0) stands up, its General standing at general.
  virtual Vector3 SquadPlace(int team, int index, const Vector3& general) const = 0;
  // The first formation of the squad TakeMemberType counted last; 0 for the one it draws.
  virtual int SquadFormation(int team) const = 0;
  // When the running battle started, on the battle's clock.
  virtual float BattleStartedAt() const = 0;
};
