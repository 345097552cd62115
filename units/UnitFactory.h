// The one place where world objects are made: name, attack range, billboard and first machine
// from a unit type, kept on the terrain and registered with the object manager.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "math/Vector3.h"
#include "objects/UnitTypeInfo.h"

class BattleContext;
class GameObject;
class StateArchive;
class StateMachine;

class UnitFactory {
 public:
  // Makes the units of this battle, which outlives the factory.
  explicit UnitFactory(BattleContext& ownBattle) : battle(ownBattle) {}
  UnitFactory(const UnitFactory&) = delete;
  UnitFactory& operator=(const UnitFactory&) = delete;

  // type is a UnitType code 0..6; the position is moved inside the terrain if it lies on or
  // beyond its edge. The first machine has been started when this returns.
  GameObject* Create(int type, const Vector3& position, float facing, int team);
  // Numbers the next battle's units from 0 again.
  void Reset();
  // The counts, which name the next units.
  void Walk(StateArchive& archive);

  static const UnitTypeInfo& Info(int type) { return UnitTypeInfo::Of(type); }
  // Every type's image file, in type order.
  static const std::vector<std::string>& ImageFiles();
  static std::unique_ptr<StateMachine> FirstMachine(int type, GameObject* owner);
  static Vector3 KeepOnTerrain(const Vector3& position, int terrainWidth, int terrainDepth);

  int soldierCount = 0;
  int archerCount = 0;
  int berserkerCount = 0;
  int squadLeaderCount = 0;
  int generalCount = 0;

 private:
  std::string NextName(int type);

  BattleContext& battle;
};
