// Squad leader behaviour.
#include "units/SquadLeaderSM.h"

#include <algorithm>
#include <limits>
#include <string>

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/GameObjectManager.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/EventClauses.h"
#include "statemachine/StateArchive.h"
#include "units/BattleRules.h"
#include "units/UnitFactory.h"

namespace {
float DistanceBetween(const GameObject& a, const GameObject& b) {
  return (b.GetSprite()->position - a.GetSprite()->position).Length();
}

}  // namespace

// The formation's shape is drawn as the machine is made, before anything else of it.
SquadLeaderSM::SquadLeaderSM(GameObject* machineOwner)
    : StateMachine(machineOwner), FormationLead(machineOwner->GetBattle()->random.Rand()) {}

SquadLeaderSM::SquadLeaderSM(GameObject* machineOwner, Restored) : StateMachine(machineOwner), FormationLead(0) {}

void SquadLeaderSM::WalkOwn(StateArchive& archive) {
  archive.Enum("leader.orderMode", orderMode);
  archive.Point("leader.storedTarget", storedTarget);
  archive.Int("leader.memberType", memberType);
  archive.Flag("leader.squadRaised", squadRaised);
  formation.Walk(archive);
}

BattleContext& SquadLeaderSM::OwnBattle() const { return *GetOwner()->GetBattle(); }

bool SquadLeaderSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize:
      return clauses.State("STATE_Initialize")
          .OnEnter([this] {
            if (squadRaised) {
              SetState(STATE_LookAround);
            } else {
              RaiseSquad();
            }
          })
          .End();
    case STATE_LookAround:
      return clauses.State("STATE_LookAround")
          .OnEnter([this] { SendToSelf(MSG_LookAround, SCOPE_Substate, 0); })
          .OnMessage(MSG_LookAround, [this] { ChooseTarget(); })
          .End();
    case STATE_Attack:
      return clauses.State("STATE_Attack")
          .OnEnter([this] {
            SendToSelf(MSG_LookAround, SCOPE_Substate, 0);
            formation.ResetSlots();
          })
          .OnMessage(MSG_LookAround, [this] { AttackNearest(); })
          .End();
    case STATE_AttackGeneral:
      return clauses.State("STATE_AttackGeneral")
          .OnEnter([this] { SendToSelfDelayed(kLookAroundPeriod, MSG_LookAround, SCOPE_Substate, 0); })
          .OnMessage(MSG_LookAround, [this] { GoForGeneral(); })
          .End();
    case STATE_JoinFormation:
      return clauses.State("STATE_JoinFormation")
          .OnEnter([this] { FormUp(); })
          .OnMessage(MSG_Arrived, [this] { ReportReady(); })
          .End();
    case STATE_DissolveFormation:
      return clauses.State("STATE_DissolveFormation")
          .OnEnter([this] {
            formation.ResetSlots();
            SetState(STATE_LookAround);
          })
          .End();
    default: return clauses.Global().End();
  }
}

void SquadLeaderSM::RaiseSquad() {
  BattleContext& battle = OwnBattle();
  GameObject* leader = GetOwner();
  memberType = battle.Rules().TakeMemberType(leader->team);
  int followersLeft = battle.Rules().Followers(leader->team);

  const Vector3 origin = leader->GetSprite()->position;
  const float facing = leader->GetSprite()->facing;
  const float rowSign = leader->team != Team::Red ? 1.0f : -1.0f;
  for (int row = 0; row < kFollowerRows; ++row) {
    for (int column = 0; column < kFollowerColumns; ++column) {
      // At most 39 followers: the last place of the last row stays empty, the leader makes 40.
      if (row == kFollowerRows - 1 && column == kFollowerColumns - 1) continue;
      if (followersLeft-- <= 0) continue;
      const Vector3 place(origin.x + static_cast<float>(column - 5), origin.y,
                          origin.z + 2.0f * static_cast<float>(row) * rowSign);
      GameObject* follower = battle.Rules().Factory().Create(memberType, place, facing, leader->team);
      follower->SetLeaderName(leader->name);
      leader->readyFollowers += 1;
      leader->subordinates.push_back(follower->name);
    }
  }
  // A squad placed by hand may be given its shape; the one drawn above is then set aside.
  if (const int shape = battle.Rules().SquadFormation(leader->team); shape != 0) {
    formation.Reshape(static_cast<Formation::Shape>(shape));
    leader->formationKind = shape;
  }
  squadRaised = true;
  SetStateDelayed(kFormUpDelay, STATE_JoinFormation, SCOPE_Substate);
}

