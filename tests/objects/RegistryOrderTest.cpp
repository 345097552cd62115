// The flat copy of the registry's walking order must equal a walk of the registry after every
// batch of registrations, whatever mix of new names, taken names and erasures came before.
#include "objects/RegistryOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "objects/GameObject.h"

namespace {
std::vector<GameObject*> Walk(const RegistryOrder::Registry& registry) {
  std::vector<GameObject*> walked;
  for (const auto& [name, object] : registry) walked.push_back(object.get());
  return walked;
}

void EraseOne(RegistryOrder::Registry& registry, RegistryOrder& order, std::mt19937& random) {
  std::vector<GameObject*>& objects = order.Objects();
  if (objects.empty()) return;
  const auto victim = objects.begin() + static_cast<std::ptrdiff_t>(random() % objects.size());
  registry.erase((*victim)->name);
  objects.erase(victim);
}

TEST(RegistryOrder, FollowsTheRegistryThroughInsertionsReplacementsAndErasures) {
  RegistryOrder::Registry registry;
  RegistryOrder order(registry);
  std::mt19937 random(12345);
  int batches = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::unique_ptr<GameObject>> batch;
    const int registrations = static_cast<int>(random() % 6);
    for (int i = 0; i < registrations; ++i) {
      // A small pool of names: many batches take a name that is already registered, some take
      // the same name twice.
      batch.push_back(std::make_unique<GameObject>("Unit " + std::to_string(random() % 700), 0, 0, 2.0f));
    }
    order.BeginBatch();
    // As the object manager does, the batch's objects all exist before it begins.
    for (auto& object : batch) order.Register(std::move(object));
    order.EndBatch();
    ++batches;
    ASSERT_EQ(order.Objects(), Walk(registry)) << "after batch " << round;
    if (random() % 3 == 0) EraseOne(registry, order, random);
    ASSERT_EQ(order.Objects(), Walk(registry)) << "after erasing, round " << round;
  }
  // Most batches were merged, not walked again: only growth of the bucket table and the rare
  // entry that cannot be placed need a full walk.
  EXPECT_LT(order.FullWalks(), batches / 4);
}
}  // namespace
