// Squad leader behaviour.
#include "units/SquadLeaderSM.h"

#include <algorithm>
#include <limits>
#include <string>

#include "app/Game.h"
#include "objects/GameObject.h"
#include "objects/GameObjectManager.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
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

void SquadLeaderSM::RestartMemberTypeCycle() { nextMemberTypeIndex = 0; }

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
  game->NoteSquadType(leader->team, memberType);
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

SquadLeaderSM::SearchCheck SquadLeaderSM::searchCheck;

int SquadLeaderSM::SquadLeaderSerialEnd(const Game& game) {
  const int leaders = game.scenario.armies[0].squads + game.scenario.armies[1].squads;
  return std::min(std::max(leaders, kSquadLeaderSerials), game.objects->SquadLeaderSerialEnd());
}

template <class Visit>
void SquadLeaderSM::ForEachEnemySquadLeader(Visit&& visit) const {
  const Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return;
  const int serials = SquadLeaderSerialEnd(*game);
  const int team = GetOwner()->team;
  for (int serial = 0; serial < serials; ++serial) {
    GameObject* candidate = game->objects->FindSquadLeader(serial);
    if (candidate != nullptr && candidate->team != team && !visit(serial, *candidate)) return;
  }
}

// The first enemy in serial order is taken, then any later one laterCounts accepts that stands
// strictly nearer: of equally near ones the first stays.
template <class LaterCounts>
GameObject* SquadLeaderSM::FirstOrNearerByWalk(LaterCounts&& laterCounts, bool& tied) const {
  GameObject* target = nullptr;
  float best = 0.0f;
  tied = false;
  ForEachEnemySquadLeader([&](int, GameObject& enemy) {
    const float distance = DistanceBetween(*GetOwner(), enemy);
    if (target == nullptr || (laterCounts(enemy) && distance < best)) {
      target = &enemy;
      best = distance;
      tied = false;
    } else if (laterCounts(enemy) && distance == best) {
      tied = true;
    }
    return true;
  });
  return target;
}

// The grid may offer the leaders in any order, so ties are settled by serial here.
template <class Wanted>
GameObject* SquadLeaderSM::NearestEnemyLeaderWhere(Wanted&& wanted) const {
  Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return nullptr;
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
  game->objects->SquadLeaderGrid().VisitOtherTeams(GetOwner()->team, GetOwner()->GetSprite()->position,
                                                   SquadLeaderSerialEnd(*game), visit, reach);
  return nearest;
}

template <class LaterCounts>
void SquadLeaderSM::CheckSearch(const GameObject* found, LaterCounts&& laterCounts) const {
  bool tied = false;
  const bool same = FirstOrNearerByWalk(laterCounts, tied) == found;
  CountSearch(same, tied);
}

void SquadLeaderSM::CountSearch(bool same, bool tied) {
  ++searchCheck.searches;
  if (!same) ++searchCheck.differences;
  if (tied) ++searchCheck.ties;
}

GameObject* SquadLeaderSM::EnemyGeneral() const {
  for (int serial = 0; serial < 2; ++serial) {
    GameObject* candidate = FindGeneral(serial);
    if (candidate != nullptr && candidate->team != GetOwner()->team) return candidate;
  }
  return nullptr;
}

// Asked on every update of a marching squad: the search stops at the first hit and looks only
// at leaders whose cells are within the owner's attack range.
bool SquadLeaderSM::EnemyLeaderInRange() const {
  Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return false;
  const GameObject* self = GetOwner();
  bool inRange = false;
  game->objects->SquadLeaderGrid().VisitOtherTeams(
      self->team, self->GetSprite()->position, SquadLeaderSerialEnd(*game),
      [self, &inRange](int, GameObject& enemy) {
        inRange = self->IsInRangeOf(enemy);
        return !inRange;
      },
      [self] { return self->attackRange; });
  if (searchCheck.on) CountSearch(EnemyLeaderInRangeByWalk() == inRange, false);
  return inRange;
}

bool SquadLeaderSM::EnemyLeaderInRangeByWalk() const {
  bool inRange = false;
  ForEachEnemySquadLeader([this, &inRange](int, GameObject& enemy) {
    inRange = GetOwner()->IsInRangeOf(enemy);
    return !inRange;
  });
  return inRange;
}

// The first enemy by serial is a candidate whatever its followers, so the nearest candidate is
// the walk's answer.
GameObject* SquadLeaderSM::ChosenTarget() const {
  const Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return nullptr;
  const int first =
      game->objects->SquadLeaderGrid().FirstSerialOfOtherTeams(GetOwner()->team, SquadLeaderSerialEnd(*game));
  auto candidate = [first](int serial, const GameObject& enemy) { return serial == first || enemy.readyFollowers > 2; };
  GameObject* target = first < 0 ? nullptr : NearestEnemyLeaderWhere(candidate);
  if (searchCheck.on) CheckSearch(target, [](const GameObject& enemy) { return enemy.readyFollowers > 2; });
  return target;
}

GameObject* SquadLeaderSM::NearestEnemyLeader() const {
  GameObject* nearest = NearestEnemyLeaderWhere([](int, const GameObject&) { return true; });
  if (searchCheck.on) CheckSearch(nearest, [](const GameObject&) { return true; });
  return nearest;
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
  SendToSelfDelayed(1.0f, MSG_LookAround, SCOPE_Substate, 0);
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
  SendTo(MSG_FormationReadyToFight, GetOwner()->GetLeaderName(), 0);
  SetStateDelayed(1.0f, STATE_LookAround, SCOPE_Substate);
}
