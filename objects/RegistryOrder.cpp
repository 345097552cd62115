// Keeping the registry's walking order in step with its registrations.
#include "objects/RegistryOrder.h"

#include <algorithm>
#include <cassert>

#include "objects/GameObject.h"
#include "objects/ObjectRemap.h"

void RegistryOrder::BeginBatch() {
  bucketCount = registry.bucket_count();
  walkAgain = false;
  insertions.clear();
  replacements.clear();
}

void RegistryOrder::Register(std::unique_ptr<GameObject> object) {
  GameObject* added = object.get();
  const auto taken = registry.find(added->name);
  if (taken != registry.end()) {
    Replaced(taken->second.get(), added);
    taken->second = std::move(object);
  } else {
    Inserted(registry.emplace(added->name, std::move(object)).first->first, added);
  }
}

// Inserting into a chained hash table moves no other entry. The new entry's place shows in its
// bucket: right before the entry that follows it there, since a bucket's entries are walked
// together; with none following, it can only be told when it heads the whole registry.
void RegistryOrder::Inserted(const std::string& name, GameObject* object) {
  if (walkAgain) return;
  const std::size_t bucket = registry.bucket(name);
  auto entry = registry.begin(bucket);
  while (entry != registry.end(bucket) && entry->second.get() != object) ++entry;
  if (entry == registry.end(bucket)) {
    walkAgain = true;
    return;
  }
  ++entry;
  if (entry != registry.end(bucket)) {
    insertions.push_back({object, entry->second.get()});
  } else if (registry.begin()->second.get() == object) {
    insertions.push_back({object, nullptr});
  } else {
    walkAgain = true;
  }
}

void RegistryOrder::Replaced(GameObject* old, GameObject* fresh) { replacements[old] = fresh; }

void RegistryOrder::EndBatch() {
  if (walkAgain || registry.bucket_count() != bucketCount) {
    Rebuild();
  } else if (!insertions.empty() || !replacements.empty()) {
    Merge();
  }
  assert(MatchesRegistry());
}

void RegistryOrder::Rebuild() {
  ++fullWalks;
  objects.clear();
  objects.reserve(registry.size());
  for (const auto& [name, object] : registry) objects.push_back(object.get());
}

GameObject* RegistryOrder::Current(GameObject* object) const {
  for (auto replaced = replacements.find(object); replaced != replacements.end();
       replaced = replacements.find(object)) {
    object = replaced->second;
  }
  return object;
}

void RegistryOrder::EmitWithInsertedBefore(GameObject* object, std::vector<GameObject*>& out) const {
  const std::size_t start = out.size();
  for (GameObject* next = Current(object);;) {
    out.push_back(next);
    const auto inFront = insertedBefore.find(next);
    if (inFront == insertedBefore.end()) break;
    next = inFront->second;
  }
  std::reverse(out.begin() + static_cast<std::ptrdiff_t>(start), out.end());
}

// Entries put at the front come newest first, then the old order with each entry preceded by
// what was inserted in front of it. An entry whose object was replaced keeps its place, so
// everything is matched by the object each entry holds at the end of the batch.
void RegistryOrder::Merge() {
  insertedBefore.clear();
  for (const Insertion& insertion : insertions) {
    if (insertion.before != nullptr) insertedBefore[Current(insertion.before)] = Current(insertion.object);
  }
  merged.clear();
  merged.reserve(registry.size());
  for (auto insertion = insertions.rbegin(); insertion != insertions.rend(); ++insertion) {
    if (insertion->before == nullptr) EmitWithInsertedBefore(insertion->object, merged);
  }
  for (GameObject* object : objects) EmitWithInsertedBefore(object, merged);
  objects.swap(merged);
}

bool RegistryOrder::MatchesRegistry() const {
  if (objects.size() != registry.size()) return false;
  std::size_t index = 0;
  for (const auto& [name, object] : registry) {
    if (objects[index++] != object.get()) return false;
  }
  return true;
}

void RegistryOrder::CopyFrom(const RegistryOrder& other, const ObjectRemap& remap) {
  objects.clear();
  objects.reserve(other.objects.size());
  for (const GameObject* object : other.objects) objects.push_back(remap(object));
  fullWalks = other.fullWalks;
  assert(MatchesRegistry());
}
