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

namespace {
// Unsigned integers ordered as the floats are; adding zero first makes -0 equal to +0.
std::uint32_t OrderedBits(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value + 0.0f);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}
}  // namespace

// The registry position in the key's low half makes every key distinct, so an unstable sort
// keeps registry order among equal depths, and needs no buffer of its own. Objects and their
// billboards are fetched ahead as in Update.
void GameObjectManager::SortByDepth(const Vector3& viewAxis, std::vector<DepthEntry>& sorted) const {
  sorted.clear();
  const std::vector<GameObject*>& objects = order.Objects();
  const std::size_t count = objects.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchObject < count) __builtin_prefetch(objects[i + kFetchObject]);
    if (i + kFetchParts < count) __builtin_prefetch(objects[i + kFetchParts]->GetSprite());
    const Sprite* sprite = objects[i]->GetSprite();
    const float depth = sprite != nullptr ? sprite->position.Dot(viewAxis) : 0.0f;
    sorted.push_back({(std::uint64_t{OrderedBits(depth)} << 32) | i, objects[i], sprite});
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

void GameObjectManager::Draw(const Vector3& viewAxis) {
  BeginDraw(viewAxis);
  EndDraw();
}

void GameObjectManager::BeginDraw(const Vector3& viewAxis, std::function<void()> first) {
  AwaitPrepared();
  billboards.Begin();
  preparing = std::jthread([this, viewAxis, first = std::move(first)] {
    try {
      if (first) first();
      PrepareBillboards(viewAxis);
    } catch (...) {
      preparingFailed = std::current_exception();
    }
  });
}

void GameObjectManager::AwaitPrepared() {
  if (preparing.joinable()) preparing.join();
  if (preparingFailed) std::rethrow_exception(std::exchange(preparingFailed, nullptr));
}

void GameObjectManager::EndDraw() {
  AwaitPrepared();
  billboards.Draw();
}

// In depth order the billboards lie scattered in memory; each is fetched a few entries ahead,
// and the line of the object that holds its team, which tints it, half as far ahead.
void GameObjectManager::PrepareBillboards(const Vector3& viewAxis) {
  SortByDepth(viewAxis, depthOrder);
  const std::size_t count = depthOrder.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kFetchParts < count) __builtin_prefetch(depthOrder[i + kFetchParts].sprite);
    if (i + kFetchParts / 2 < count) __builtin_prefetch(&depthOrder[i + kFetchParts / 2].object->team);
    billboards.Add(depthOrder[i].sprite);
  }
  billboards.Prepare();
}

std::vector<GameObject*> GameObjectManager::Registered() const { return order.Objects(); }
