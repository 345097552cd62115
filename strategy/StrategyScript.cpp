// Loading a strategy script and asking it for decisions. Every call into the script, the building
// of its arguments and the reading of its answer run inside the state's protected, budgeted call;
// only plain values cross back.
#include "strategy/StrategyScript.h"

#include <lua.hpp>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "objects/BattleContext.h"
#include "objects/Formation.h"
#include "objects/GameObject.h"
#include "platform/Random.h"
#include "strategy/BattleView.h"

namespace {
constexpr const char kOrderFunction[] = "on_squad_ready";
constexpr const char kFightFunction[] = "general_fights";
constexpr std::array<std::pair<std::string_view, int>, 3> kFormations{
    {{"block", Formation::kBlock}, {"wedge", Formation::kWedge}, {"vee", Formation::kOpenVee}}};

bool ReadScript(const std::string& path, std::string& text, std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = path + ": is a directory, not a strategy script (a Lua file)";
    return false;
  }
  const auto size = std::filesystem::file_size(path, code);
  if (!code && size > static_cast<std::uintmax_t>(StrategyScript::kLargestFileBytes)) {
    error = path + ": the strategy script is larger than " + std::to_string(StrategyScript::kLargestFileBytes) +
            " bytes, the most allowed";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": cannot read the strategy script (" + std::strerror(errno) + ")";
    return false;
  }
  char chunk[4096];
  std::size_t count = 0;
  while (text.size() <= static_cast<std::size_t>(StrategyScript::kLargestFileBytes) &&
         (count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    text.append(chunk, count);
  }
  std::fclose(file);
  if (text.size() > static_cast<std::size_t>(StrategyScript::kLargestFileBytes)) {
    error = path + ": the strategy script is larger than " + std::to_string(StrategyScript::kLargestFileBytes) +
            " bytes, the most allowed";
    return false;
  }
  return true;
}

// The line that defines the global function of that name: 0 when there is none, -1 when the
// name holds something else.
int DefinitionLine(lua_State* lua, const char* name) {
  const int type = lua_getglobal(lua, name);
  if (type == LUA_TNIL) return 0;
  if (type != LUA_TFUNCTION) return -1;
  lua_Debug record;
  lua_getinfo(lua, ">S", &record);
  return record.linedefined > 0 ? record.linedefined : 1;
}

int FindEntryPoints(lua_State* lua) {
  const int orderLine = DefinitionLine(lua, kOrderFunction);
  const int fightLine = DefinitionLine(lua, kFightFunction);
  lua_settop(lua, 0);
  lua_pushinteger(lua, orderLine);
  lua_pushinteger(lua, fightLine);
  return 2;
}

// Leaves the answer's type and, for a table, its raw x, z and formation: no metamethod of the
// script's runs while the answer is read.
int CallOnSquadReady(lua_State* lua) {
  const auto* leader = static_cast<const GameObject*>(lua_touserdata(lua, 1));
  const BattleView& view = BattleView::Current(lua);
  lua_settop(lua, 0);
  lua_getglobal(lua, kOrderFunction);
  view.PushBattle(lua);
  view.PushSquad(lua, *leader, true);
  lua_call(lua, 2, 1);
  const int type = lua_type(lua, 1);
  lua_pushinteger(lua, type);
  for (const char* key : {"x", "z", "formation"}) {
    if (type == LUA_TTABLE) {
      lua_pushstring(lua, key);
      lua_rawget(lua, 1);
    } else {
      lua_pushnil(lua);
    }
  }
  return 4;
}

int CallGeneralFights(lua_State* lua) {
  const BattleView& view = BattleView::Current(lua);
  lua_settop(lua, 0);
  lua_getglobal(lua, kFightFunction);
  view.PushBattle(lua);
  lua_call(lua, 1, 1);
  return 1;
}

// Why a goal the script returned cannot be marched to.
std::string WhyNoGoal(double x, double z, const std::string& point) {
  if (std::isnan(x) || std::isnan(z)) return std::string("whose ") + (std::isnan(x) ? "x" : "z") + " is not a number (NaN)";
  return "off the terrain " + point;
}

// How the inspector names the shape a march order chose; nothing when it kept the squad's own.
std::string FormationWords(int formation) {
  for (const auto& [name, shape] : kFormations) {
    if (shape == formation) return " in " + std::string(name);
  }
  return "";
}

std::string Fixed1(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// A script's own string inside a message: short, quoted, on one line.
std::string Quote(lua_State* lua, int index) {
  std::size_t length = 0;
  const char* text = lua_tolstring(lua, index, &length);
  std::string quoted(text, std::min<std::size_t>(length, 20));
  for (char& c : quoted) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == 0x7f) c = '?';
  }
  return "\"" + quoted + (length > 20 ? "...\"" : "\"");
}
}  // namespace

