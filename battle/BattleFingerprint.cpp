// The battle's fingerprint: what of the battle is hashed, and in which order.
#include "battle/BattleFingerprint.h"

#include <bit>
#include <cstdio>

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/Message.h"
#include "statemachine/StateMachine.h"

namespace {
constexpr std::uint64_t kPrime = 1099511628211ull;
}  // namespace

// Objects in the order the manager updates them, which is itself part of the state (it decides
// who acts first), then those added since; then the duels in the order they resolve and the
// queued messages in the order they were sent. Counts go before each list, so that moving an
// element from one list to the next cannot hash alike.
std::uint64_t BattleFingerprint::Of(const Battle& battle) {
  BattleFingerprint print;
  print.AddCounters(battle);
  const std::vector<GameObject*>& registered = battle.objects->InRegistryOrder();
  print.Add(static_cast<std::uint32_t>(registered.size()));
  for (const GameObject* object : registered) print.AddObject(*object);
  const auto& pending = battle.objects->Pending();
  print.Add(static_cast<std::uint32_t>(pending.size()));
  for (const auto& object : pending) print.AddObject(*object);
  print.Add(static_cast<std::uint32_t>(battle.duels.size()));
  for (const Duel& duel : battle.duels) print.AddDuel(duel);
  const std::vector<const Message*> queued = battle.router->Pending();
  print.Add(static_cast<std::uint32_t>(queued.size()));
  for (const Message* message : queued) print.AddMessage(*message);
  return print.hash;
}

std::string BattleFingerprint::Hex(std::uint64_t fingerprint) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(fingerprint));
  return text;
}

bool BattleFingerprint::FromHex(std::string_view text, std::uint64_t& fingerprint) {
  if (text.size() != 16) return false;
  std::uint64_t value = 0;
  for (const char digit : text) {
    const bool decimal = digit >= '0' && digit <= '9';
    if (!decimal && !(digit >= 'a' && digit <= 'f')) return false;
    value = value << 4 | static_cast<std::uint64_t>(decimal ? digit - '0' : digit - 'a' + 10);
  }
  fingerprint = value;
  return true;
}

// The clock's start tick is the wall clock's and is left out: the same battle starts at any time.
void BattleFingerprint::AddCounters(const Battle& battle) {
  Add(battle.random.State());
  Add(battle.timer.now);
  Add(battle.timer.delta);
  Add(battle.battlesStarted);
  Add(battle.redWins);
  Add(battle.blueWins);
  Add(battle.casualties);
  for (const int kills : battle.kills) Add(kills);
  Add(battle.StateChanges());
  Add(battle.nextMemberTypeIndex);
  for (const int team : {Team::Red, Team::Blue}) {
    const std::vector<int>& types = battle.SquadTypes(team);
    Add(static_cast<std::uint32_t>(types.size()));
    for (const int type : types) Add(type);
  }
  AddFlag(battle.bloodEnabled);
}

void BattleFingerprint::AddObject(const GameObject& object) {
  AddText(object.name);
  Add(object.unitType);
  Add(object.team);
  Add(object.formationKind);
  Add(object.formationSlot);
  Add(object.attackRange);
  AddFlag(object.inCombat);
  AddFlag(object.dying);
  AddFlag(object.removed);
  Add(object.pendingCommand);
  AddText(object.GetLeaderName());
  AddText(object.targetName);
  Add(object.readyFollowers);
  Add(static_cast<std::uint32_t>(object.subordinates.size()));
  for (const std::string& name : object.subordinates) AddText(name);
  AddSprite(object);
  Add(static_cast<std::uint32_t>(object.MachineCount()));
  for (std::size_t i = 0; i < object.MachineCount(); ++i) AddMachine(*object.MachineAt(i));
}

void BattleFingerprint::AddSprite(const GameObject& object) {
  const Sprite* sprite = object.GetSprite();
  AddFlag(sprite != nullptr);
  if (sprite == nullptr) return;
  for (const Vector3& point : {sprite->position, sprite->target}) {
    Add(point.x);
    Add(point.y);
    Add(point.z);
  }
  Add(sprite->facing);
  Add(sprite->halfSize);
  Add(sprite->speed);
  Add(sprite->alpha);
  AddFlag(sprite->arrivalPending);
  AddFlag(sprite->notifyOnArrival);
  AddFlag(sprite->followTerrain);
}

// The state's and substate's numbers say where the machine stands; its kind shows in the names
// it gives its states. The change counters scope its delayed messages.
void BattleFingerprint::AddMachine(const StateMachine& machine) {
  AddText(machine.StateName());
  Add(machine.GetState());
  Add(machine.GetSubstate());
  Add(machine.GetStateChangeCount());
  Add(machine.GetChangeCount());
  AddFlag(machine.IsChangePending());
}

void BattleFingerprint::AddDuel(const Duel& duel) {
  AddText(duel.attackerName);
  AddText(duel.defenderName);
  Add(duel.timeLeft);
}

void BattleFingerprint::AddMessage(const Message& message) {
  Add(message.id);
  AddText(message.sender);
  AddText(message.receiver);
  Add(message.dataType);
  Add(message.data);
  Add(message.deliveryTime);
  Add(message.scopeValue);
  Add(message.scope);
  AddFlag(message.repeat);
}

void BattleFingerprint::Add(std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    hash = (hash ^ ((value >> (8 * i)) & 0xffu)) * kPrime;
  }
}

void BattleFingerprint::Add(float value) { Add(std::bit_cast<std::uint32_t>(value)); }

void BattleFingerprint::AddText(std::string_view text) {
  Add(static_cast<std::uint64_t>(text.size()), 8);
  for (const char byte : text) hash = (hash ^ static_cast<unsigned char>(byte)) * kPrime;
}
