// Game object behaviour: the machine stack and its queued commands, combat bookkeeping and
// removal.
#include "objects/GameObject.h"

#include <algorithm>
#include <utility>

#include "objects/BattleContext.h"
#include "objects/GameObjectManager.h"
#include "objects/ObjectRemap.h"
#include "objects/Sprite.h"
#include "statemachine/MessageRouter.h"

GameObject::GameObject(std::string objectName, int objectTeam, int type, float range, BattleContext* ownBattle)
    : GOB(std::move(objectName)),
      battle(ownBattle),
      team(objectTeam),
      unitType(type),
      attackRange(range),
      lifeSlot(ownBattle != nullptr ? ownBattle->handleSlots.Open() : 0) {}

GameObject::GameObject(const GameObject& original, BattleContext& copiedBattle)
    : GOB(original.name),
      formationSlot(original.formationSlot),
      battle(&copiedBattle),
      team(original.team),
      unitType(original.unitType),
      formationKind(original.formationKind),
      attackRange(original.attackRange),
      inCombat(original.inCombat),
      dying(original.dying),
      leaderName(original.leaderName),
      targetName(original.targetName),
      readyFollowers(original.readyFollowers),
      subordinates(original.subordinates),
      lifeSlot(original.lifeSlot) {
  pendingCommand = original.pendingCommand;
  removed = original.removed;
}

std::unique_ptr<GameObject> GameObject::CopyFor(BattleContext& copiedBattle) const {
  std::unique_ptr<GameObject> copy(new GameObject(*this, copiedBattle));
  if (sprite) copy->sprite = sprite->CopyFor(copy.get());
  for (const auto& machine : machines) {
    std::unique_ptr<StateMachine> copied = machine->CopyFor(copy.get());
    if (copied == nullptr) return nullptr;
    copy->machines.push_back(std::move(copied));
  }
  copy->StackChanged();
  return copy;
}

void GameObject::RemapLeader(const ObjectRemap& remap) { leader = leader.CopyWith(remap); }

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
