// A squad leader: raises its followers (39 in the built-in battle), forms them up and reports to its General, and while
// no march is running looks around for the enemy, sends its followers into duels with a near
// squad, asks for a march to a far one, and goes for the enemy General when no squads are left.
#pragma once

#include <string>
#include <vector>

#include "app/Scenario.h"
#include "math/Vector3.h"
#include "statemachine/StateMachine.h"
#include "units/Formation.h"

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

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

  std::vector<GameObject*> EnemySquadLeaders() const;
  GameObject* EnemyGeneral() const;
  bool EnemyLeaderInRange() const;
  bool WithinStrikeDistance(const GameObject& other) const;
  void EngageTarget(GameObject& target);
  void EngageSquad(GameObject& enemyLeader);

  // The member type the next squad raised anywhere in the program will get; shared by every
  // squad leader of every battle and never reset.
  static int PeekNextMemberType();
  // The follower type of a side's squad by its index in the battle.
  static int TakeMemberType(const ArmySetup& army, int squadIndex);

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

  // Calls visit(enemy) for each enemy squad leader in serial order while it returns true.
  template <class Visit>
  void ForEachEnemySquadLeader(Visit&& visit) const;
  void RaiseSquad();
  void ChooseTarget();
  void AttackNearest();
  void GoForGeneral();
  void FormUp();
  void ReportReady();
  void MarchTo(const Vector3& target);
};
