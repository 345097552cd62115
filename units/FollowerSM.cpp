// Follower behaviour.
#include "units/FollowerSM.h"

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"
#include "units/Formation.h"
#include "units/SquadLeaderSM.h"

bool FollowerSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return HandleGlobal(clauses);
  if (blockSubstate >= 0) return false;

  switch (blockState) {
    case STATE_JoinFormation:
      clauses.State("STATE_JoinFormation");
      if (clauses.On(EVENT_Enter)) {
        ClaimSlot();
        return true;
      }
      if (clauses.OnMessage(MSG_Arrived)) {
        if (Formation* formation = LocateFormation()) formation->MarkJoined();
        SetState(STATE_BlindUpdate);
        return true;
      }
      return clauses.Unhandled();
    case STATE_BlindUpdate:
      clauses.State("STATE_BlindUpdate");
      if (clauses.On(EVENT_Update)) {
        TrackSlot();
        return true;
      }
      return clauses.Unhandled();
    case STATE_DissolveFormation:
      clauses.State("STATE_DissolveFormation");
      if (clauses.On(EVENT_Enter)) {
        RequestPop();
        return true;
      }
      return clauses.Unhandled();
    default: return false;
  }
}

bool FollowerSM::HandleGlobal(EventClauses& clauses) {
  if (clauses.DelayedChange()) return true;
  if (clauses.OnMessage(MSG_Reset)) {
    RequestRestart();
    return true;
  }
  if (clauses.OnMessage(MSG_DissolveFormation)) {
    SetState(STATE_DissolveFormation);
    return true;
  }
  return clauses.Unhandled();
}

Formation* FollowerSM::LocateFormation() const {
  GameObject* squadLeaderObject = GetOwner()->Leader();
  if (squadLeaderObject == nullptr) return nullptr;
  SquadLeaderSM* squadLeader = squadLeaderObject->FindSquadLeaderMachine();
  return squadLeader != nullptr ? &squadLeader->formation : nullptr;
}

// A member that finds no slot (formation full, every slot taken, or the leader gone) leaves
// the formation at once.
void FollowerSM::ClaimSlot() {
  GameObject* member = GetOwner();
  Formation* formation = LocateFormation();
  unsigned slot = 0;
  Vector3 point;
  if (formation == nullptr || !formation->ClaimSlot(slot, point)) {
    SetState(STATE_DissolveFormation);
    return;
  }
  member->formationSlot = static_cast<int>(slot);
  if (Sprite* sprite = member->GetSprite()) sprite->SetTarget(point, true);
}

void FollowerSM::TrackSlot() {
  GameObject* member = GetOwner();
  Formation* formation = LocateFormation();
  if (formation == nullptr) return;
  Vector3 point(0.0f, 0.0f, 0.0f);
  if (formation->SlotPosition(static_cast<unsigned>(member->formationSlot), point)) {
    if (Sprite* sprite = member->GetSprite()) sprite->SetTarget(point, false);
  }
}
