// Owns every world object: finds them by name, updates them once per frame and deletes the ones
// marked for removal.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "objects/GameObject.h"
#include "objects/LeaderGrid.h"
#include "objects/RegistryOrder.h"
#include "objects/SerialIndex.h"

class BattleContext;
class MachineMaker;
class StateArchive;
class WalkForesight;

class GameObjectManager {
 public:
  GameObjectManager() = default;
  GameObjectManager(const GameObjectManager&) = delete;
  GameObjectManager& operator=(const GameObjectManager&) = delete;

  // Objects added during a frame are found by name at once but updated (and seen by the renderer)
  // from the next update on.
  void Add(std::unique_ptr<GameObject> object);
  // The registered objects in walking order, then those waiting to be registered. Read (into an
  // empty manager), the objects are made in the battle with the maker's machines.
  void Walk(StateArchive& archive, BattleContext& battle, const MachineMaker* maker);
  GameObject* Find(const std::string& name) const;
  // What Find would return for "SquadLeader " or "General " followed by the serial, without
  // building the name.
  GameObject* FindSquadLeader(int serial) const { return squadLeaders.Find(serial); }
  GameObject* FindGeneral(int serial) const { return generals.Find(serial); }
  // Every squad leader serial from here on finds nothing.
  int SquadLeaderSerialEnd() const { return squadLeaders.End(); }
  // The squad leaders FindSquadLeader finds, by where they stand.
  LeaderGrid& SquadLeaderGrid() { return squadLeaderGrid; }
  // Hands a message from "System" straight to the object's running machine, bypassing the router.
  void SendSystemMessage(const std::string& name, int code);
  // Marks every registered object; objects still waiting to be registered are left alone.
  void RemoveAll();
  // With a foresight, a large army's walks are worked out beside the update (the same battle).
  void Update(float dt, WalkForesight* foresight = nullptr);

  std::size_t RegisteredCount() const { return registry.size(); }
  std::size_t PendingCount() const { return pending.size(); }
  // Every registered object, in registry order.
  std::vector<GameObject*> Registered() const;
  // The same without a copy, for a walk over a large army; it changes with the next Update.
  const std::vector<GameObject*>& InRegistryOrder() const { return order.Objects(); }
  // The objects added since the last update, in the order they were added.
  const std::vector<std::unique_ptr<GameObject>>& Pending() const { return pending; }

 private:
  using Registry = RegistryOrder::Registry;

  void RegisterPending();
  // Every object of the list walked, or, read, made and added; false once the archive refuses.
  template <class List>
  bool WalkList(StateArchive& archive, const char* name, const List& list, BattleContext& battle,
                const MachineMaker* maker);
  static void UpdateForeseen(GameObject& object, std::size_t index, float dt, WalkForesight& foresight);
  // Deletes an object that has just been updated.
  void Erase(GameObject& object);

  Registry registry;
  std::vector<std::unique_ptr<GameObject>> pending;
  RegistryOrder order{registry};
  // The first pending object of each name; the views look at the objects' own names.
  std::unordered_map<std::string_view, GameObject*> pendingByName;
  SerialIndex squadLeaders{"SquadLeader "};
  LeaderGrid squadLeaderGrid{squadLeaders};
  SerialIndex generals{"General "};
};
