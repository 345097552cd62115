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
class Game;

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
  // A newly raised squad stands in its rows this long before it forms up.
  static constexpr float kFormUpDelay = 5.0f;
  // After reporting ready the leader waits this long before it looks around again.
  static constexpr float kLookAroundAfterReportDelay = 1.0f;
  // With no fight on its hands the leader looks for one once a second: when it has chosen what to
  // do next, and while it goes for the enemy General or finds none.
  static constexpr float kLookAroundPeriod = 1.0f;
  // While its squad fights another, the leader sends its free followers into new duels this often,
  // so that a follower whose duel ended soon has a new one.
  static constexpr float kSquadFightPeriod = 0.5f;
  // While its squad fights the enemy General, the leader looks around again this often.
  static constexpr float kGeneralFightPeriod = 1.5f;

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;

  // Test-only: while on, every search for enemy squad leaders is answered a second time by a
  // walk over all their serials, and answers that differ are counted.
  struct SearchCheck {
    bool on = false;
    long long searches = 0;
    long long differences = 0;
    // Searches whose answer stood exactly as far away as another enemy it had to be chosen over.
    long long ties = 0;
  };
  static SearchCheck searchCheck;

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

  // The member type the next squad raised anywhere in the program will get; shared by every
  // squad leader of every battle, and restarted only by RestartMemberTypeCycle.
  static int PeekNextMemberType();
  // Back to where a new process starts the shared cycle: berserkers.
  static void RestartMemberTypeCycle();
  // The follower type of a side's squad by its index in the battle.
  static int TakeMemberType(const ArmySetup& army, int squadIndex);

  // Where the General sends the squad when it reports ready.
  enum class OrderMode : int {
    // To storedTarget: the enemy the leader chose to march on.
    MarchToTarget = 0,
    // To a point the General picks on the squad's own side. The two are read alike; a raised
    // squad starts out deploying, and nothing in the battle gives GeneralPicksPoint.
    GeneralPicksPoint = 1,
    Deploy = 2,
  };

  Formation formation;
  OrderMode orderMode = OrderMode::Deploy;
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

  // The squad leaders are looked up under serials below this one.
  static int SquadLeaderSerialEnd(const Game& game);
  // Of the enemy squad leaders wanted(serial, leader) accepts, the nearest; ties go to the lower
  // serial. Only the leaders the grid cannot rule out by where they stand are looked at.
  template <class Wanted>
  GameObject* NearestEnemyLeaderWhere(Wanted&& wanted) const;
  // The answers by the walk over every serial, which the search check compares with; tied tells
  // whether another enemy stood exactly as far as the answer and could have been it.
  template <class Visit>
  void ForEachEnemySquadLeader(Visit&& visit) const;
  bool EnemyLeaderInRangeByWalk() const;
  template <class LaterCounts>
  GameObject* FirstOrNearerByWalk(LaterCounts&& laterCounts, bool& tied) const;
  template <class LaterCounts>
  void CheckSearch(const GameObject* found, LaterCounts&& laterCounts) const;
  static void CountSearch(bool same, bool tied);
  void RaiseSquad();
  void ChooseTarget();
  void AttackNearest();
  void GoForGeneral();
  void FormUp();
  void ReportReady();
  void MarchTo(const Vector3& target);
};
