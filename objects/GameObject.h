// A named unit, splat or arrow: team, unit type, billboard and a stack of behaviour machines of
// which only the top one runs. Objects refer to each other by name, never by pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objects/FormationLead.h"
#include "objects/GOB.h"
#include "objects/ObjectHandle.h"
#include "statemachine/StateMachine.h"

class BattleContext;
class MachineMaker;
struct Message;
class Sprite;
class StateArchive;

// Aligned, and its members ordered, so that what every update reads (the running machine, the
// billboard, the queued command, the removal mark, the formation slot, the leader and a leader's
// squad machine) lies in the first two cache lines: a large army's update waits on memory, not
// on arithmetic.
class alignas(64) GameObject : public GOB {
 private:
  StateMachine* topMachine = nullptr;
  std::unique_ptr<Sprite> sprite;

 public:
  static constexpr int kCommandBudget = 20;

  // The battle the object belongs to, whose router, trace log and names it uses; null only for
  // objects made outside any battle, which then find no leader and send no message.
  GameObject(std::string objectName, int objectTeam, int type, float range, BattleContext* ownBattle = nullptr);
  ~GameObject() override;
  GameObject(const GameObject&) = delete;
  GameObject& operator=(const GameObject&) = delete;

  // Every field of the object, its billboard's and its machines'. The handles are left out: they
  // only remember what a look-up of the leader's and target's names finds.
  void Walk(StateArchive& archive);
  // An object of the battle read from the archive, its machines made by the maker; null once the
  // archive refuses its input.
  static std::unique_ptr<GameObject> Read(StateArchive& archive, BattleContext& ownBattle, const MachineMaker& maker);

  MessageRouter* Router() const override;
  TraceLog* Trace() const override;
  BattleContext* GetBattle() const { return battle; }

  // The running machine's update, then the billboard's walk.
  void Update(float dt) override;
  void UpdateMachines();

  const std::string& GetName() const { return name; }
  const std::string& GetLeaderName() const { return leaderName; }
  void SetLeaderName(const std::string& newLeaderName);
  // What a lookup of the leader's name finds. Names never change, so the object found last time
  // is what the lookup would find again for as long as it exists and the leader's name stays;
  // followers ask on every update, and asking the name registry each time (and comparing names,
  // which at four digits no longer fit in the string itself) was much of a big army's update.
  GameObject* Leader() const;
  void PrefetchLeader() const;
  // The slot a follower tracks in its leader's formation, once the leader's lines are in.
  void PrefetchFormationSlot() const;
  const std::string& GetTargetName() const { return targetName; }
  void SetTargetName(const std::string& newTargetName) { targetName = newTargetName; }
  // What a lookup of the target's name finds, kept as the leader is; a fighter asks on every
  // update. The name is checked too, as the rules set it directly when a duel starts.
  GameObject* Target() const;

  void SetSprite(std::unique_ptr<Sprite> newSprite);
  Sprite* GetSprite() const { return sprite.get(); }

  // True when the other object stands within this one's attack range (3D distance).
  bool IsInRangeOf(const GameObject& other) const;
  // Also keeps the leader's count of followers ready to fight.
  void SetInCombat(bool flag);
  // Marks the object for deletion and takes its name off its leader's subordinates.
  void MarkForRemoval();
  void HandleMessage(Message& message);

  // The first machine of the given kind from the base up, or null.
  template <class Machine>
  Machine* FindMachine() const {
    for (const auto& machine : machines) {
      if (auto* found = dynamic_cast<Machine*>(machine.get())) return found;
    }
    return nullptr;
  }
  // The machine of the stack that leads a formation (a squad leader's), or null.
  FormationLead* LeadingMachine() const { return leadingMachine; }
  Formation* LedFormation() const { return leadingMachine != nullptr ? &leadingMachine->formation : nullptr; }
  StateMachine* TopMachine() const { return topMachine; }
  std::size_t MachineCount() const { return machines.size(); }
  // Index 0 is the base machine; must be below MachineCount().
  const StateMachine* MachineAt(std::size_t index) const { return machines[index].get(); }

  void PushMachine(std::unique_ptr<StateMachine> machine, bool start);
  // Keeps a single machine, and never pulls a dying unit out of its dying machine (a unit is dying
  // from the moment its dying machine starts, and nothing is pushed over that machine).
  void PopMachine();
  void ReplaceMachine(std::unique_ptr<StateMachine> machine);
  // Forgets a queued command that no longer applies, as when the machine that queued it is
  // replaced before the next update.
  void DropMachineCommand() { pendingCommand = kCommandNone; }
  void RunMachineCommands();

  std::uint32_t LifeSlot() const { return lifeSlot; }
  // Starts fetching the two cache lines every update reads. Reads nothing of the object, so it
  // may be given one that no longer exists: a prefetch never faults.
  static void PrefetchHotLines(const GameObject* object) {
    const char* start = reinterpret_cast<const char*>(object);
    __builtin_prefetch(start);
    __builtin_prefetch(start + 64);
  }

  int formationSlot = 0;

 private:
  // Follows every change of the stack, as topMachine does: followers ask their leader for it on
  // every update.
  FormationLead* leadingMachine = nullptr;
  mutable ObjectHandle leader;
  BattleContext* const battle;

  // Read wherever units are drawn, fight or measure their range: in the second line with the
  // leader, ahead of the names.
 public:
  int team = 0;
  int unitType = 0;
  int formationKind = 0;
  float attackRange = 2.0f;
  bool inCombat = false;
  bool dying = false;

 private:
  std::string leaderName;

 public:
  std::string targetName;
  int readyFollowers = 0;
  std::vector<std::string> subordinates;

 private:
  // Front is the base machine, back the running one (also kept in topMachine). Declared after
  // the sprite so that the machines are destroyed first and never outlive what they steer.
  std::vector<std::unique_ptr<StateMachine>> machines;
  const std::uint32_t lifeSlot;
  // Where the object stands in the registry's walking order, kept by that order.
  std::uint32_t registrySlot = 0;
  // After the lines every update reads: only fighters use it, and then their opponent's lines too.
  mutable ObjectHandle target;
  friend class RegistryOrder;

  void StackChanged();
  // What the object is made with, walked first so that a reader can make it.
  static void WalkIdentity(StateArchive& archive, std::string& objectName, int& objectTeam, int& type, float& range);
  void WalkState(StateArchive& archive, const MachineMaker* maker);
  void WalkSprite(StateArchive& archive);
  void WalkMachines(StateArchive& archive, const MachineMaker* maker);
};
