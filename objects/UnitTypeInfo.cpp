// The unit-type table.
#include "objects/UnitTypeInfo.h"

#include <cassert>

#include "objects/UnitType.h"

namespace {
const UnitTypeInfo kUnitTypes[UnitType::kCount] = {
    {"Soldier ", "Textures/Soldier_new.png", 2.0f, true, 0.5f},
    {"Archer ", "Textures/Archer_new.png", 20.0f, true, 0.5f},
    {"Berserker ", "Textures/Berserker_new.png", 2.0f, true, 0.6f},
    {"SquadLeader ", "Textures/Squadleader_new.png", 2.0f, true, 0.8f},
    {"General ", "Textures/General_new.png", 2.0f, true, 0.85f},
    {"Blood", "Textures/Blood.png", 2.0f, false, 0.5f},
    {"Arrow", "Textures/Arrow.png", 2.0f, false, 0.5f},
};
}  // namespace

const UnitTypeInfo& UnitTypeInfo::Of(int type) {
  assert(type >= 0 && type < UnitType::kCount && "unit type codes run from 0 to 6");
  return kUnitTypes[type];
}
