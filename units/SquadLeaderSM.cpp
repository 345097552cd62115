// Squad leader behaviour.
#include "units/SquadLeaderSM.h"

#include <algorithm>
#include <string>

#include "app/Game.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "render/Sprite.h"
#include "statemachine/EventClauses.h"

namespace {
int nextMemberTypeIndex = 0;
constexpr int kMemberTypeCycle[3] = {UnitType::Berserker, UnitType::Archer, UnitType::Soldier};

float DistanceBetween(const GameObject& a, const GameObject& b) {
  return (b.GetSprite()->position - a.GetSprite()->position).Length();
}

GameObject* FindGeneral(int serial) {
  const Game* game = Game::Instance();
  return game != nullptr && game->objects ? game->objects->FindGeneral(serial) : nullptr;
}

void Engage(GameObject* a, GameObject* b) {
  if (Game* game = Game::Instance()) game->Engage(a, b);
}
}  // namespace

int SquadLeaderSM::PeekNextMemberType() { return kMemberTypeCycle[nextMemberTypeIndex]; }

// A side with its own types cycles them over its squads; otherwise the squad takes the next type
// of the shared cycle, which moves only then.
int SquadLeaderSM::TakeMemberType(const ArmySetup& army, int squadIndex) {
  if (!army.memberTypes.empty())
    return army.memberTypes[static_cast<std::size_t>(squadIndex) % army.memberTypes.size()];
  const int type = kMemberTypeCycle[nextMemberTypeIndex];
  nextMemberTypeIndex = (nextMemberTypeIndex + 1) % 3;
  return type;
}

bool SquadLeaderSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  EventClauses clauses(*this, event, msg);
  if (blockState < 0) return clauses.Global();
  if (blockSubstate >= 0) return false;
  switch (blockState) {
    case STATE_Initialize: return HandleInitialize(clauses);
    case STATE_LookAround: return HandleLookAround(clauses);
    case STATE_Attack: return HandleAttack(clauses);
    case STATE_AttackGeneral: return HandleAttackGeneral(clauses);
    case STATE_JoinFormation: return HandleJoinFormation(clauses);
    case STATE_DissolveFormation: return HandleDissolveFormation(clauses);
    default: return false;
  }
}

bool SquadLeaderSM::HandleInitialize(EventClauses& clauses) {
  clauses.State("STATE_Initialize");
  if (clauses.On(EVENT_Enter)) {
    if (squadRaised) {
      SetState(STATE_LookAround);
    } else {
      RaiseSquad();
    }
    return true;
  }
  return clauses.Unhandled();
}

bool SquadLeaderSM::HandleLookAround(EventClauses& clauses) {
  clauses.State("STATE_LookAround");
  if (clauses.On(EVENT_Enter)) {
    SendToSelf(MSG_LookAround, SCOPE_Substate, 0);
    return true;
  }
  if (clauses.OnMessage(MSG_LookAround)) {
    ChooseTarget();
    return true;
  }
  return clauses.Unhandled();
}

bool SquadLeaderSM::HandleAttack(EventClauses& clauses) {
  clauses.State("STATE_Attack");
  if (clauses.On(EVENT_Enter)) {
    SendToSelf(MSG_LookAround, SCOPE_Substate, 0);
    formation.ResetSlots();
    return true;
  }
  if (clauses.OnMessage(MSG_LookAround)) {
    AttackNearest();
    return true;
  }
  return clauses.Unhandled();
}

bool SquadLeaderSM::HandleAttackGeneral(EventClauses& clauses) {
  clauses.State("STATE_AttackGeneral");
  if (clauses.On(EVENT_Enter)) {
    SendToSelfDelayed(1.0f, MSG_LookAround, SCOPE_Substate, 0);
    return true;
  }
  if (clauses.OnMessage(MSG_LookAround)) {
    GoForGeneral();
    return true;
  }
  return clauses.Unhandled();
}

bool SquadLeaderSM::HandleJoinFormation(EventClauses& clauses) {
  clauses.State("STATE_JoinFormation");
  if (clauses.On(EVENT_Enter)) {
    FormUp();
    return true;
  }
  if (clauses.OnMessage(MSG_Arrived)) {
    ReportReady();
    return true;
  }
  return clauses.Unhandled();
}

bool SquadLeaderSM::HandleDissolveFormation(EventClauses& clauses) {
  clauses.State("STATE_DissolveFormation");
  if (clauses.On(EVENT_Enter)) {
    formation.ResetSlots();
    SetState(STATE_LookAround);
    return true;
  }
  return clauses.Unhandled();
}

void SquadLeaderSM::RaiseSquad() {
  Game* game = Game::Instance();
  GameObject* leader = GetOwner();
  const ArmySetup& army = game->scenario.armies[leader->team == Team::Red ? 0 : 1];
  memberType = TakeMemberType(army, game->CountSquadRaised(leader->team));
  int followersLeft = army.followers;

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
      GameObject* follower = game->factory.Create(memberType, place, facing, leader->team);
      follower->SetLeaderName(leader->name);
      leader->readyFollowers += 1;
      leader->subordinates.push_back(follower->name);
    }
  }
  squadRaised = true;
  SetStateDelayed(5.0f, STATE_JoinFormation, SCOPE_Substate);
}

std::vector<GameObject*> SquadLeaderSM::EnemySquadLeaders() const {
  std::vector<GameObject*> enemies;
  ForEachEnemySquadLeader([&enemies](GameObject& enemy) {
    enemies.push_back(&enemy);
    return true;
  });
  return enemies;
}

