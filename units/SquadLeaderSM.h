// A squad leader: raises its followers (39 in the built-in battle), forms them up and reports to its General, and while
// no march is running looks around for the enemy, sends its followers into duels with a near
// squad, asks for a march to a far one, and goes for the enemy General when no squads are left.
#pragma once

#include <string>
#include <vector>

#include "math/Vector3.h"
#include "objects/FormationLead.h"
#include "objects/GameObject.h"
#include "statemachine/StateMachine.h"

class BattleContext;

class SquadLeaderSM : public StateMachine, public FormationLead {
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

  // The owner belongs to a battle, whose generator draws the formation's shape.
  explicit SquadLeaderSM(GameObject* machineOwner);
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "SquadLeaderSM"; }
  // A leader read back from a battle file: its formation is read too, so none is drawn.
  struct Restored {};
  SquadLeaderSM(GameObject* machineOwner, Restored);

  // The squad leader machine in the object's stack, or null. It is the only machine that leads a
  // formation.
  static SquadLeaderSM* Of(const GameObject& leader) { return static_cast<SquadLeaderSM*>(leader.LeadingMachine()); }

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

  // Where the General sends the squad when it reports ready.
  enum class OrderMode : int {
    // To storedTarget: the enemy the leader chose to march on.
    MarchToTarget = 0,
    // To a point the General picks on the squad's own side. The two are read alike; a raised
    // squad starts out deploying, and nothing in the battle gives GeneralPicksPoint.
    GeneralPicksPoint = 1,
    Deploy = 2,
  };

  OrderMode orderMode = OrderMode::Deploy;
  Vector3 storedTarget;
  int memberType = 0;
  bool squadRaised = false;

 private:
  BattleContext& OwnBattle() const;
  // The squad leaders are looked up under serials below this one.
  static int SquadLeaderSerialEnd(const BattleContext& battle);
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
  void WalkOwn(StateArchive& archive) override;
};
