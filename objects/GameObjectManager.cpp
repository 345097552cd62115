// Registration, per-frame update and removal of world objects.
#include "objects/GameObjectManager.h"

#include <utility>

#include "objects/ObjectRemap.h"
#include "objects/Sprite.h"
#include "statemachine/Message.h"

// The copies go into the registry in reverse walking order, with as many buckets as the original
// has: each then lands at the front of the walk (an empty bucket's entry goes to the front of the
// whole list, another's to the front of its bucket's run, which is then the walk's front), so the
// walk and every bucket come out as the original's, and so does what later insertions and
// erasures do to them. That is how this standard library's hash table works, not a promise of the
// language, hence the check.
bool GameObjectManager::CopyRegistry(const Registry& original, Battle& copiedBattle, ObjectRemap& remap) {
  std::vector<const GameObject*> walk;
  walk.reserve(original.size());
  for (const auto& [name, object] : original) walk.push_back(object.get());
  if (original.bucket_count() > 1) registry.rehash(original.bucket_count());
  for (auto object = walk.rbegin(); object != walk.rend(); ++object) {
    std::unique_ptr<GameObject> copy = (*object)->CopyFor(copiedBattle);
    if (copy == nullptr) return false;
    remap.Add(*object, copy.get());
    registry.emplace(copy->name, std::move(copy));
  }
  if (registry.bucket_count() != original.bucket_count()) return false;
  std::size_t index = 0;
  for (const auto& [name, object] : registry) {
    if (object.get() != remap(walk[index++])) return false;
  }
  return true;
}

bool GameObjectManager::CopyPending(const GameObjectManager& original, Battle& copiedBattle, ObjectRemap& remap) {
  for (const auto& object : original.pending) {
    std::unique_ptr<GameObject> copy = object->CopyFor(copiedBattle);
    if (copy == nullptr) return false;
    remap.Add(object.get(), copy.get());
    pendingByName.try_emplace(copy->name, copy.get());
    pending.push_back(std::move(copy));
  }
  return true;
}

std::unique_ptr<GameObjectManager> GameObjectManager::CopyFor(Battle& copiedBattle) const {
  auto copy = std::make_unique<GameObjectManager>();
  ObjectRemap remap;
  if (!copy->CopyRegistry(registry, copiedBattle, remap) || !copy->CopyPending(*this, copiedBattle, remap)) {
    return nullptr;
  }
  for (auto& [name, object] : copy->registry) object->RemapLeader(remap);
  for (auto& object : copy->pending) object->RemapLeader(remap);
  copy->order.CopyFrom(order, remap);
  copy->squadLeaders.CopyFrom(squadLeaders, remap);
  copy->generals.CopyFrom(generals, remap);
  copy->squadLeaderGrid.CopyFrom(squadLeaderGrid, remap);
  return copy;
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
  for (auto& [name, object] : registry) object->MarkForRemoval();
}

// An object whose name a newer object takes is no longer reachable; it is released here rather
// than kept for the rest of the run (every blood splat and arrow shares one name, and every
// battle reuses the names of the one before).
void GameObjectManager::RegisterPending() {
  if (pending.empty()) return;
  order.BeginBatch();
  for (auto& object : pending) {
    GameObject* added = object.get();
    squadLeaders.Registered(*added);
    squadLeaderGrid.Refresh(*added);
    generals.Registered(*added);
    order.Register(std::move(object));
  }
  order.EndBatch();
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

// The ground under the billboard, and the leader a follower looks up on its update.
void PrefetchSurroundings(const GameObject& object) {
  if (const Sprite* sprite = object.GetSprite()) sprite->PrefetchGround();
  object.PrefetchLeader();
}
}  // namespace

// Objects are updated in registry order, walked in a copy of it: the registry's own order is a
// chain of scattered nodes that cannot be fetched ahead. Only the object being updated is ever
// erased, which leaves the order of the others as it was.
void GameObjectManager::Update(float dt) {
  RegisterPending();
  std::vector<GameObject*>& updateOrder = order.Objects();
  const std::size_t count = updateOrder.size();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchObject < count) GameObject::PrefetchHotLines(updateOrder[i + kFetchObject]);
    if (i + kFetchParts < count) PrefetchParts(*updateOrder[i + kFetchParts]);
    if (i + kFetchSurroundings < count) PrefetchSurroundings(*updateOrder[i + kFetchSurroundings]);
    if (i + kFetchFormation < count) updateOrder[i + kFetchFormation]->PrefetchFormationSlot();
    GameObject& object = *updateOrder[i];
    object.Update(dt);
    squadLeaderGrid.Moved(object);
    if (object.removed) {
      Erase(object);
    } else {
      updateOrder[kept++] = &object;
    }
  }
  updateOrder.resize(kept);
}

std::vector<GameObject*> GameObjectManager::Registered() const { return order.Objects(); }
