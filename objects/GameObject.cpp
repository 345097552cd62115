// Game object behaviour: the machine stack and its queued commands, combat bookkeeping and
// removal.
#include "objects/GameObject.h"

#include <algorithm>
#include <utility>

#include "objects/BattleContext.h"
#include "objects/GameObjectManager.h"
#include "objects/MachineMaker.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/StateArchive.h"

GameObject::GameObject(std::string objectName, int objectTeam, int type, float range, BattleContext* ownBattle)
    : GOB(std::move(objectName)),
      battle(ownBattle),
      team(objectTeam),
      unitType(type),
      attackRange(range),
      lifeSlot(ownBattle != nullptr ? ownBattle->handleSlots.Open() : 0) {}

void GameObject::Walk(StateArchive& archive) {
  archive.Place("object", name);
  WalkIdentity(archive, name, team, unitType, attackRange);
  WalkState(archive, nullptr);
}

std::unique_ptr<GameObject> GameObject::Read(StateArchive& archive, BattleContext& ownBattle, const MachineMaker& maker) {
  std::string objectName;
  int objectTeam = 0;
  int type = 0;
  float range = 0.0f;
  WalkIdentity(archive, objectName, objectTeam, type, range);
  if (!archive.Good()) return nullptr;
  auto object = std::make_unique<GameObject>(std::move(objectName), objectTeam, type, range, &ownBattle);
  object->WalkState(archive, &maker);
  return archive.Good() ? std::move(object) : nullptr;
}

void GameObject::WalkIdentity(StateArchive& archive, std::string& objectName, int& objectTeam, int& type, float& range) {
  archive.Text("name", objectName);
  archive.Int("team", objectTeam);
  archive.Index("unitType", type, 0, UnitType::kCount - 1);
  archive.Float("attackRange", range);
}

void GameObject::WalkState(StateArchive& archive, const MachineMaker* maker) {
  archive.Index("formationSlot", formationSlot, 0, Formation::kSlotCount - 1);
  archive.Int("formationKind", formationKind);
  archive.Flag("inCombat", inCombat);
  archive.Flag("dying", dying);
  archive.Flag("removed", removed);
  archive.Int("pendingCommand", pendingCommand);
  archive.Text("leaderName", leaderName);
  archive.Text("targetName", targetName);
  archive.Int("readyFollowers", readyFollowers);
  archive.Size("subordinates", subordinates, 4);
  for (std::string& subordinate : subordinates) archive.Text("subordinate", subordinate);
  WalkSprite(archive);
  WalkMachines(archive, maker);
}

void GameObject::WalkSprite(StateArchive& archive) {
  std::uint32_t sprites = sprite != nullptr ? 1 : 0;
  archive.Count("sprite", sprites, 40);
  if (sprites > 1) archive.Refuse("an object with more than one billboard");
  if (archive.Reading() && sprites == 1 && archive.Good()) sprite = std::make_unique<Sprite>(this, Vector3(), 0.0f);
  if (sprites == 1 && archive.Good()) sprite->Walk(archive);
}

// Read, each machine is made from its kind before its fields are read into it.
void GameObject::WalkMachines(StateArchive& archive, const MachineMaker* maker) {
  auto count = static_cast<std::uint32_t>(machines.size());
  archive.Count("machines", count, 40);
  for (std::uint32_t i = 0; i < count && archive.Good(); ++i) {
    std::string kind = archive.Reading() ? std::string() : machines[i]->Kind();
    archive.Kind("machine", kind);
    if (archive.Reading()) {
      std::unique_ptr<StateMachine> made = maker != nullptr ? maker->Make(kind, this) : nullptr;
      if (made == nullptr) {
        archive.Refuse("a machine of an unknown kind, \"" + kind + "\"");
        return;
      }
      machines.push_back(std::move(made));
    }
    machines[i]->Walk(archive);
  }
  if (archive.Reading()) StackChanged();
}

GameObject::~GameObject() {
  if (battle != nullptr) battle->handleSlots.Close(lifeSlot);
}

