// Which object of a copied battle stands for which of the original: what a copy's pointers and
// handles are turned to, so that they find the same objects there.
#pragma once

#include <unordered_map>

class GameObject;

class ObjectRemap {
 public:
  void Add(const GameObject* original, GameObject* copy) { copies[original] = copy; }
  // The copy of the object, or null for one the copy does not hold (null, or already destroyed).
  GameObject* operator()(const GameObject* original) const {
    const auto found = copies.find(original);
    return found != copies.end() ? found->second : nullptr;
  }

 private:
  std::unordered_map<const GameObject*, GameObject*> copies;
};