int SquadLeaderSM::SquadLeaderSerialEnd(const BattleContext& battle) {
  const int leaders = battle.Rules().Squads(Team::Red) + battle.Rules().Squads(Team::Blue);
  return std::min(std::max(leaders, kSquadLeaderSerials), battle.objects->SquadLeaderSerialEnd());
}

// The grid may offer the leaders in any order, so ties are settled by serial here.
template <class Wanted>
GameObject* SquadLeaderSM::NearestEnemyLeaderWhere(Wanted&& wanted) const {
  const BattleContext& battle = OwnBattle();
  GameObject* nearest = nullptr;
  int nearestSerial = 0;
  float best = 0.0f;
  auto visit = [&](int serial, GameObject& enemy) {
    if (!wanted(serial, enemy)) return true;
    const float distance = DistanceBetween(*GetOwner(), enemy);
    if (nearest == nullptr || distance < best || (distance == best && serial < nearestSerial)) {
      nearest = &enemy;
      nearestSerial = serial;
      best = distance;
    }
    return true;
  };
  auto reach = [&] { return nearest == nullptr ? std::numeric_limits<float>::infinity() : best; };
  battle.objects->SquadLeaderGrid().VisitOtherTeams(GetOwner()->team, GetOwner()->GetSprite()->position,
                                                    SquadLeaderSerialEnd(battle), visit, reach);
  return nearest;
}

GameObject* SquadLeaderSM::EnemyGeneral() const {
  for (int serial = 0; serial < 2; ++serial) {
    GameObject* candidate = OwnBattle().objects->FindGeneral(serial);
    if (candidate != nullptr && candidate->team != GetOwner()->team) return candidate;
  }
  return nullptr;
}

// Asked on every update of a marching squad: the search stops at the first hit and looks only
// at leaders whose cells are within the owner's attack range.
bool SquadLeaderSM::EnemyLeaderInRange() const {
  const BattleContext& battle = OwnBattle();
  const GameObject* self = GetOwner();
  bool inRange = false;
  battle.objects->SquadLeaderGrid().VisitOtherTeams(
      self->team, self->GetSprite()->position, SquadLeaderSerialEnd(battle),
      [self, &inRange](int, GameObject& enemy) {
        inRange = self->IsInRangeOf(enemy);
        return !inRange;
      },
      [self] { return self->attackRange; });
  return inRange;
}

// The first enemy by serial is a candidate whatever its followers, so the nearest candidate is
// the walk's answer.
GameObject* SquadLeaderSM::ChosenTarget() const {
  const BattleContext& battle = OwnBattle();
  const int first =
      battle.objects->SquadLeaderGrid().FirstSerialOfOtherTeams(GetOwner()->team, SquadLeaderSerialEnd(battle));
  auto candidate = [first](int serial, const GameObject& enemy) { return serial == first || enemy.readyFollowers > 2; };
  GameObject* target = first < 0 ? nullptr : NearestEnemyLeaderWhere(candidate);
  return target;
}

GameObject* SquadLeaderSM::NearestEnemyLeader() const {
  return NearestEnemyLeaderWhere([](int, const GameObject&) { return true; });
}

bool SquadLeaderSM::WithinStrikeDistance(const GameObject& other) const {
  return DistanceBetween(*GetOwner(), other) < kStrikeDistance;
}

