// The slot table behind object handles: one generation count per slot, moved on when the
// slot's object is destroyed, so that a handle taken before compares unequal.
#include "objects/ObjectHandle.h"

#include <vector>

#include "objects/GameObject.h"

namespace {
struct SlotTable {
  std::vector<std::uint32_t> generations;
  std::vector<std::uint32_t> unused;
};

// Never destroyed: objects held by other static objects may be destroyed after it would be.
SlotTable& Slots() {
  static auto* table = new SlotTable;
  return *table;
}
}  // namespace

ObjectHandle::ObjectHandle(GameObject* target) : object(target) {
  if (object == nullptr) return;
  slot = object->LifeSlot();
  generation = Slots().generations[slot];
}

GameObject* ObjectHandle::Get() const {
  if (object == nullptr || Slots().generations[slot] != generation) return nullptr;
  return object;
}

void ObjectHandle::Prefetch() const {
  if (object == nullptr) return;
  __builtin_prefetch(&Slots().generations[slot]);
  GameObject::PrefetchHotLines(object);
}

std::uint32_t ObjectHandle::OpenSlot() {
  SlotTable& table = Slots();
  if (table.unused.empty()) {
    table.generations.push_back(0);
    return static_cast<std::uint32_t>(table.generations.size() - 1);
  }
  const std::uint32_t slot = table.unused.back();
  table.unused.pop_back();
  return slot;
}

void ObjectHandle::CloseSlot(std::uint32_t slot) {
  SlotTable& table = Slots();
  ++table.generations[slot];
  table.unused.push_back(slot);
}
