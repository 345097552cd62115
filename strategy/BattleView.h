// What a General's strategy script sees of the battle during one call: tables built afresh for the
// call, so that nothing the script writes into them reaches the simulation.
#pragma once

struct lua_State;
class BattleContext;
class GameObject;

class BattleView {
 public:
  // The view of general's side; both must outlive the call it is lent to.
  BattleView(BattleContext& battle, const GameObject& general);

  // The `battle` argument: side, time, terrain, the Generals, and the functions squads(),
  // enemies(), height(x, z) and rand(), which work while this view is the state's context.
  void PushBattle(lua_State* lua) const;
  // One squad as its leader stands: own squads also carry the enemy their leader chose to march on.
  void PushSquad(lua_State* lua, const GameObject& leader, bool own) const;

  // The view lent to the running call; a Lua error when none is.
  static const BattleView& Current(lua_State* lua);

 private:
  static int Squads(lua_State* lua);
  static int Enemies(lua_State* lua);
  static int Height(lua_State* lua);
  static int Rand(lua_State* lua);

  const GameObject* EnemyGeneral() const;
  void PushGeneral(lua_State* lua, const GameObject& general) const;
  void PushTerrain(lua_State* lua) const;
  void PushSquadsOf(lua_State* lua, const GameObject* general, bool own) const;

  BattleContext& battle;
  const GameObject& general;
};
