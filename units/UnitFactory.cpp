// Unit construction.
#include "units/UnitFactory.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/StateArchive.h"
#include "units/ArrowSM.h"
#include "units/BloodSM.h"
#include "units/GeneralSM.h"
#include "units/SquadLeaderSM.h"
#include "units/SquadMemberSM.h"

const std::vector<std::string>& UnitFactory::ImageFiles() {
  static const std::vector<std::string> files = [] {
    std::vector<std::string> all;
    for (int type = 0; type < UnitType::kCount; ++type) all.emplace_back(Info(type).textureFile);
    return all;
  }();
  return files;
}

std::unique_ptr<StateMachine> UnitFactory::FirstMachine(int type, GameObject* owner) {
  switch (type) {
    case UnitType::Soldier: return std::make_unique<SoldierSM>(owner);
    case UnitType::Archer: return std::make_unique<ArcherSM>(owner);
    case UnitType::Berserker: return std::make_unique<BerserkerSM>(owner);
    case UnitType::SquadLeader: return std::make_unique<SquadLeaderSM>(owner);
    case UnitType::General: return std::make_unique<GeneralSM>(owner);
    case UnitType::Blood: return std::make_unique<BloodSM>(owner);
    default: return std::make_unique<ArrowSM>(owner);
  }
}

// Only the first rule that applies moves the point, so a point beyond a corner is moved in x
// alone.
Vector3 UnitFactory::KeepOnTerrain(const Vector3& position, int terrainWidth, int terrainDepth) {
  const auto minX = static_cast<float>(-(terrainWidth / 2));
  const auto maxX = static_cast<float>(terrainWidth / 2);
  const auto minZ = static_cast<float>(-(terrainDepth / 2));
  const auto maxZ = static_cast<float>(terrainDepth / 2);
  Vector3 kept = position;
  if (kept.x <= minX) {
    kept.x = minX + 1.0f;
  } else if (kept.x >= maxX) {
    kept.x = maxX - 1.0f;
  } else if (kept.z <= minZ) {
    kept.z = minZ + 1.0f;
  } else if (kept.z >= maxZ) {
    kept.z = maxZ - 1.0f;
  }
  return kept;
}

std::string UnitFactory::NextName(int type) {
  int* counters[] = {&soldierCount, &archerCount, &berserkerCount, &squadLeaderCount, &generalCount};
  const UnitTypeInfo& info = Info(type);
  if (!info.numbered) return info.name;
  return info.name + std::to_string((*counters[type])++);
}

GameObject* UnitFactory::Create(int type, const Vector3& position, float facing, int team) {
  const UnitTypeInfo& info = Info(type);
  const Vector3 place = KeepOnTerrain(position, battle.terrain.width, battle.terrain.depth);
  auto object = std::make_unique<GameObject>(NextName(type), team, type, info.attackRange, &battle);
  GameObject* created = object.get();
  auto sprite = std::make_unique<Sprite>(created, place, facing);
  std::unique_ptr<StateMachine> machine = FirstMachine(type, created);
  // The first machine's entry already reads the sprite and may look the object up by name.
  battle.objects->Add(std::move(object));
  created->SetSprite(std::move(sprite));
  created->PushMachine(std::move(machine), true);
  return created;
}

void UnitFactory::Reset() {
  soldierCount = 0;
  archerCount = 0;
  berserkerCount = 0;
  squadLeaderCount = 0;
  generalCount = 0;
}

void UnitFactory::Walk(StateArchive& archive) {
  archive.Int("factory.soldierCount", soldierCount);
  archive.Int("factory.archerCount", archerCount);
  archive.Int("factory.berserkerCount", berserkerCount);
  archive.Int("factory.squadLeaderCount", squadLeaderCount);
  archive.Int("factory.generalCount", generalCount);
}
