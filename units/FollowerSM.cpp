// Follower behaviour.
#include "units/FollowerSM.h"

#include "objects/BattleContext.h"
#include "objects/Formation.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/EventClauses.h"
#include "units/SquadLeaderSM.h"

bool FollowerSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_JoinFormation:
      return clauses.State("STATE_JoinFormation")
          .OnEnter([this] { ClaimSlot(); })
          .OnMessage(MSG_Arrived,
                     [this] {
                       if (Formation* formation = LocateFormation()) formation->MarkJoined();
                       SetState(STATE_BlindUpdate);
                     })
          .End();
    case STATE_BlindUpdate: return clauses.State("STATE_BlindUpdate").OnUpdate([this] { TrackSlot(); }).End();
    case STATE_DissolveFormation:
      return clauses.State("STATE_DissolveFormation").OnEnter([this] { RequestPop(); }).End();
    default:
      return clauses.Global()
          .OnMessage(MSG_Reset, [this] { RequestRestart(); })
          .OnMessage(MSG_DissolveFormation, [this] { SetState(STATE_DissolveFormation); })
          .End();
  }
}

Formation* FollowerSM::LocateFormation() const {
  GameObject* squadLeaderObject = GetOwner()->Leader();
  if (squadLeaderObject == nullptr) return nullptr;
  return squadLeaderObject->LedFormation();
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