MessageRouter* GameObject::Router() const { return battle != nullptr ? battle->router.get() : nullptr; }

TraceLog* GameObject::Trace() const { return battle != nullptr ? battle->traceLog.get() : nullptr; }

// The running machine stands for the stack here: the stack itself lies in a line the update
// does not otherwise read.
void GameObject::Update(float dt) {
  UpdateMachines();
  if (sprite) sprite->Update(dt);
}

void GameObject::UpdateMachines() {
  if (topMachine != nullptr) {
    RunMachineCommands();
    if (StateMachine* top = TopMachine()) top->Update();
  }
}

void GameObject::SetSprite(std::unique_ptr<Sprite> newSprite) { sprite = std::move(newSprite); }

bool GameObject::IsInRangeOf(const GameObject& other) const {
  return attackRange >= (other.sprite->position - sprite->position).Length();
}

void GameObject::SetLeaderName(const std::string& newLeaderName) {
  leaderName = newLeaderName;
  leader = ObjectHandle();
}

GameObject* GameObject::Target() const {
  if (battle == nullptr) return nullptr;
  GameObject* found = target.Get(battle->handleSlots);
  if (found != nullptr && found->name == targetName) return found;
  found = battle->Find(targetName);
  target = ObjectHandle(found, battle->handleSlots);
  return found;
}

GameObject* GameObject::Leader() const {
  if (battle == nullptr) return nullptr;
  GameObject* found = leader.Get(battle->handleSlots);
  if (found != nullptr) return found;
  found = battle->Find(leaderName);
  leader = ObjectHandle(found, battle->handleSlots);
  return found;
}

void GameObject::PrefetchLeader() const {
  if (battle != nullptr) leader.Prefetch(battle->handleSlots);
}

void GameObject::PrefetchFormationSlot() const {
  if (battle == nullptr) return;
  const GameObject* kept = leader.Get(battle->handleSlots);
  if (kept == nullptr || kept->leadingMachine == nullptr) return;
  kept->leadingMachine->formation.PrefetchSlot(formationSlot);
}

void GameObject::SetInCombat(bool flag) {
  inCombat = flag;
  if (GameObject* squadLeader = Leader()) squadLeader->readyFollowers += flag ? -1 : 1;
}

void GameObject::MarkForRemoval() {
  removed = true;
  GameObject* squadLeader = Leader();
  if (squadLeader == nullptr) return;
  auto& list = squadLeader->subordinates;
  const auto entry = std::find(list.begin(), list.end(), name);
  if (entry != list.end()) list.erase(entry);
}

void GameObject::HandleMessage(Message& message) {
  if (StateMachine* top = TopMachine()) top->ProcessEvent(EVENT_Message, &message);
}

void GameObject::StackChanged() {
  topMachine = machines.empty() ? nullptr : machines.back().get();
  leadingMachine = FindMachine<FormationLead>();
}

void GameObject::PushMachine(std::unique_ptr<StateMachine> machine, bool start) {
  StateMachine* pushed = machine.get();
  machines.push_back(std::move(machine));
  StackChanged();
  if (start) pushed->Initialize();
}

void GameObject::PopMachine() {
  if (machines.size() < 2 || dying) return;
  machines.pop_back();
  StackChanged();
  machines.back()->Initialize();
}

void GameObject::ReplaceMachine(std::unique_ptr<StateMachine> machine) {
  if (!machines.empty()) machines.pop_back();
  StateMachine* replacement = machine.get();
  machines.push_back(std::move(machine));
  StackChanged();
  replacement->Initialize();
}

void GameObject::RunMachineCommands() {
  for (int allowance = kCommandBudget; pendingCommand != kCommandNone && allowance > 0; --allowance) {
    const int code = pendingCommand;
    pendingCommand = kCommandNone;
    if (MessageRouter* router = Router()) router->CancelScoped(name);
    if (code == kCommandRestart) {
      if (StateMachine* top = TopMachine()) top->Initialize();
    } else if (code == kCommandPop) {
      PopMachine();
    }
  }
}
