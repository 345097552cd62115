// Registration, per-frame update and removal of world objects.
#include "objects/GameObjectManager.h"

#include <algorithm>
#include <utility>

#include "render/Sprite.h"
#include "statemachine/Message.h"

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
  for (auto& object : pending) {
    const std::string name = object->name;
    squadLeaders.Registered(*object);
    squadLeaderGrid.Refresh(*object);
    generals.Registered(*object);
    registry[name] = std::move(object);
  }
  pending.clear();
  pendingByName.clear();
  squadLeaders.PendingCleared();
  generals.PendingCleared();
}

void GameObjectManager::Erased(const GameObject& object) {
  squadLeaders.Erased(object);
  squadLeaderGrid.Refresh(object);
  generals.Erased(object);
}

namespace {
// Entries this far ahead of the update have their object fetched, and half as far ahead its
// billboard and running machine: a large army's objects lie scattered over far more memory than
// the caches hold, and the wait for them would otherwise dominate its update.
constexpr int kPrefetchDistance = 8;

void PrefetchParts(const GameObject& object) {
  __builtin_prefetch(object.GetSprite());
  __builtin_prefetch(object.TopMachine());
}
}  // namespace

void GameObjectManager::Update(float dt) {
  RegisterPending();
  auto far = registry.begin();
  auto near = registry.begin();
  for (int i = 0; i < kPrefetchDistance && far != registry.end(); ++i, ++far) {
    __builtin_prefetch(far->second.get());
    if (i >= kPrefetchDistance / 2) PrefetchParts(*(near++)->second);
  }
  for (auto entry = registry.begin(); entry != registry.end();) {
    if (far != registry.end()) __builtin_prefetch((far++)->second.get());
    if (near != registry.end()) PrefetchParts(*(near++)->second);
    GameObject& object = *entry->second;
    object.Update(dt);
    squadLeaderGrid.Moved(object);
    if (object.removed) {
      Erased(object);
      entry = registry.erase(entry);
    } else {
      ++entry;
    }
  }
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

std::vector<GameObject*> GameObjectManager::Registered() const {
  std::vector<GameObject*> objects;
  objects.reserve(registry.size());
  for (const auto& [name, object] : registry) objects.push_back(object.get());
  return objects;
}
