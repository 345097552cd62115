// A game object remembered across frames. The object manager destroys an object when it is
// removed or when a newer object takes its name; from then on a handle to it reads as null
// instead of dangling.
#pragma once

#include <cstdint>

class GameObject;
class HandleSlots;

class ObjectHandle {
 public:
  ObjectHandle() = default;
  // The object's battle's slots, which every later call must be given again.
  ObjectHandle(GameObject* object, const HandleSlots& slots);

  // Null for an empty handle and once the object is destroyed.
  GameObject* Get(const HandleSlots& slots) const;
  // Starts fetching what Get reads and the object's first two cache lines; harmless when the
  // object is gone, as a prefetch never faults.
  void Prefetch(const HandleSlots& slots) const;

 private:
  GameObject* object = nullptr;
  std::uint32_t slot = 0;
  std::uint32_t generation = 0;
};
