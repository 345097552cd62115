// The battle's fingerprint: what of the battle is hashed, and in which order.
#include "battle/BattleFingerprint.h"

#include <bit>
#include <cstdio>
#include <iterator>

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
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
  print.AddBattle(battle);
  return print.hash;
}

std::vector<std::string> BattleFingerprint::Fields(const Battle& battle) {
  std::vector<std::string> lines;
  BattleFingerprint print;
  print.fields = &lines;
  print.AddBattle(battle);
  return lines;
}

void BattleFingerprint::AddBattle(const Battle& battle) {
  AddCounters(battle);
  const std::vector<GameObject*>& registered = battle.objects->InRegistryOrder();
  where = "battle";
  Field("registered objects");
  Add(static_cast<std::uint32_t>(registered.size()));
  for (const GameObject* object : registered) AddObject(*object);
  const auto& pending = battle.objects->Pending();
  where = "battle";
  Field("pending objects");
  Add(static_cast<std::uint32_t>(pending.size()));
  for (const auto& object : pending) AddObject(*object);
  where = "battle";
  Field("duels");
  Add(static_cast<std::uint32_t>(battle.Duels().size()));
  for (const Duel& duel : battle.Duels()) AddDuel(duel);
  const std::vector<const Message*> queued = battle.router->Pending();
  where = "battle";
  Field("queued messages");
  Add(static_cast<std::uint32_t>(queued.size()));
  for (const Message* message : queued) AddMessage(*message);
}

void BattleFingerprint::Record(const std::string& value) {
  fields->push_back(where + ": " + field + " = " + value);
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
  Field("random generator");
  Add(battle.random.State());
  Field("timer.now");
  Add(battle.timer.now);
  Field("timer.delta");
  Add(battle.timer.delta);
  Field("battlesStarted");
  Add(battle.BattlesStarted());
  Field("redWins");
  Add(battle.RedWins());
  Field("blueWins");
  Add(battle.BlueWins());
  Field("casualties");
  Add(battle.Casualties());
  static constexpr const char* kKills[] = {"kills of soldiers", "kills of archers", "kills of berserkers",
                                           "kills of squad leaders", "kills of generals"};
  static_assert(std::size(kKills) == UnitType::kFighters);
  for (std::size_t type = 0; type < std::size(kKills); ++type) {
    Field(kKills[type]);
    Add(battle.KillsByType()[type]);
  }
  Field("state changes");
  Add(battle.StateChanges());
  Field("nextMemberTypeIndex");
  Add(battle.NextMemberTypeIndex());
  for (const int team : {Team::Red, Team::Blue}) {
    const std::vector<int>& types = battle.SquadTypes(team);
    Field(team == Team::Red ? "red squad types" : "blue squad types");
    Add(static_cast<std::uint32_t>(types.size()));
    for (const int type : types) Add(type);
  }
  Field("bloodEnabled");
  AddFlag(battle.bloodEnabled);
}

void BattleFingerprint::AddObject(const GameObject& object) {
  where = "object " + object.name;
  Field("name");
  AddText(object.name);
  Field("unitType");
  Add(object.unitType);
  Field("team");
  Add(object.team);
  Field("formationKind");
  Add(object.formationKind);
  Field("formationSlot");
  Add(object.formationSlot);
  Field("attackRange");
  Add(object.attackRange);
  Field("inCombat");
  AddFlag(object.inCombat);
  Field("dying");
  AddFlag(object.dying);
  Field("removed");
  AddFlag(object.removed);
  Field("pendingCommand");
  Add(object.pendingCommand);
  Field("leaderName");
  AddText(object.GetLeaderName());
  Field("targetName");
  AddText(object.targetName);
  Field("readyFollowers");
  Add(object.readyFollowers);
  Field("subordinates");
  Add(static_cast<std::uint32_t>(object.subordinates.size()));
  for (const std::string& name : object.subordinates) AddText(name);
  AddSprite(object);
  Field("machines");
  Add(static_cast<std::uint32_t>(object.MachineCount()));
  for (std::size_t i = 0; i < object.MachineCount(); ++i) AddMachine(*object.MachineAt(i));
}