StrategyScript::StrategyScript(BattleContext& ownBattle, int ownTeam) : battle(ownBattle), team(ownTeam) {}

StrategyScript::~StrategyScript() = default;

bool StrategyScript::Check(const std::string& path, std::string& error) {
  std::string text;
  if (!ReadScript(path, text, error)) return false;
  platform::Random random;
  LuaState state(random);
  int orderLine = 0;
  int fightLine = 0;
  return Prepare(state, text, path, orderLine, fightLine, error);
}

bool StrategyScript::Prepare(LuaState& state, std::string_view text, const std::string& name, int& orderLine,
                             int& fightLine, std::string& error) {
  if (!state.Opened()) {
    error = name + ": no room to open a Lua state";
    return false;
  }
  if (!state.LoadText(text, name, error) || !state.Call(0, 0, error)) return false;
  lua_pushcfunction(state.Raw(), FindEntryPoints);
  if (!state.Call(0, 2, error)) return false;
  orderLine = static_cast<int>(lua_tointeger(state.Raw(), -2));
  fightLine = static_cast<int>(lua_tointeger(state.Raw(), -1));
  lua_pop(state.Raw(), 2);
  if (orderLine <= 0) {
    error = name + ": defines no function " + kOrderFunction + "(battle, squad)";
  } else if (fightLine < 0) {
    error = name + ": " + kFightFunction + " must be a function";
  }
  return orderLine > 0 && fightLine >= 0;
}

bool StrategyScript::Load(const std::string& file, std::string& error) {
  std::string text;
  if (!ReadScript(file, text, error)) {
    path = file;
    return Fail(error);
  }
  return LoadSource(text, file, error);
}

bool StrategyScript::LoadSource(std::string_view text, const std::string& name, std::string& error) {
  path = name;
  state = std::make_unique<LuaState>(battle.random);
  if (Prepare(*state, text, path, orderLine, fightsLine, error)) return true;
  if (WasInterrupted()) return false;
  return Fail(error);
}

// An interrupt ends the run: the call it stopped was no fault of the script's, which decides
// nothing more (its squads hold, its General waits) but does not forfeit.
bool StrategyScript::WasInterrupted() {
  if (state == nullptr || !state->Interrupted()) return false;
  interrupted = true;
  lastDecision = "stopped by an interrupt";
  state.reset();
  return true;
}

bool StrategyScript::Fail(const std::string& why) {
  failure = why;
  lastDecision = "stopped: " + why;
  state.reset();
  return false;
}

std::string StrategyScript::Where(int line) const { return path + ":" + std::to_string(line) + ": "; }

