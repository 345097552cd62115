// The battle as a strategy script reads it. Lua may long-jump out of any call here (a full state),
// so nothing in these functions owns memory while it calls into Lua.
#include "strategy/BattleView.h"

#include <lua.hpp>

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "strategy/LuaState.h"
#include "terrain/TerrainBounds.h"
#include "units/BattleRules.h"
#include "units/SquadLeaderSM.h"
#include "units/SquadType.h"

namespace {
void SetNumber(lua_State* lua, const char* key, double value) {
  lua_pushnumber(lua, value);
  lua_setfield(lua, -2, key);
}

void SetInteger(lua_State* lua, const char* key, lua_Integer value) {
  lua_pushinteger(lua, value);
  lua_setfield(lua, -2, key);
}

void SetString(lua_State* lua, const char* key, const char* value) {
  lua_pushstring(lua, value);
  lua_setfield(lua, -2, key);
}

void SetFunction(lua_State* lua, const char* key, lua_CFunction function) {
  lua_pushcfunction(lua, function);
  lua_setfield(lua, -2, key);
}

}  // namespace

BattleView::BattleView(BattleContext& ownBattle, const GameObject& ownGeneral) : battle(ownBattle), general(ownGeneral) {}

const BattleView& BattleView::Current(lua_State* lua) {
  const void* view = LuaState::Of(lua).context;
  if (view == nullptr) luaL_error(lua, "the battle can only be read during the call that received it");
  return *static_cast<const BattleView*>(view);
}

const GameObject* BattleView::EnemyGeneral() const {
  for (int serial = 0; serial < 2; ++serial) {
    const GameObject* candidate = battle.objects->FindGeneral(serial);
    if (candidate != nullptr && candidate->team != general.team) return candidate;
  }
  return nullptr;
}

void BattleView::PushBattle(lua_State* lua) const {
  lua_createtable(lua, 0, 10);
  SetString(lua, "side", general.team == Team::Red ? "red" : "blue");
  SetNumber(lua, "time", battle.timer.now - battle.Rules().BattleStartedAt());
  PushTerrain(lua);
  lua_setfield(lua, -2, "terrain");
  PushGeneral(lua, general);
  lua_setfield(lua, -2, "general");
  if (const GameObject* enemy = EnemyGeneral()) {
    PushGeneral(lua, *enemy);
    lua_setfield(lua, -2, "enemy_general");
  }
  SetFunction(lua, "squads", &BattleView::Squads);
  SetFunction(lua, "enemies", &BattleView::Enemies);
  SetFunction(lua, "height", &BattleView::Height);
  SetFunction(lua, "rand", &BattleView::Rand);
}

void BattleView::PushTerrain(lua_State* lua) const {
  const TerrainBounds bounds(battle.terrain);
  lua_createtable(lua, 0, 6);
  SetInteger(lua, "width", bounds.width);
  SetInteger(lua, "depth", bounds.depth);
  SetNumber(lua, "min_x", bounds.minX);
  SetNumber(lua, "max_x", bounds.maxX);
  SetNumber(lua, "min_z", bounds.minZ);
  SetNumber(lua, "max_z", bounds.maxZ);
}

void BattleView::PushGeneral(lua_State* lua, const GameObject& leader) const {
  const Vector3& position = leader.GetSprite()->position;
  lua_createtable(lua, 0, 5);
  SetString(lua, "name", leader.name.c_str());
  SetNumber(lua, "x", position.x);
  SetNumber(lua, "z", position.z);
  SetInteger(lua, "squads", static_cast<lua_Integer>(leader.subordinates.size()));
  lua_pushboolean(lua, leader.inCombat);
  lua_setfield(lua, -2, "in_combat");
}

void BattleView::PushSquad(lua_State* lua, const GameObject& leader, bool own) const {
  const Vector3& position = leader.GetSprite()->position;
  lua_createtable(lua, 0, 7);
  SetString(lua, "name", leader.name.c_str());
  SetString(lua, "type", SquadType::NameOf(battle, leader).data());
  SetNumber(lua, "x", position.x);
  SetNumber(lua, "z", position.z);
  SetInteger(lua, "followers", static_cast<lua_Integer>(leader.subordinates.size()));
  lua_pushboolean(lua, leader.inCombat);
  lua_setfield(lua, -2, "in_combat");
  const SquadLeaderSM* machine = SquadLeaderSM::Of(leader);
  if (!own || machine == nullptr || machine->orderMode != SquadLeaderSM::OrderMode::MarchToTarget) return;
  lua_createtable(lua, 0, 2);
  SetNumber(lua, "x", machine->storedTarget.x);
  SetNumber(lua, "z", machine->storedTarget.z);
  lua_setfield(lua, -2, "target");
}

void BattleView::PushSquadsOf(lua_State* lua, const GameObject* leader, bool own) const {
  lua_newtable(lua);
  if (leader == nullptr) return;
  lua_Integer index = 0;
  for (const std::string& name : leader->subordinates) {
    const GameObject* squad = battle.Find(name);
    if (squad == nullptr) continue;
    PushSquad(lua, *squad, own);
    lua_rawseti(lua, -2, ++index);
  }
}

int BattleView::Squads(lua_State* lua) {
  const BattleView& view = Current(lua);
  view.PushSquadsOf(lua, &view.general, true);
  return 1;
}

int BattleView::Enemies(lua_State* lua) {
  const BattleView& view = Current(lua);
  view.PushSquadsOf(lua, view.EnemyGeneral(), false);
  return 1;
}

int BattleView::Height(lua_State* lua) {
  const BattleView& view = Current(lua);
  const double x = luaL_checknumber(lua, 1);
  const double z = luaL_checknumber(lua, 2);
  const TerrainBounds bounds(view.battle.terrain);
  if (bounds.Empty() || !bounds.Holds(x, z)) {
    lua_pushnil(lua);
  } else {
    lua_pushnumber(lua, view.battle.terrain.InterpolatedHeight(static_cast<float>(x), static_cast<float>(z)));
  }
  return 1;
}

int BattleView::Rand(lua_State* lua) {
  lua_pushinteger(lua, Current(lua).battle.random.Rand());
  return 1;
}
