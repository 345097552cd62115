// Marches a squad leader and its formation to a target: finds a grid path, then for each
// way-point turns the formation towards it and moves the formation onto it, until the path is
// used up or an enemy squad leader comes within reach; then dissolves the formation and leaves.
#pragma once

#include <list>

#include "math/Vector3.h"
#include "statemachine/StateMachine.h"

class Formation;

class AISM : public StateMachine {
 public:
  enum State : int {
    STATE_Initialize = 0,
    STATE_FindPath = 1,
    STATE_FollowPath = 2,
    STATE_RotateInFormation = 3,
    STATE_MarchInFormation = 4,
    STATE_End = 5,
  };
  static constexpr float kPathWeight = 1.1f;
  // Without a path the squad waits this long before it dissolves where it stands.
  static constexpr float kNoPathDelay = 0.5f;

  AISM(GameObject* owner, float targetX, float targetY, float targetZ);
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "AISM"; }

  const Vector3& TargetPosition() const { return targetPosition; }
  const Vector3& CurrentWaypoint() const { return currentWaypoint; }
  const std::list<Vector3>& Path() const { return path; }

 private:
  void WalkOwn(StateArchive& archive) override;
  void FindPath();
  void WalkToNextWaypoint();
  void TurnTowardsNextWaypoint();
  void MoveOntoWaypoint();
  void WalkToOwnSlot(const Formation& formation);
  void EndMarch();
  // The leader's formation, looked up afresh each time; null if the leader has none.
  Formation* LocateFormation() const;
  bool EnemyLeaderInRange() const;

  Vector3 targetPosition;
  Vector3 currentWaypoint;
  std::list<Vector3> path;
};
