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
#include "objects/GameObject.h"
#include "platform/Random.h"
#include "strategy/BattleView.h"
#include "terrain/TerrainBounds.h"
#include "units/GeneralAnswer.h"

namespace {
constexpr const char kOrderFunction[] = "on_squad_ready";
constexpr const char kFightFunction[] = "general_fights";

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

// Leaves the answer alone on the stack: it is read after the call, raw, so that no metamethod of the
// script's runs while the answer is read.
int CallOnSquadReady(lua_State* lua) {
  const auto* leader = static_cast<const GameObject*>(lua_touserdata(lua, 1));
  const BattleView& view = BattleView::Current(lua);
  lua_settop(lua, 0);
  lua_getglobal(lua, kOrderFunction);
  view.PushBattle(lua);
  view.PushSquad(lua, *leader, true);
  lua_call(lua, 2, 1);
  return 1;
}

int CallGeneralFights(lua_State* lua) {
  const BattleView& view = BattleView::Current(lua);
  lua_settop(lua, 0);
  lua_getglobal(lua, kFightFunction);
  view.PushBattle(lua);
  lua_call(lua, 1, 1);
  return 1;
}

// Reads only: nothing here allocates or raises, so it runs outside the protected call. Strings are
// read as they are; a key of another type is named by its value or its type.
GeneralAnswer::Value ValueAt(lua_State* lua, int index) {
  GeneralAnswer::Value value;
  value.type = luaL_typename(lua, index);
  switch (lua_type(lua, index)) {
    case LUA_TNIL: value.kind = GeneralAnswer::Value::Kind::Nothing; break;
    case LUA_TNUMBER:
      value.kind = lua_isinteger(lua, index) ? GeneralAnswer::Value::Kind::Integer : GeneralAnswer::Value::Kind::Number;
      value.number = lua_tonumber(lua, index);
      break;
    case LUA_TSTRING: {
      std::size_t length = 0;
      const char* text = lua_tolstring(lua, index, &length);
      value.kind = GeneralAnswer::Value::Kind::Text;
      value.text.assign(text, length);
      break;
    }
    default: value.kind = GeneralAnswer::Value::Kind::Other;
  }
  return value;
}

std::string KeyAt(lua_State* lua, int index) {
  const GeneralAnswer::Value key = ValueAt(lua, index);
  if (key.kind == GeneralAnswer::Value::Kind::Text) return key.text;
  if (key.kind == GeneralAnswer::Value::Kind::Integer) return "[" + std::to_string(lua_tointeger(lua, index)) + "]";
  return "[" + key.type + "]";
}

// The answer at the top of the stack, which stays there.
GeneralAnswer AnswerAt(lua_State* lua) {
  const int type = lua_type(lua, -1);
  if (type == LUA_TNIL) return GeneralAnswer(GeneralAnswer::Shape::Nothing);
  if (type != LUA_TTABLE || !lua_checkstack(lua, 3))
    return GeneralAnswer(GeneralAnswer::Shape::Other, lua_typename(lua, type));
  GeneralAnswer answer(GeneralAnswer::Shape::Table);
  lua_pushnil(lua);
  while (lua_next(lua, -2) != 0) {
    answer.Add(KeyAt(lua, -2), ValueAt(lua, -1));
    lua_pop(lua, 1);
  }
  return answer;
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
  const bool answered = state->Call(1, 1, error);
  if (state != nullptr) state->context = nullptr;
  if (!answered) {
    if (WasInterrupted()) return SquadOrder{};
    Fail(error);
    return failed;
  }
  const SquadOrder order = ReadOrder(leader);
  if (state != nullptr) lua_pop(state->Raw(), 1);
  return order;
}

// The answer stands at the top of the stack.
SquadOrder StrategyScript::ReadOrder(const GameObject& leader) {
  static constexpr GeneralAnswer::Words kLuaWords{"nil", "a table {x = ..., z = ...}", '"'};
  std::string why;
  const SquadOrder order =
      AnswerAt(state->Raw()).Read(TerrainBounds(battle.terrain), kLuaWords, leader.name, why, lastDecision);
  if (order.kind == SquadOrder::Kind::Failed) Fail(Where(orderLine) + kOrderFunction + " " + why);
  return order;
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
