// Handles compare their generation with the slot's.
#include "objects/ObjectHandle.h"

#include "objects/GameObject.h"
#include "objects/HandleSlots.h"

ObjectHandle::ObjectHandle(GameObject* target, const HandleSlots& slots) : object(target) {
  if (object == nullptr) return;
  slot = object->LifeSlot();
  generation = slots.Generation(slot);
}

GameObject* ObjectHandle::Get(const HandleSlots& slots) const {
  if (object == nullptr || slots.Generation(slot) != generation) return nullptr;
  return object;
}

void ObjectHandle::Prefetch(const HandleSlots& slots) const {
  if (object == nullptr) return;
  __builtin_prefetch(slots.GenerationAt(slot));
  GameObject::PrefetchHotLines(object);
}