void BattleFingerprint::AddSprite(const GameObject& object) {
  const Sprite* sprite = object.GetSprite();
  Field("sprite");
  AddFlag(sprite != nullptr);
  if (sprite == nullptr) return;
  // Each coordinate under its own name, so that the field dump names the one that parts.
  Field("sprite.position.x");
  Add(sprite->position.x);
  Field("sprite.position.y");
  Add(sprite->position.y);
  Field("sprite.position.z");
  Add(sprite->position.z);
  Field("sprite.target.x");
  Add(sprite->target.x);
  Field("sprite.target.y");
  Add(sprite->target.y);
  Field("sprite.target.z");
  Add(sprite->target.z);
  Field("sprite.facing");
  Add(sprite->facing);
  Field("sprite.halfSize");
  Add(sprite->halfSize);
  Field("sprite.speed");
  Add(sprite->speed);
  Field("sprite.alpha");
  Add(sprite->alpha);
  Field("sprite.arrivalPending");
  AddFlag(sprite->arrivalPending);
  Field("sprite.notifyOnArrival");
  AddFlag(sprite->notifyOnArrival);
  Field("sprite.followTerrain");
  AddFlag(sprite->followTerrain);
}

// The state's and substate's numbers say where the machine stands; its kind shows in the names
// it gives its states. The change counters scope its delayed messages.
void BattleFingerprint::AddMachine(const StateMachine& machine) {
  Field("machine.stateName");
  AddText(machine.StateName());
  Field("machine.state");
  Add(machine.GetState());
  Field("machine.substate");
  Add(machine.GetSubstate());
  Field("machine.stateChangeCount");
  Add(machine.GetStateChangeCount());
  Field("machine.changeCount");
  Add(machine.GetChangeCount());
  Field("machine.changePending");
  AddFlag(machine.IsChangePending());
}

void BattleFingerprint::AddDuel(const Duel& duel) {
  where = "duel";
  Field("attackerName");
  AddText(duel.attackerName);
  Field("defenderName");
  AddText(duel.defenderName);
  Field("timeLeft");
  Add(duel.timeLeft);
}

void BattleFingerprint::AddMessage(const Message& message) {
  where = "message";
  Field("id");
  Add(message.id);
  Field("sender");
  AddText(message.sender);
  Field("receiver");
  AddText(message.receiver);
  Field("dataType");
  Add(message.dataType);
  Field("data");
  Add(message.data);
  Field("deliveryTime");
  Add(message.deliveryTime);
  Field("scopeValue");
  Add(message.scopeValue);
  Field("scope");
  Add(message.scope);
  Field("repeat");
  AddFlag(message.repeat);
}

void BattleFingerprint::Add(std::uint64_t value, int bytes) {
  if (fields != nullptr) Record(std::to_string(value));
  for (int i = 0; i < bytes; ++i) {
    hash = (hash ^ ((value >> (8 * i)) & 0xffu)) * kPrime;
  }
}

void BattleFingerprint::Add(float value) {
  if (fields != nullptr) {
    char text[48];
    std::snprintf(text, sizeof text, "%a (%.9g)", static_cast<double>(value), static_cast<double>(value));
    Record(text);
  }
  std::vector<std::string>* kept = fields;
  fields = nullptr;
  Add(std::bit_cast<std::uint32_t>(value));
  fields = kept;
}

void BattleFingerprint::AddText(std::string_view text) {
  std::vector<std::string>* kept = fields;
  if (kept != nullptr) Record("\"" + std::string(text) + "\"");
  fields = nullptr;
  Add(static_cast<std::uint64_t>(text.size()), 8);
  for (const char byte : text) hash = (hash ^ static_cast<unsigned char>(byte)) * kPrime;
  fields = kept;
}
