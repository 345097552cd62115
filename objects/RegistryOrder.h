// The order in which the object registry's entries are walked (updated, drawn, fingerprinted):
// the order in which their names were first registered. It depends on nothing but the battle, so
// a seed plays the same battle with every standard library, whose hash tables each lay out their
// entries their own way.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class GameObject;

class RegistryOrder {
 public:
  using Registry = std::unordered_map<std::string, std::unique_ptr<GameObject>>;

  explicit RegistryOrder(Registry& kept) : registry(kept) {}

  // Puts the object into the registry under its name. A new name goes to the end of the walk; an
  // object that takes a registered name takes the old object's place in it too, and the old one
  // is destroyed.
  void Register(std::unique_ptr<GameObject> object);

  // In walking order. The caller may drop entries whose objects it erases from the registry, and
  // then tells each object that moved up where it now stands.
  std::vector<GameObject*>& Objects() { return objects; }
  const std::vector<GameObject*>& Objects() const { return objects; }
  static void MovedTo(GameObject& object, std::size_t index);

 private:
  void Append(std::unique_ptr<GameObject> object);

  Registry& registry;
  std::vector<GameObject*> objects;
};
