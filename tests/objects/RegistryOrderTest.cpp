// The registry is walked in the order names were first registered, whatever the hash table does:
// the update order must depend on nothing but the battle.
#include "objects/RegistryOrder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "objects/GameObject.h"

namespace {
std::vector<std::string> Names(const RegistryOrder& order) {
  std::vector<std::string> names;
  for (const GameObject* object : order.Objects()) names.push_back(object->name);
  return names;
}

std::unique_ptr<GameObject> Unit(const std::string& name) { return std::make_unique<GameObject>(name, 0, 0, 2.0f); }

TEST(RegistryOrder, WalksNamesInTheOrderTheyWereFirstRegistered) {
  RegistryOrder::Registry registry;
  RegistryOrder order(registry);
  // Many names, so that the hash table grows its bucket table several times on the way.
  std::vector<std::string> expected;
  for (int i = 0; i < 500; ++i) {
    const std::string name = "Unit " + std::to_string((i * 7919) % 1000);
    order.Register(Unit(name));
    expected.push_back(name);
  }
  EXPECT_EQ(Names(order), expected);
}

TEST(RegistryOrder, AnObjectTakingARegisteredNameTakesItsPlace) {
  RegistryOrder::Registry registry;
  RegistryOrder order(registry);
  for (const char* name : {"Blood", "Soldier 1", "Arrow", "Soldier 2"}) order.Register(Unit(name));
  auto fresh = Unit("Arrow");
  GameObject* arrow = fresh.get();
  order.Register(std::move(fresh));
  EXPECT_EQ(Names(order), (std::vector<std::string>{"Blood", "Soldier 1", "Arrow", "Soldier 2"}));
  EXPECT_EQ(order.Objects()[2], arrow);
  EXPECT_EQ(registry.at("Arrow").get(), arrow);
  EXPECT_EQ(registry.size(), 4u);
}

// The manager drops erased objects from the walk and tells the others where they moved.
TEST(RegistryOrder, AReplacementAfterAnErasureLandsWhereTheOldObjectNowStands) {
  RegistryOrder::Registry registry;
  RegistryOrder order(registry);
  for (const char* name : {"Soldier 1", "Soldier 2", "Arrow"}) order.Register(Unit(name));
  std::vector<GameObject*>& objects = order.Objects();
  registry.erase("Soldier 1");
  objects.erase(objects.begin());
  for (std::size_t i = 0; i < objects.size(); ++i) RegistryOrder::MovedTo(*objects[i], i);
  order.Register(Unit("Arrow"));
  order.Register(Unit("Soldier 1"));
  EXPECT_EQ(Names(order), (std::vector<std::string>{"Soldier 2", "Arrow", "Soldier 1"}));
}
}  // namespace