SquadOrder StrategyScript::OnSquadReady(const GameObject& general, const GameObject& leader) {
  SquadOrder failed{SquadOrder::Kind::Failed};
  if (interrupted) return SquadOrder{};
  if (Failed() || state == nullptr) return failed;
  BattleView view(battle, general);
  state->context = &view;
  lua_pushcfunction(state->Raw(), CallOnSquadReady);
  lua_pushlightuserdata(state->Raw(), const_cast<GameObject*>(&leader));
  std::string error;
  const bool answered = state->Call(1, 4, error);
  if (state != nullptr) state->context = nullptr;
  if (!answered) {
    if (WasInterrupted()) return SquadOrder{};
    Fail(error);
    return failed;
  }
  const SquadOrder order = ReadOrder(view, leader);
  if (state != nullptr) lua_pop(state->Raw(), 4);
  return order;
}

// The answer stands at -4 (its type), -3 (x), -2 (z) and -1 (formation).
SquadOrder StrategyScript::ReadOrder(const BattleView& view, const GameObject& leader) {
  lua_State* lua = state->Raw();
  SquadOrder order;
  const auto type = static_cast<int>(lua_tointeger(lua, -4));
  const std::string where = Where(orderLine) + kOrderFunction;
  if (type == LUA_TNIL) {
    lastDecision = leader.name + ": hold";
    return order;
  }
  order.kind = SquadOrder::Kind::Failed;
  if (type != LUA_TTABLE) {
    Fail(where + " returned " + lua_typename(lua, type) + "; it must return nil (hold) or a table {x = ..., z = ...}");
    return order;
  }
  if (lua_type(lua, -3) != LUA_TNUMBER || lua_type(lua, -2) != LUA_TNUMBER) {
    Fail(where + " returned a goal without numbers x and z (x is " + luaL_typename(lua, -3) + ", z is " +
         luaL_typename(lua, -2) + ")");
    return order;
  }
  const double x = lua_tonumber(lua, -3);
  const double z = lua_tonumber(lua, -2);
  const std::string point = "(" + Fixed1(x) + ", " + Fixed1(z) + ")";
  if (!std::isfinite(x) || !std::isfinite(z) || !view.OnTerrain(x, z)) {
    Fail(where + " returned a goal " + WhyNoGoal(x, z, point));
    return order;
  }
  if (!ReadFormation(lua, order.formation)) return order;
  order = {SquadOrder::Kind::March, static_cast<float>(x), static_cast<float>(z), order.formation};
  lastDecision = leader.name + " -> " + point + FormationWords(order.formation);
  return order;
}

bool StrategyScript::ReadFormation(lua_State* lua, int& formation) {
  formation = 0;
  if (lua_type(lua, -1) == LUA_TNIL) return true;
  if (lua_type(lua, -1) == LUA_TSTRING) {
    const std::string_view name = lua_tostring(lua, -1);
    for (const auto& [known, shape] : kFormations) {
      if (name == known) formation = shape;
    }
    if (formation != 0) return true;
  }
  const std::string given = lua_type(lua, -1) == LUA_TSTRING ? Quote(lua, -1) : luaL_typename(lua, -1);
  return Fail(Where(orderLine) + kOrderFunction + " returned formation " + given +
              "; it must be \"block\", \"wedge\" or \"vee\"");
}

bool StrategyScript::GeneralFights(const GameObject& general, bool& fights) {
  fights = false;
  if (interrupted) return true;
  if (Failed() || state == nullptr) return false;
  BattleView view(battle, general);
  state->context = &view;
  lua_pushcfunction(state->Raw(), CallGeneralFights);
  std::string error;
  const bool answered = state->Call(0, 1, error);
  if (state != nullptr) state->context = nullptr;
  if (!answered) return WasInterrupted() || Fail(error);
  lua_State* lua = state->Raw();
  const int type = lua_type(lua, -1);
  fights = lua_toboolean(lua, -1) != 0;
  lua_pop(lua, 1);
  if (type != LUA_TBOOLEAN && type != LUA_TNIL) {
    fights = false;
    return Fail(Where(fightsLine) + kFightFunction + " returned " + lua_typename(lua, type) +
                "; it must return true or false");
  }
  if (fights) lastDecision = "fight the enemy General";
  return true;
}
