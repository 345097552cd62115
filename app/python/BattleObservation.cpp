// Observations of a running battle for learning Generals.
#include "app/python/BattleObservation.h"

#include <algorithm>

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"

BattleObservation::BattleObservation(std::size_t capacity)
    : position(2 * capacity),
      team(capacity),
      type(capacity),
      squad(capacity, -1),
      inCombat(capacity),
      alive(capacity) {}

int BattleObservation::SlotOf(const std::string& name) {
  const auto found = slots.find(name);
  if (found != slots.end()) return found->second;
  if (slots.size() >= Capacity()) return -1;
  const int slot = static_cast<int>(slots.size());
  slots.emplace(name, slot);
  return slot;
}

void BattleObservation::Take(const Battle& battle, const GameObject* askingLeader) {
  std::fill(alive.begin(), alive.end(), std::int8_t{0});
  std::fill(inCombat.begin(), inCombat.end(), std::int8_t{0});
  for (const GameObject* unit : battle.objects->InRegistryOrder()) {
    if (unit->unitType >= UnitType::kFighters || unit->dying) continue;
    const int slot = SlotOf(unit->name);
    if (slot < 0) continue;
    const auto index = static_cast<std::size_t>(slot);
    position[2 * index] = unit->GetSprite()->position.x;
    position[2 * index + 1] = unit->GetSprite()->position.z;
    team[index] = static_cast<std::int8_t>(unit->team);
    type[index] = static_cast<std::int8_t>(unit->unitType);
    inCombat[index] = unit->inCombat ? 1 : 0;
    alive[index] = 1;
    if (unit->unitType == UnitType::SquadLeader) {
      squad[index] = slot;
    } else if (unit->unitType == UnitType::General) {
      squad[index] = -1;
    } else {
      squad[index] = SlotOf(unit->GetLeaderName());
    }
  }
  asking = askingLeader != nullptr ? SlotOf(askingLeader->name) : -1;
  askingTeam = askingLeader != nullptr ? askingLeader->team : -1;
}
