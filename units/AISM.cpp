// Squad movement along a found path.
#include "units/AISM.h"

#include "objects/BattleContext.h"
#include "objects/Formation.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"
#include "statemachine/StateArchive.h"
#include "terrain/PathFinder.h"
#include "units/SquadLeaderSM.h"

namespace {
SquadLeaderSM* LocateSquadLeader(const GameObject& leader) {
  GameObject* self = leader.GetBattle()->Find(leader.name);
  return self != nullptr ? SquadLeaderSM::Of(*self) : nullptr;
}
}  // namespace

// The march reads only the target's ground coordinates, so the height is not kept: orders that
// differ only there (a script's goal stands at height 0, a stored enemy position does not) make
// the same march, and fingerprint alike.
AISM::AISM(GameObject* machineOwner, float targetX, float /*targetY*/, float targetZ)
    : StateMachine(machineOwner), targetPosition(targetX, 0.0f, targetZ) {}

bool AISM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize: return clauses.State("STATE_Initialize").OnEnter([this] { SetState(STATE_FindPath); }).End();
    case STATE_FindPath: return clauses.State("STATE_FindPath").OnEnter([this] { FindPath(); }).End();
    case STATE_FollowPath:
      return clauses.State("STATE_FollowPath")
          .OnEnter([this] { WalkToNextWaypoint(); })
          .OnMessage(MSG_Arrived,
                     [this] {
                       if (path.empty()) {
                         SetState(STATE_End);
                       } else {
                         WalkToNextWaypoint();
                       }
                     })
          .End();
    case STATE_RotateInFormation:
      return clauses.State("STATE_RotateInFormation")
          .OnEnter([this] {
            if (path.empty()) {
              SetState(STATE_End);
            } else {
              TurnTowardsNextWaypoint();
            }
          })
          .OnUpdate([this] {
            if (EnemyLeaderInRange()) SetState(STATE_End);
          })
          .OnMessage(MSG_Arrived, [this] { SetState(STATE_MarchInFormation); })
          .End();
    case STATE_MarchInFormation:
      return clauses.State("STATE_MarchInFormation")
          .OnEnter([this] { MoveOntoWaypoint(); })
          .OnMessage(MSG_Arrived, [this] { SetState(STATE_RotateInFormation); })
          .End();
    case STATE_End: return clauses.State("STATE_End").OnEnter([this] { EndMarch(); }).End();
    default: return clauses.Global().End();
  }
}

void AISM::FindPath() {
  PathFinder& pathFinder = *GetOwner()->GetBattle()->pathFinder;
  const Vector3 start = GetOwner()->GetSprite()->position;
  pathFinder.FindPathOrNearest(static_cast<int>(start.x), static_cast<int>(start.z), static_cast<int>(targetPosition.x),
                               static_cast<int>(targetPosition.z), kPathWeight);
  // The path finder adds its route in front of whatever the list holds. The march can be sent
  // back here with way-points left (a delayed change meant for the squad leader below carries
  // this state's id), and the old remainder would then be walked after the new goal.
  path.clear();
  pathFinder.BuildPath(path);
  if (!path.empty()) {
    SetState(STATE_RotateInFormation);
  } else {
    SetStateDelayed(kNoPathDelay, STATE_End, SCOPE_Substate);
  }
}

void AISM::WalkToNextWaypoint() {
  const Vector3 waypoint = path.front();
  path.pop_front();
  GetOwner()->GetSprite()->SetTarget(waypoint, true);
}

void AISM::TurnTowardsNextWaypoint() {
  currentWaypoint = path.front();
  path.pop_front();
  Formation* formation = LocateFormation();
  if (formation == nullptr) return;
  formation->FaceTowards(currentWaypoint);
  WalkToOwnSlot(*formation);
}

void AISM::MoveOntoWaypoint() {
  Formation* formation = LocateFormation();
  if (formation == nullptr) return;
  formation->SetOrigin(currentWaypoint);
  WalkToOwnSlot(*formation);
}

void AISM::WalkToOwnSlot(const Formation& formation) {
  Vector3 slot(0.0f, 0.0f, 0.0f);
  formation.SlotPosition(static_cast<unsigned>(GetOwner()->formationSlot), slot);
  GetOwner()->GetSprite()->SetTarget(slot, true);
}

void AISM::EndMarch() {
  if (Formation* formation = LocateFormation()) formation->ResetSlots();
  SendToAll(MSG_DissolveFormation, GetOwner()->subordinates, 0);
  RequestPop();
}

Formation* AISM::LocateFormation() const {
  SquadLeaderSM* squadLeader = LocateSquadLeader(*GetOwner());
  return squadLeader != nullptr ? &squadLeader->formation : nullptr;
}

bool AISM::EnemyLeaderInRange() const {
  const SquadLeaderSM* squadLeader = LocateSquadLeader(*GetOwner());
  return squadLeader != nullptr && squadLeader->EnemyLeaderInRange();
}

void AISM::WalkOwn(StateArchive& archive) {
  archive.Point("march.targetPosition", targetPosition);
  archive.Point("march.currentWaypoint", currentWaypoint);
  archive.Size("march.path", path, 12);
  for (Vector3& waypoint : path) archive.Point("march.path", waypoint);
}