void SquadLeaderSM::EngageTarget(GameObject& target) {
  GameObject* leader = GetOwner();
  if (leader->subordinates.empty()) {
    if (!leader->inCombat) OwnBattle().Rules().Engage(leader, &target);
    return;
  }
  const std::vector<std::string> followers = leader->subordinates;
  BattleContext& battle = OwnBattle();
  for (const std::string& name : followers) battle.Rules().Engage(battle.Find(name), &target);
}

void SquadLeaderSM::EngageSquad(GameObject& enemyLeader) {
  GameObject* leader = GetOwner();
  const std::vector<std::string> enemies = enemyLeader.subordinates;
  if (enemies.empty()) return;
  BattleContext& battle = OwnBattle();
  auto randomEnemy = [&enemies, &battle]() {
    const auto index = static_cast<unsigned>(battle.random.Rand()) % static_cast<unsigned>(enemies.size());
    return battle.Find(enemies[index]);
  };
  if (leader->subordinates.empty()) {
    battle.Rules().Engage(leader, randomEnemy());
    return;
  }
  const std::vector<std::string> followers = leader->subordinates;
  for (const std::string& name : followers) {
    GameObject* follower = battle.Find(name);
    if (follower == nullptr || follower->inCombat) continue;
    battle.Rules().Engage(follower, randomEnemy());
  }
}

void SquadLeaderSM::ChooseTarget() {
  GameObject* target = ChosenTarget();
  int next = STATE_AttackGeneral;
  if (target != nullptr) {
    if (WithinStrikeDistance(*target)) {
      next = STATE_Attack;
    } else {
      MarchTo(target->GetSprite()->position);
      next = STATE_JoinFormation;
    }
  }
  SetState(next);
  SendToSelfDelayed(kLookAroundPeriod, MSG_LookAround, SCOPE_Substate, 0);
}

void SquadLeaderSM::AttackNearest() {
  GameObject* nearest = NearestEnemyLeader();
  if (nearest == nullptr) {
    SetState(STATE_LookAround);
  } else if (nearest->subordinates.empty()) {
    EngageTarget(*nearest);
  } else {
    EngageSquad(*nearest);
  }
  SendToSelfDelayed(kSquadFightPeriod, MSG_LookAround, SCOPE_Substate, 0);
}

// With no enemy General to be found the leader keeps looking, once a second.
void SquadLeaderSM::GoForGeneral() {
  GameObject* general = EnemyGeneral();
  if (general == nullptr) {
    SendToSelfDelayed(kLookAroundPeriod, MSG_LookAround, SCOPE_Substate, 0);
    return;
  }
  if (WithinStrikeDistance(*general)) {
    GetOwner()->GetSprite()->SetTarget(general->GetSprite()->position, true);
    EngageTarget(*general);
    SendToSelfDelayed(kGeneralFightPeriod, MSG_LookAround, SCOPE_Substate, 0);
    return;
  }
  MarchTo(general->GetSprite()->position);
  SetState(STATE_JoinFormation);
}

// Remembers where to march; the General reads it when the squad reports ready.
void SquadLeaderSM::MarchTo(const Vector3& target) {
  orderMode = OrderMode::MarchToTarget;
  storedTarget = target;
  formation.ResetSlots();
}

void SquadLeaderSM::FormUp() {
  GameObject* leader = GetOwner();
  formation.SetOrigin(leader->GetSprite()->position);
  leader->formationKind = formation.ShapeId();
  unsigned slot = 0;
  Vector3 point;
  if (!formation.ClaimSlot(slot, point)) {
    SetState(STATE_DissolveFormation);
    return;
  }
  leader->formationSlot = static_cast<int>(slot);
  leader->GetSprite()->SetTarget(point, true);
  SendToAll(MSG_JoinFormation, leader->subordinates, 0);
}

void SquadLeaderSM::ReportReady() {
  formation.MarkJoined();
  SendTo(MSG_FormationReadyToFight, GetOwner()->GetLeaderName(), 0);
  SetStateDelayed(kLookAroundAfterReportDelay, STATE_LookAround, SCOPE_Substate);
}
