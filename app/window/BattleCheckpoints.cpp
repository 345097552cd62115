// Which copies of the battle on view are kept, and which one a jump back starts from.
#include "app/window/BattleCheckpoints.h"

#include <iterator>
#include <utility>

BattleCheckpoints::BattleCheckpoints(std::int64_t intervalSteps, std::size_t budgetBytes)
    : firstInterval(intervalSteps > 0 ? intervalSteps : 1), interval(firstInterval), budget(budgetBytes) {}

void BattleCheckpoints::Restart(std::int64_t startStep) {
  held.clear();
  start = startStep;
  interval = firstInterval;
  bytesEach = 0;
}

// Where no second copy fits the budget, none is made beyond the start: it would only be dropped.
bool BattleCheckpoints::Due(std::int64_t step) const {
  if (bytesEach * 2 > budget) return false;
  return step >= start && (step - start) % interval == 0 && !held.contains(step);
}

void BattleCheckpoints::Keep(std::int64_t step, Checkpoint checkpoint) {
  if (checkpoint.battle != nullptr) bytesEach = ReckonedBytes(*checkpoint.battle);
  held.insert_or_assign(step, std::move(checkpoint));
  while (held.size() > 1 && held.size() * bytesEach > budget) ThinOut();
}

// The battle's start stays: it is the one checkpoint every jump back can reach.
void BattleCheckpoints::ThinOut() {
  interval *= 2;
  for (auto entry = std::next(held.begin()); entry != held.end();) {
    entry = (entry->first - start) % interval != 0 ? held.erase(entry) : std::next(entry);
  }
}

void BattleCheckpoints::ForgetAfter(std::int64_t step) { held.erase(held.upper_bound(step), held.end()); }

const BattleCheckpoints::Checkpoint* BattleCheckpoints::Before(std::int64_t step, std::int64_t& takenAfter) const {
  auto after = held.upper_bound(step);
  if (after == held.begin()) return nullptr;
  --after;
  takenAfter = after->first;
  return &after->second;
}

std::size_t BattleCheckpoints::ReckonedBytes(const Battle& battle) {
  const std::size_t objects = battle.objects->RegisteredCount() + battle.objects->PendingCount();
  const auto groundPoints =
      static_cast<std::size_t>(battle.terrain.width) * static_cast<std::size_t>(battle.terrain.depth);
  return objects * kBytesPerObject + groundPoints * kBytesPerGroundPoint;
}
