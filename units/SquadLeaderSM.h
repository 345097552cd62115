// A squad leader: raises its followers (39 in the built-in battle), forms them up and reports to its General, and while
// no march is running looks around for the enemy, sends its followers into duels with a near
// squad, asks for a march to a far one, and goes for the enemy General when no squads are left.
#pragma once

#include <string>
#include <vector>

#include "math/Vector3.h"
#include "statemachine/StateMachine.h"
#include "units/Formation.h"

class Battle;
class EventClauses;

class SquadLeaderSM : public StateMachine {
 public:
  enum State : int {
    STATE_Initialize = 0,
    STATE_LookAround = 1,
    STATE_Attack = 2,
    STATE_AttackGeneral = 3,
    STATE_JoinFormation = 4,
    STATE_DissolveFormation = 5,
  };
  // An enemy closer than this is fought where it stands; a farther one is marched to.
  static constexpr float kStrikeDistance = 20.0f;
  static constexpr int kFollowerRows = 4;
  static constexpr int kFollowerColumns = 10;
  // Squad leaders are looked up by name under these serials, or under as many as the battle
  // raises when that is more.
  static constexpr int kSquadLeaderSerials = 12;

  // The owner belongs to a battle, whose generator draws the formation's shape.
  explicit SquadLeaderSM(GameObject* machineOwner);
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

  GameObject* EnemyGeneral() const;
  bool EnemyLeaderInRange() const;
  // The first enemy squad leader by serial, or a nearer one with more than two followers ready;
  // null when there is no enemy squad leader.
  GameObject* ChosenTarget() const;
  // Ties go to the lower serial; null when there is no enemy squad leader.
  GameObject* NearestEnemyLeader() const;
  bool WithinStrikeDistance(const GameObject& other) const;
  void EngageTarget(GameObject& target);
  void EngageSquad(GameObject& enemyLeader);

  Formation formation;
  // 0 = march to the stored target; 1 or 2 = to a point the General picks.
  int orderMode = 2;
  Vector3 storedTarget;
  int memberType = 0;
  bool squadRaised = false;

 private:
  bool HandleInitialize(EventClauses& clauses);
  bool HandleLookAround(EventClauses& clauses);
  bool HandleAttack(EventClauses& clauses);
  bool HandleAttackGeneral(EventClauses& clauses);
  bool HandleJoinFormation(EventClauses& clauses);
  bool HandleDissolveFormation(EventClauses& clauses);

  Battle& OwnBattle() const;
  // The squad leaders are looked up under serials below this one.
  static int SquadLeaderSerialEnd(const Battle& battle);
  // Of the enemy squad leaders wanted(serial, leader) accepts, the nearest; ties go to the lower
  // serial. Only the leaders the grid cannot rule out by where they stand are looked at.
  template <class Wanted>
  GameObject* NearestEnemyLeaderWhere(Wanted&& wanted) const;
  void RaiseSquad();
  void ChooseTarget();
  void AttackNearest();
  void GoForGeneral();
  void FormUp();
  void ReportReady();
  void MarchTo(const Vector3& target);
};