template <class Visit>
void SquadLeaderSM::ForEachEnemySquadLeader(Visit&& visit) const {
  const Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return;
  const int leaders = game->scenario.armies[0].squads + game->scenario.armies[1].squads;
  const int serials = std::min(std::max(leaders, kSquadLeaderSerials), game->objects->SquadLeaderSerialEnd());
  const int team = GetOwner()->team;
  for (int serial = 0; serial < serials; ++serial) {
    GameObject* candidate = game->objects->FindSquadLeader(serial);
    if (candidate != nullptr && candidate->team != team && !visit(*candidate)) return;
  }
}

GameObject* SquadLeaderSM::EnemyGeneral() const {
  for (int serial = 0; serial < 2; ++serial) {
    GameObject* candidate = FindGeneral(serial);
    if (candidate != nullptr && candidate->team != GetOwner()->team) return candidate;
  }
  return nullptr;
}

// Asked on every update of a marching squad: the walk stops at the first hit and builds no list.
bool SquadLeaderSM::EnemyLeaderInRange() const {
  bool inRange = false;
  ForEachEnemySquadLeader([this, &inRange](GameObject& enemy) {
    inRange = GetOwner()->IsInRangeOf(enemy);
    return !inRange;
  });
  return inRange;
}

bool SquadLeaderSM::WithinStrikeDistance(const GameObject& other) const {
  return DistanceBetween(*GetOwner(), other) < kStrikeDistance;
}

void SquadLeaderSM::EngageTarget(GameObject& target) {
  GameObject* leader = GetOwner();
  if (leader->subordinates.empty()) {
    if (!leader->inCombat) Engage(leader, &target);
    return;
  }
  const std::vector<std::string> followers = leader->subordinates;
  for (const std::string& name : followers) Engage(FindObjectNamed(name), &target);
}

void SquadLeaderSM::EngageSquad(GameObject& enemyLeader) {
  GameObject* leader = GetOwner();
  const std::vector<std::string> enemies = enemyLeader.subordinates;
  if (enemies.empty()) return;
  auto randomEnemy = [&enemies]() {
    const auto index = static_cast<unsigned>(platform::Rand()) % static_cast<unsigned>(enemies.size());
    return FindObjectNamed(enemies[index]);
  };
  if (leader->subordinates.empty()) {
    Engage(leader, randomEnemy());
    return;
  }
  const std::vector<std::string> followers = leader->subordinates;
  for (const std::string& name : followers) {
    GameObject* follower = FindObjectNamed(name);
    if (follower == nullptr || follower->inCombat) continue;
    Engage(follower, randomEnemy());
  }
}

// The first enemy is always taken; a later one only if it still has more than two followers
// ready and stands strictly nearer.
void SquadLeaderSM::ChooseTarget() {
  const std::vector<GameObject*> enemies = EnemySquadLeaders();
  int next = STATE_AttackGeneral;
  if (!enemies.empty()) {
    GameObject* target = nullptr;
    float best = -1.0f;
    for (GameObject* enemy : enemies) {
      const float distance = DistanceBetween(*GetOwner(), *enemy);
      if (target == nullptr || (enemy->readyFollowers > 2 && distance < best)) {
        target = enemy;
        best = distance;
      }
    }
    if (WithinStrikeDistance(*target)) {
      next = STATE_Attack;
    } else {
      MarchTo(target->GetSprite()->position);
      next = STATE_JoinFormation;
    }
  }
  SetState(next);
  SendToSelfDelayed(1.0f, MSG_LookAround, SCOPE_Substate, 0);
}

void SquadLeaderSM::AttackNearest() {
  const std::vector<GameObject*> enemies = EnemySquadLeaders();
  if (enemies.empty()) SetState(STATE_LookAround);
  GameObject* nearest = nullptr;
  float best = 0.0f;
  for (GameObject* enemy : enemies) {
    const float distance = DistanceBetween(*GetOwner(), *enemy);
    if (nearest == nullptr || distance < best) {
      nearest = enemy;
      best = distance;
    }
  }
  if (nearest != nullptr) {
    if (nearest->subordinates.empty()) {
      EngageTarget(*nearest);
    } else {
      EngageSquad(*nearest);
    }
  }
  SendToSelfDelayed(0.5f, MSG_LookAround, SCOPE_Substate, 0);
}

// With no enemy General to be found the leader keeps looking, once a second.
void SquadLeaderSM::GoForGeneral() {
  GameObject* general = EnemyGeneral();
  if (general == nullptr) {
    SendToSelfDelayed(1.0f, MSG_LookAround, SCOPE_Substate, 0);
    return;
  }
  if (WithinStrikeDistance(*general)) {
    GetOwner()->GetSprite()->SetTarget(general->GetSprite()->position, true);
    EngageTarget(*general);
    SendToSelfDelayed(1.5f, MSG_LookAround, SCOPE_Substate, 0);
    return;
  }
  MarchTo(general->GetSprite()->position);
  SetState(STATE_JoinFormation);
}

// Remembers where to march; the General reads it when the squad reports ready.
void SquadLeaderSM::MarchTo(const Vector3& target) {
  orderMode = 0;
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
  SendTo(MSG_FormationReadyToFight, GetOwner()->leaderName, 0);
  SetStateDelayed(1.0f, STATE_LookAround, SCOPE_Substate);
}
