// Keeping the registry's walking order in step with its registrations.
#include "objects/RegistryOrder.h"

#include "objects/GameObject.h"

void RegistryOrder::Register(std::unique_ptr<GameObject> object) {
  const auto taken = registry.find(object->name);
  if (taken == registry.end()) {
    Append(std::move(object));
    return;
  }
  const std::uint32_t place = taken->second->registrySlot;
  object->registrySlot = place;
  objects[place] = object.get();
  taken->second = std::move(object);
}

void RegistryOrder::Append(std::unique_ptr<GameObject> object) {
  object->registrySlot = static_cast<std::uint32_t>(objects.size());
  objects.push_back(object.get());
  registry.emplace(object->name, std::move(object));
}

void RegistryOrder::MovedTo(GameObject& object, std::size_t index) {
  object.registrySlot = static_cast<std::uint32_t>(index);
}
