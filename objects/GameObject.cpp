// Game object behaviour: the machine stack and its queued commands, combat bookkeeping and
// removal.
#include "objects/GameObject.h"

#include <algorithm>
#include <utility>

#include "app/Game.h"
#include "objects/GameObjectManager.h"
#include "objects/Sprite.h"
#include "statemachine/MessageRouter.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"
#include "units/SquadLeaderSM.h"

GameObject::GameObject(std::string objectName, int objectTeam, int type, float range)
    : GOB(std::move(objectName)), team(objectTeam), unitType(type), attackRange(range) {}

GameObject::~GameObject() { ObjectHandle::CloseSlot(lifeSlot); }

// The running machine stands for the stack here: the stack itself lies in a line the update
// does not otherwise read.
void GameObject::Update(float dt) {
  if (topMachine != nullptr) {
    RunMachineCommands();
    if (StateMachine* top = TopMachine()) top->Update();
  }
  if (sprite) sprite->Update(dt);
}

void GameObject::SetSprite(std::unique_ptr<Sprite> newSprite) { sprite = std::move(newSprite); }

bool GameObject::IsInRangeOf(const GameObject& other) const {
  return attackRange >= (other.sprite->position - sprite->position).Length();
}

CombatSM* GameObject::FindCombatMachine() const { return FindMachine<CombatSM>(); }

void GameObject::SetLeaderName(const std::string& newLeaderName) {
  leaderName = newLeaderName;
  leader = ObjectHandle();
}

GameObject* GameObject::Leader() const {
  GameObject* found = leader.Get();
  if (found != nullptr) return found;
  found = FindObjectNamed(leaderName);
  leader = ObjectHandle(found);
  return found;
}

void GameObject::PrefetchFormationSlot() const {
  const GameObject* kept = leader.Get();
  if (kept == nullptr || kept->squadLeaderMachine == nullptr) return;
  kept->squadLeaderMachine->formation.PrefetchSlot(formationSlot);
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
  squadLeaderMachine = FindMachine<SquadLeaderSM>();
}

void GameObject::PushMachine(std::unique_ptr<StateMachine> machine, bool start) {
  StateMachine* pushed = machine.get();
  machines.push_back(std::move(machine));
  StackChanged();
  if (start) pushed->Initialize();
}

void GameObject::PopMachine() {
  if (machines.size() < 2 || dynamic_cast<DyingSM*>(TopMachine()) != nullptr) return;
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

void GameObject::QueueMachineCommand(int code) {
  if (pendingCommand == kCommandNone) pendingCommand = code;
}

void GameObject::RunMachineCommands() {
  for (int allowance = kCommandBudget; pendingCommand != kCommandNone && allowance > 0; --allowance) {
    const int code = pendingCommand;
    pendingCommand = kCommandNone;
    if (MessageRouter* router = MessageRouter::Instance()) router->CancelScoped(name);
    if (code == kCommandRestart) {
      if (StateMachine* top = TopMachine()) top->Initialize();
    } else if (code == kCommandPop) {
      PopMachine();
    }
  }
}
