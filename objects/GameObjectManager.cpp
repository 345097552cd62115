// Registration, per-frame update and removal of world objects.
#include "objects/GameObjectManager.h"

#include <algorithm>
#include <utility>

#include "render/Sprite.h"
#include "statemachine/Message.h"

void GameObjectManager::Add(std::unique_ptr<GameObject> object) {
  pendingByName.try_emplace(object->name, object.get());
  squadLeaders.Added(*object);
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
    generals.Registered(*added);
    const auto taken = registry.find(added->name);
    if (taken != registry.end()) {
      order.Replaced(taken->second.get(), added);
      taken->second = std::move(object);
    } else {
      const std::string& name = registry.emplace(added->name, std::move(object)).first->first;
      order.Inserted(name, added);
    }
  }
  order.EndBatch();
  pending.clear();
  pendingByName.clear();
  squadLeaders.PendingCleared();
  generals.PendingCleared();
}

void GameObjectManager::Erase(GameObject& object) {
  squadLeaders.Erased(object);
  generals.Erased(object);
  registry.erase(registry.find(object.name));
}

namespace {
// A large army's objects lie scattered over far more memory than the caches hold, and waiting
// for each in turn would dominate its update. So the update fetches ahead in three steps, each
// needing what the one before brought in: the object itself, then its billboard and running
// machine, then the ground under the billboard.
constexpr std::size_t kFetchObject = 24;
constexpr std::size_t kFetchParts = 12;
constexpr std::size_t kFetchGround = 4;
constexpr std::size_t kCacheLine = 64;

// The two lines that every update reads (see GameObject).
void PrefetchObject(const GameObject* object) {
  const char* start = reinterpret_cast<const char*>(object);
  __builtin_prefetch(start);
  __builtin_prefetch(start + kCacheLine);
}

// A billboard's update reads its first line; a machine's event handling starts with its state in
// the first line, and what follows depends on the machine.
void PrefetchParts(const GameObject& object) {
  __builtin_prefetch(object.GetSprite());
  __builtin_prefetch(object.TopMachine());
}

void PrefetchGround(const GameObject& object) {
  if (const Sprite* sprite = object.GetSprite()) sprite->PrefetchGround();
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
    if (i + kFetchObject < count) PrefetchObject(updateOrder[i + kFetchObject]);
    if (i + kFetchParts < count) PrefetchParts(*updateOrder[i + kFetchParts]);
    if (i + kFetchGround < count) PrefetchGround(*updateOrder[i + kFetchGround]);
    GameObject& object = *updateOrder[i];
    object.Update(dt);
    if (object.removed) {
      Erase(object);
    } else {
      updateOrder[kept++] = &object;
    }
  }
  updateOrder.resize(kept);
}

// Each projection is computed once, so the sort key is fixed for the whole sort and the
// comparison is a strict weak order.
std::vector<GameObject*> GameObjectManager::DepthSorted(const Vector3& viewAxis) const {
  struct Keyed {
    float depth;
    GameObject* object;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(registry.size());
  for (GameObject* object : Registered()) {
    const Sprite* sprite = object->GetSprite();
    const float depth = sprite != nullptr ? sprite->position.Dot(viewAxis) : 0.0f;
    keyed.push_back({depth, object});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.depth < b.depth; });
  std::vector<GameObject*> sorted;
  sorted.reserve(keyed.size());
  for (const Keyed& entry : keyed) sorted.push_back(entry.object);
  return sorted;
}

// Textures are bound exactly where a change of texture starts a new run, as one quad batch per
// run would bind them.
void GameObjectManager::Draw(const Vector3& viewAxis) {
  unsigned current = 0;
  for (GameObject* object : DepthSorted(viewAxis)) {
    const Sprite* sprite = object->GetSprite();
    const unsigned texture = sprite != nullptr ? sprite->texture : 0;
    if (texture != current) {
      billboards.BindTexture(texture);
      current = texture;
    }
    if (sprite != nullptr) sprite->AddTo(billboards);
  }
  billboards.Flush();
}

std::vector<GameObject*> GameObjectManager::Registered() const { return order.Objects(); }
