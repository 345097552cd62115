// Registration, per-frame update and removal of world objects.
#include "objects/GameObjectManager.h"

#include <utility>

#include "objects/MachineMaker.h"
#include "objects/Sprite.h"
#include "objects/WalkForesight.h"
#include "statemachine/Message.h"
#include "statemachine/StateArchive.h"

// A registry read back is filled as the objects are registered: in walking order, each name new.
void GameObjectManager::Walk(StateArchive& archive, BattleContext& battle, const MachineMaker* maker) {
  if (!WalkList(archive, "registered objects", order.Objects(), battle, maker)) return;
  if (archive.Reading()) RegisterPending();
  WalkList(archive, "pending objects", pending, battle, maker);
}

template <class List>
bool GameObjectManager::WalkList(StateArchive& archive, const char* name, const List& list, BattleContext& battle,
                                 const MachineMaker* maker) {
  archive.Place("battle", "");
  auto count = static_cast<std::uint32_t>(list.size());
  archive.Count(name, count, 32);
  if (!archive.Reading()) {
    for (const auto& object : list) object->Walk(archive);
    return true;
  }
  for (std::uint32_t i = 0; i < count && archive.Good(); ++i) {
    std::unique_ptr<GameObject> object = GameObject::Read(archive, battle, *maker);
    if (object != nullptr) Add(std::move(object));
  }
  return archive.Good();
}

void GameObjectManager::Add(std::unique_ptr<GameObject> object) {
  pendingByName.try_emplace(object->name, object.get());
  squadLeaders.Added(*object);
  squadLeaderGrid.Refresh(*object);
  generals.Added(*object);
  pending.push_back(std::move(object));
}

GameObject* GameObjectManager::Find(const std::string& name) const {
  const auto entry = registry.find(name);
  if (entry != registry.end()) return entry->second.get();
  const auto waiting = pendingByName.find(name);
  return waiting != pendingByName.end() ? waiting->second : nullptr;
}

void GameObjectManager::SendSystemMessage(const std::string& name, int code) {
  GameObject* object = Find(name);
  if (object == nullptr) return;
  Message message(code, "System", name, DATA_None, 0, 0.0f, 0, SCOPE_None, false);
  object->HandleMessage(message);
}

void GameObjectManager::RemoveAll() {
  for (GameObject* object : order.Objects()) object->MarkForRemoval();
}

// An object whose name a newer object takes is no longer reachable; it is released here rather
// than kept for the rest of the run (every blood splat and arrow shares one name, and every
// battle reuses the names of the one before).
void GameObjectManager::RegisterPending() {
  if (pending.empty()) return;
  for (auto& object : pending) {
    GameObject* added = object.get();
    squadLeaders.Registered(*added);
    squadLeaderGrid.Refresh(*added);
    generals.Registered(*added);
    order.Register(std::move(object));
  }
  pending.clear();
  pendingByName.clear();
  squadLeaders.PendingCleared();
  generals.PendingCleared();
}

void GameObjectManager::Erase(GameObject& object) {
  squadLeaders.Erased(object);
  squadLeaderGrid.Refresh(object);
  generals.Erased(object);
  registry.erase(registry.find(object.name));
}

namespace {
// A large army's objects lie scattered over far more memory than the caches hold, and waiting
// for each in turn would dominate its update. So the update fetches ahead in four steps, each
// needing what the one before brought in: the object itself, then its billboard and running
// machine, then the ground under the billboard and the unit's leader, then the follower's slot in
// that leader's formation.
constexpr std::size_t kFetchObject = 24;
constexpr std::size_t kFetchParts = 12;
constexpr std::size_t kFetchSurroundings = 6;
constexpr std::size_t kFetchFormation = 2;

// A billboard's update reads its first line; a machine's event handling starts with its state in
// the first line, and what follows depends on the machine.
void PrefetchParts(const GameObject& object) {
  __builtin_prefetch(object.GetSprite());
  __builtin_prefetch(object.TopMachine());
}

// The ground under the billboard (unless another thread walks on it), and the leader a follower
// looks up on its update.
void PrefetchSurroundings(const GameObject& object, bool ground) {
  if (const Sprite* sprite = object.GetSprite(); sprite != nullptr && ground) sprite->PrefetchGround();
  object.PrefetchLeader();
}

// How often a foresight hears where the update is.
constexpr std::size_t kTellProgressEvery = 256;
}  // namespace

// Objects are updated in registry order, a flat list that can be fetched ahead. Only the object being updated is ever
// erased, which leaves the order of the others as it was.
void GameObjectManager::Update(float dt, WalkForesight* foresight) {
  RegisterPending();
  std::vector<GameObject*>& updateOrder = order.Objects();
  const std::size_t count = updateOrder.size();
  WalkForesight* ahead = count >= WalkForesight::kFewestObjects ? foresight : nullptr;
  if (ahead != nullptr) ahead->BeginStep(count, dt);
  const bool fetchGround = ahead == nullptr || !ahead->MostlyTaken();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchObject < count) GameObject::PrefetchHotLines(updateOrder[i + kFetchObject]);
    if (i + kFetchParts < count) PrefetchParts(*updateOrder[i + kFetchParts]);
    if (i + kFetchSurroundings < count) PrefetchSurroundings(*updateOrder[i + kFetchSurroundings], fetchGround);
    if (i + kFetchFormation < count) updateOrder[i + kFetchFormation]->PrefetchFormationSlot();
    GameObject& object = *updateOrder[i];
    if (ahead == nullptr) {
      object.Update(dt);
    } else {
      UpdateForeseen(object, i, dt, *ahead);
    }
    squadLeaderGrid.Moved(object);
    if (object.removed) {
      Erase(object);
    } else {
      if (kept != i) RegistryOrder::MovedTo(object, kept);
      if (ahead != nullptr && object.GetSprite() != nullptr) ahead->Record(kept, object.GetSprite()->Start());
      updateOrder[kept++] = &object;
    }
  }
  updateOrder.resize(kept);
  if (ahead != nullptr) ahead->EndStep(kept);
}

// What Update does, with the walk taken from the foresight where it was worked out from the very
// start the sprite has now.
void GameObjectManager::UpdateForeseen(GameObject& object, std::size_t index, float dt, WalkForesight& foresight) {
  object.UpdateMachines();
  if (index % kTellProgressEvery == 0) foresight.Passed(index);
  Sprite* sprite = object.GetSprite();
  if (sprite == nullptr) return;
  WalkEnd end;
  if (!foresight.Take(index, sprite->Start(), end) || !sprite->TakeWalk(end)) sprite->Update(dt);
}

std::vector<GameObject*> GameObjectManager::Registered() const { return order.Objects(); }
