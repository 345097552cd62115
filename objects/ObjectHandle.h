// A game object remembered across frames. The object manager destroys an object when it is
// removed or when a newer object takes its name; from then on a handle to it reads as null
// instead of dangling.
#pragma once

#include <cstdint>

class GameObject;

class ObjectHandle {
 public:
  ObjectHandle() = default;
  explicit ObjectHandle(GameObject* object);

  // Null for an empty handle and once the object is destroyed.
  GameObject* Get() const;
  // Starts fetching what Get reads and the object's first two cache lines; harmless when the
  // object is gone, as a prefetch never faults.
  void Prefetch() const;

  // Every game object holds a slot from its construction to its destruction; closing it is
  // what turns the handles to that object null.
  static std::uint32_t OpenSlot();
  static void CloseSlot(std::uint32_t slot);

 private:
  GameObject* object = nullptr;
  std::uint32_t slot = 0;
  std::uint32_t generation = 0;
};
