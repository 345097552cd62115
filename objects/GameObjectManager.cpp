// Registration, per-frame update and removal of world objects.
#include "objects/GameObjectManager.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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
  for (auto& object : pending) {
    const std::string name = object->name;
    squadLeaders.Registered(*object);
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
    if (object.removed) {
      Erased(object);
      entry = registry.erase(entry);
    } else {
      ++entry;
    }
  }
}

namespace {
// Unsigned integers ordered as the floats are; adding zero first makes -0 equal to +0.
std::uint32_t OrderedBits(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value + 0.0f);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}
}  // namespace

// The registry position in the key's low half makes every key distinct, so an unstable sort
// keeps registry order among equal depths, and needs no buffer of its own. Objects are fetched
// ahead as in Update, billboards half as far ahead.
void GameObjectManager::SortByDepth(const Vector3& viewAxis, std::vector<DepthEntry>& sorted) const {
  sorted.clear();
  auto far = registry.begin();
  auto near = registry.begin();
  for (int i = 0; i < kPrefetchDistance && far != registry.end(); ++i, ++far) {
    __builtin_prefetch(far->second.get());
    if (i >= kPrefetchDistance / 2) __builtin_prefetch((near++)->second->GetSprite());
  }
  std::uint64_t position = 0;
  for (const auto& [name, object] : registry) {
    if (far != registry.end()) __builtin_prefetch((far++)->second.get());
    if (near != registry.end()) __builtin_prefetch((near++)->second->GetSprite());
    const Sprite* sprite = object->GetSprite();
    const float depth = sprite != nullptr ? sprite->position.Dot(viewAxis) : 0.0f;
    sorted.push_back({(std::uint64_t{OrderedBits(depth)} << 32) | position++, object.get(), sprite});
  }
  std::sort(sorted.begin(), sorted.end(), [](const DepthEntry& a, const DepthEntry& b) { return a.key < b.key; });
}

std::vector<GameObject*> GameObjectManager::DepthSorted(const Vector3& viewAxis) const {
  std::vector<DepthEntry> entries;
  SortByDepth(viewAxis, entries);
  std::vector<GameObject*> objects;
  objects.reserve(entries.size());
  for (const DepthEntry& entry : entries) objects.push_back(entry.object);
  return objects;
}

// In depth order the billboards lie scattered in memory; each is fetched a few entries ahead,
// and the object that owns it, whose team tints it, half as far ahead.
void GameObjectManager::Draw(const Vector3& viewAxis) {
  SortByDepth(viewAxis, depthOrder);
  billboards.Begin();
  const std::size_t count = depthOrder.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kPrefetchDistance < count) __builtin_prefetch(depthOrder[i + kPrefetchDistance].sprite);
    if (i + kPrefetchDistance / 2 < count) __builtin_prefetch(depthOrder[i + kPrefetchDistance / 2].object);
    billboards.Add(depthOrder[i].sprite);
  }
  billboards.Draw();
}

std::vector<GameObject*> GameObjectManager::Registered() const {
  std::vector<GameObject*> objects;
  objects.reserve(registry.size());
  for (const auto& [name, object] : registry) objects.push_back(object.get());
  return objects;
}
