// The sandboxed Lua state. Lua reports errors by long jumps: every function here that Lua calls
// back holds no C++ object with a destructor while it calls into Lua.
#include "strategy/LuaState.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "math/PortableMath.h"
#include "platform/Interrupt.h"
#include "platform/Random.h"

namespace {
constexpr char kSandboxChunk[] = "=sandbox";
constexpr const char* kLongRepeat = "string.rep would make a string longer than 16 KiB, the longest allowed";

// Base functions that reach files, the console or the collector, and string functions whose
// pattern matching backtracks inside one C call, where no instruction budget reaches it.
constexpr const char* kRemovedGlobals[] = {"dofile", "loadfile", "print", "collectgarbage", "warn", "require"};
constexpr const char* kRemovedStringFunctions[] = {"dump", "find", "match", "gmatch", "gsub", "pack", "unpack",
                                                   "packsize"};

// The table functions that move or visit many elements inside one C call, written in Lua so that
// every step counts against the budget.
constexpr char kCountedLibrary[] = R"lua(
local unpack, concat, select, error, pcall, pack, type = table.unpack, table.concat, select, error, pcall, table.pack, type
local MOST = 4096
local function range(t, i, j) i = i or 1; j = j or #t; return i, j end
-- The library's xpcall runs the handler where the error is raised, which for the budget's own
-- error is inside its hook, where no budget holds: here it runs after the failed call, counted.
xpcall = function(f, handler, ...)
  if type(handler) ~= "function" then
    error("bad argument #2 to 'xpcall' (function expected, got " .. (handler == nil and "no value" or type(handler)) .. ")", 2)
  end
  local results = pack(pcall(f, ...))
  if results[1] then return unpack(results, 1, results.n) end
  local _, value = pcall(handler, results[2])
  return false, value
end
table.unpack = function(t, i, j)
  i, j = range(t, i, j)
  if j - i >= MOST then error("table.unpack: at most 4096 values at once", 2) end
  return unpack(t, i, j)
end
table.concat = function(t, sep, i, j)
  i, j = range(t, i, j)
  if j - i >= MOST then error("table.concat: at most 4096 values at once", 2) end
  return concat(t, sep, i, j)
end
table.insert = function(t, ...)
  local count, position, value = select("#", ...), ...
  local n = #t
  if count == 1 then t[n + 1] = position; return end
  if count ~= 2 then error("wrong number of arguments to 'insert'", 2) end
  if math.type(position) ~= "integer" or position < 1 or position > n + 1 then
    error("bad argument #2 to 'insert' (position out of bounds)", 2)
  end
  for k = n, position, -1 do t[k + 1] = t[k] end
  t[position] = value
end
table.remove = function(t, position)
  local n = #t
  position = position or n
  if position ~= n and (math.type(position) ~= "integer" or position < 1 or position > n + 1) then
    error("bad argument #2 to 'remove' (position out of bounds)", 2)
  end
  local value = t[position]
  for k = position, n - 1 do t[k] = t[k + 1] end
  t[position < n and n or position] = nil
  return value
end
table.move = function(a, f, e, t, b)
  b = b or a
  if e >= f then
    if t > e or t <= f or a ~= b then
      for k = 0, e - f do b[t + k] = a[f + k] end
    else
      for k = e - f, 0, -1 do b[t + k] = a[f + k] end
    end
  end
  return b
end
table.sort = function(t, less)
  less = less or function(x, y) return x < y end
  local n = #t
  -- Merge sort: n log n comparisons, each one counted.
  local from, to = t, {}
  local width = 1
  while width < n do
    for low = 1, n, 2 * width do
      local middle, high = math.min(low + width, n + 1), math.min(low + 2 * width, n + 1)
      local i, j = low, middle
      for k = low, high - 1 do
        if i < middle and (j >= high or not less(from[j], from[i])) then
          to[k] = from[i]; i = i + 1
        else
          to[k] = from[j]; j = j + 1
        end
      end
    end
    from, to = to, from
    width = width * 2
  end
  if from ~= t then for k = 1, n do t[k] = from[k] end end
end
)lua";

// The math library's transcendental functions, by our own code: the C library's may round the last
// bit otherwise on another machine, and a script's choices must not.
template <double (*function)(double)>
int OneArgument(lua_State* lua) {
  lua_pushnumber(lua, function(luaL_checknumber(lua, 1)));
  return 1;
}

int ArcTangent(lua_State* lua) {
  lua_pushnumber(lua, PortableMath::Atan2(luaL_checknumber(lua, 1), luaL_optnumber(lua, 2, 1.0)));
  return 1;
}

// Powers of two and ten have exact logarithms in their bases, as scripts expect.
int Logarithm(lua_State* lua) {
  const double x = luaL_checknumber(lua, 1);
  if (lua_isnoneornil(lua, 2)) {
    lua_pushnumber(lua, PortableMath::Log(x));
    return 1;
  }
  const double base = luaL_checknumber(lua, 2);
  int exponent = 0;
  if (base == 2.0 && std::frexp(x, &exponent) == 0.5) {
    lua_pushnumber(lua, exponent - 1);
  } else {
    lua_pushnumber(lua, PortableMath::Log(x) / PortableMath::Log(base));
  }
  return 1;
}

void ReplaceMathFunctions(lua_State* lua) {
  const luaL_Reg functions[] = {{"sin", OneArgument<PortableMath::Sin>},   {"cos", OneArgument<PortableMath::Cos>},
                                {"tan", OneArgument<PortableMath::Tan>},   {"asin", OneArgument<PortableMath::Asin>},
                                {"acos", OneArgument<PortableMath::Acos>}, {"exp", OneArgument<PortableMath::Exp>},
                                {"atan", ArcTangent},                      {"log", Logarithm},
                                {nullptr, nullptr}};
  lua_getglobal(lua, LUA_MATHLIBNAME);
  luaL_setfuncs(lua, functions, 0);
  lua_pop(lua, 1);
}

// load, but of text only: a compiled chunk could break the state from inside.
int LoadTextOnly(lua_State* lua) {
  const bool environmentGiven = lua_gettop(lua) >= 4;
  lua_settop(lua, 4);
  lua_pushvalue(lua, lua_upvalueindex(1));
  lua_pushvalue(lua, 1);
  lua_pushvalue(lua, 2);
  lua_pushliteral(lua, "t");
  if (environmentGiven) lua_pushvalue(lua, 4);
  lua_call(lua, environmentGiven ? 4 : 3, LUA_MULTRET);
  return lua_gettop(lua) - 4;
}

// A finalizer would run while the state closes or collects, outside any budgeted call.
int SetMetatableWithoutFinalizer(lua_State* lua) {
  if (lua_type(lua, 2) == LUA_TTABLE) {
    lua_pushliteral(lua, "__gc");
    if (lua_rawget(lua, 2) != LUA_TNIL) return luaL_error(lua, "setmetatable: finalizers (__gc) are not allowed");
    lua_pop(lua, 1);
  }
  lua_settop(lua, 2);
  lua_pushvalue(lua, lua_upvalueindex(1));
  lua_insert(lua, 1);
  lua_call(lua, 2, 1);
  return 1;
}

void RemoveFields(lua_State* lua, const char* table, const char* const* names, std::size_t count) {
  lua_getglobal(lua, table);
  for (std::size_t i = 0; i < count; ++i) {
    lua_pushnil(lua);
    lua_setfield(lua, -2, names[i]);
  }
  lua_pop(lua, 1);
}

void WrapGlobal(lua_State* lua, const char* name, lua_CFunction wrapper) {
  lua_getglobal(lua, name);
  lua_pushcclosure(lua, wrapper, 1);
  lua_setglobal(lua, name);
}

int OpenLibraries(lua_State* lua) {
  const luaL_Reg libraries[] = {{LUA_GNAME, luaopen_base},
                                {LUA_MATHLIBNAME, luaopen_math},
                                {LUA_STRLIBNAME, luaopen_string},
                                {LUA_TABLIBNAME, luaopen_table}};
  for (const luaL_Reg& library : libraries) {
    luaL_requiref(lua, library.name, library.func, 1);
    lua_pop(lua, 1);
  }
  for (const char* name : kRemovedGlobals) {
    lua_pushnil(lua);
    lua_setglobal(lua, name);
  }
  RemoveFields(lua, LUA_STRLIBNAME, kRemovedStringFunctions, std::size(kRemovedStringFunctions));
  ReplaceMathFunctions(lua);
  // The loaded-modules table would hand the original libraries back.
  lua_pushnil(lua);
  lua_setfield(lua, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
  if (luaL_loadbufferx(lua, kCountedLibrary, sizeof kCountedLibrary - 1, kSandboxChunk, "t") != LUA_OK) lua_error(lua);
  lua_call(lua, 0, 0);
  WrapGlobal(lua, "load", LoadTextOnly);
  WrapGlobal(lua, "setmetatable", SetMetatableWithoutFinalizer);
  return 0;
}

// "FILE:LINE: message", as Lua places its errors.
bool HasPlace(const char* text) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr || colon == text || colon[1] < '0' || colon[1] > '9') return false;
  const char* after = colon + 1;
  while (*after >= '0' && *after <= '9') ++after;
  return *after == ':';
}

// The innermost line of the script's own that is running, as "FILE:LINE: "; false when none is.
bool ScriptPlace(lua_State* lua, char* place, std::size_t size) {
  lua_Debug record;
  for (int level = 0; level < 64 && lua_getstack(lua, level, &record) != 0; ++level) {
    if (lua_getinfo(lua, "Sl", &record) == 0 || record.currentline <= 0) continue;
    if (std::strcmp(record.source, kSandboxChunk) == 0) continue;
    std::snprintf(place, size, "%s:%d: ", record.short_src, record.currentline);
    return true;
  }
  return false;
}

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  if (text.size() > LuaState::kLongestError) text = text.substr(0, LuaState::kLongestError - 3) + "...";
  return text;
}

// math.random(0): an integer with every one of its 64 bits drawn, as in Lua 5.4.
int AllBitsRandom(lua_State* lua, platform::Random& generator) {
  lua_Unsigned bits = 0;
  for (int draw = 0; draw < 5; ++draw) bits = (bits << 15) | static_cast<lua_Unsigned>(generator.Rand());
  lua_pushinteger(lua, static_cast<lua_Integer>(bits));
  return 1;
}
}  // namespace

LuaState::LuaState(platform::Random& generator, std::size_t memoryCeiling, int instructionBudget)
    : random(generator), ceiling(memoryCeiling), budget(instructionBudget) {
  const bool wholeMiB = ceiling % (1u << 20) == 0;
  ceilingText = "memory ceiling of " +
                (wholeMiB ? std::to_string(ceiling >> 20) + " MiB" : std::to_string(ceiling >> 10) + " KiB") + " exceeded";
  state = lua_newstate(&LuaState::Allocate, this);
  if (state == nullptr) return;
  *static_cast<LuaState**>(lua_getextraspace(state)) = this;
  OpenSandbox();
}

LuaState::~LuaState() {
  if (state != nullptr) lua_close(state);
}

LuaState& LuaState::Of(lua_State* lua) { return **static_cast<LuaState**>(lua_getextraspace(lua)); }

// Lua assumes that shrinking never fails; only growth counts against the ceiling.
void* LuaState::Allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize) {
  LuaState& owner = *static_cast<LuaState*>(self);
  const std::size_t kind = block == nullptr ? oldSize : 0;
  if (block == nullptr) oldSize = 0;
  if (newSize == 0) {
    std::free(block);
    owner.inUse -= oldSize;
    return nullptr;
  }
  if (newSize <= oldSize) {
    void* shrunk = std::realloc(block, newSize);
    owner.inUse = owner.inUse - oldSize + newSize;
    return shrunk != nullptr ? shrunk : block;
  }
  // A new block's old size is its kind.
  if (kind == LUA_TSTRING && newSize > kLongestString + 64) {
    owner.allocationRefused = "a string longer than 16 KiB was refused";
    return nullptr;
  }
  if (newSize - oldSize > owner.ceiling - owner.inUse) {
    // Lua collects what it can and asks once more before it raises the error: a second refusal in
    // a row is the overrun, which fails the call even when the script catches the error.
    if (owner.refusedLastTime) owner.allocationRefused = owner.ceilingText.c_str();
    owner.refusedLastTime = true;
    return nullptr;
  }
  if (owner.allocatedThisCall + (newSize - oldSize) > kAllocationBudget) {
    owner.allocationRefused = "more than 64 MiB were allocated in one call";
    return nullptr;
  }
  void* resized = std::realloc(block, newSize);
  if (resized == nullptr) return nullptr;
  owner.refusedLastTime = false;
  owner.allocatedThisCall += newSize - oldSize;
  owner.inUse = owner.inUse - oldSize + newSize;
  return resized;
}

void LuaState::OpenSandbox() {
  lua_pushcfunction(state, OpenLibraries);
  if (lua_pcall(state, 0, 0, 0) == LUA_OK) {
    lua_getglobal(state, LUA_MATHLIBNAME);
    lua_pushcfunction(state, &LuaState::Random);
    lua_setfield(state, -2, "random");
    lua_pushnil(state);
    lua_setfield(state, -2, "randomseed");
    lua_pop(state, 1);
    lua_getglobal(state, LUA_STRLIBNAME);
    lua_getfield(state, -1, "rep");
    lua_pushcclosure(state, &LuaState::Repeat, 1);
    lua_setfield(state, -2, "rep");
    lua_pop(state, 1);
    return;
  }
  lua_close(state);
  state = nullptr;
}

void LuaState::ArmHook(lua_State* lua, int instructions) {
  slice = std::max(1, instructions);
  lua_sethook(lua, &LuaState::OnCount, LUA_MASKCOUNT, slice);
}

// Runs every kSlice instructions of a call. Once the call is stopped every further instruction
// fails as well, so that no pcall inside the script can carry on.
void LuaState::OnCount(lua_State* lua, lua_Debug*) {
  LuaState& self = Of(lua);
  if (self.stopped.empty()) {
    self.spent += self.slice;
    if (!Interrupt::Requested() && self.spent < self.budget) {
      self.ArmHook(lua, std::min(kSlice, self.budget - self.spent));
      return;
    }
    self.interrupted = Interrupt::Requested();
    self.Stop(lua, self.interrupted ? kInterruptedText : "budget of " + std::to_string(self.budget) + " instructions exceeded");
  }
  self.ArmHook(lua, 1);
  lua_pushstring(lua, self.stopped.c_str());
  lua_error(lua);
}

void LuaState::Stop(lua_State* lua, const std::string& why) {
  lua_Debug where;
  if (lua_getstack(lua, 0, &where) != 0 && lua_getinfo(lua, "Sl", &where) != 0 && where.currentline > 0) {
    stopped = std::string(where.short_src) + ":" + std::to_string(where.currentline) + ": ";
  }
  stopped += why;
}

// The message handler of every call: an error without a place gets the place of the innermost line
// of the script that was running, or the script's name; an error object that is not a string
// becomes a string saying what it was (turning it into text could run the script's metamethods).
int LuaState::PlaceError(lua_State* lua) {
  const bool text = lua_type(lua, 1) == LUA_TSTRING;
  if (text && HasPlace(lua_tostring(lua, 1))) return 1;
  char place[LUA_IDSIZE + 32];
  if (!ScriptPlace(lua, place, sizeof place)) std::snprintf(place, sizeof place, "%.*s: ", LUA_IDSIZE, Of(lua).name.c_str());
  if (text) {
    lua_pushfstring(lua, "%s%s", place, lua_tostring(lua, 1));
  } else {
    lua_pushfstring(lua, "%serror object is a %s value", place, luaL_typename(lua, 1));
  }
  return 1;
}

// string.rep, refused before a byte is copied when its result would break the string rule, and at
// once for nothing repeated, which the library's own would count down in C.
int LuaState::Repeat(lua_State* lua) {
  std::size_t length = 0;
  std::size_t separatorLength = 0;
  luaL_checklstring(lua, 1, &length);
  const lua_Integer count = luaL_checkinteger(lua, 2);
  luaL_optlstring(lua, 3, "", &separatorLength);
  if (count <= 0 || length + separatorLength == 0) {
    lua_pushliteral(lua, "");
    return 1;
  }
  const double total = static_cast<double>(length) * static_cast<double>(count) +
                       static_cast<double>(separatorLength) * static_cast<double>(count - 1);
  if (total > static_cast<double>(kLongestString)) {
    LuaState& self = Of(lua);
    luaL_where(lua, 1);
    self.refusedAt = lua_tostring(lua, -1);
    self.allocationRefused = kLongRepeat;
    return luaL_error(lua, "%s", kLongRepeat);
  }
  lua_settop(lua, 3);
  lua_pushvalue(lua, lua_upvalueindex(1));
  lua_insert(lua, 1);
  lua_call(lua, 3, 1);
  return 1;
}

// math.random on the battle's own generator: the same seed, the same draws. Ranges wider than 15
// bits take two draws.
int LuaState::Random(lua_State* lua) {
  platform::Random& generator = Of(lua).random;
  lua_Integer low = 1;
  lua_Integer high = 1;
  switch (lua_gettop(lua)) {
    case 0: lua_pushnumber(lua, generator.Rand() / (platform::kRandMax + 1.0)); return 1;
    case 1:
      high = luaL_checkinteger(lua, 1);
      if (high == 0) return AllBitsRandom(lua, generator);
      break;
    case 2:
      low = luaL_checkinteger(lua, 1);
      high = luaL_checkinteger(lua, 2);
      break;
    default: return luaL_error(lua, "wrong number of arguments");
  }
  luaL_argcheck(lua, low <= high, lua_gettop(lua), "interval is empty");
  const auto span = static_cast<lua_Unsigned>(high) - static_cast<lua_Unsigned>(low);
  luaL_argcheck(lua, span < (lua_Unsigned{1} << 30), lua_gettop(lua), "interval is too large");
  auto draw = static_cast<lua_Unsigned>(generator.Rand());
  if (span > static_cast<lua_Unsigned>(platform::kRandMax)) draw = (draw << 15) | static_cast<lua_Unsigned>(generator.Rand());
  lua_pushinteger(lua, low + static_cast<lua_Integer>(draw % (span + 1)));
  return 1;
}

void LuaState::StartCall() {
  stopped.clear();
  interrupted = false;
  allocationRefused = nullptr;
  refusedAt.clear();
  refusedLastTime = false;
  allocatedThisCall = 0;
  spent = 0;
}

bool LuaState::LoadText(std::string_view text, const std::string& chunkName, std::string& error) {
  name = chunkName;
  StartCall();
  const std::string source = "@" + chunkName;
  const int status = luaL_loadbufferx(state, text.data(), text.size(), source.c_str(), "t");
  if (status == LUA_OK) return true;
  error = ErrorText(status);
  lua_pop(state, 1);
  return false;
}

bool LuaState::Call(int nargs, int nresults, std::string& error) {
  StartCall();
  if (Interrupt::Requested()) {
    lua_pop(state, nargs + 1);
    interrupted = true;
    error = OneLine(name + ": " + kInterruptedText);
    return false;
  }
  const int handler = lua_gettop(state) - nargs;
  lua_pushcfunction(state, &LuaState::PlaceError);
  lua_insert(state, handler);
  ArmHook(state, std::min(kSlice, budget));
  const int status = lua_pcall(state, nargs, nresults, handler);
  lua_sethook(state, nullptr, 0, 0);
  lua_remove(state, handler);
  if (status == LUA_OK && stopped.empty() && allocationRefused == nullptr) return true;
  if (status == LUA_OK) {
    lua_pop(state, nresults);
  } else {
    error = ErrorText(status);
    lua_pop(state, 1);
  }
  if (allocationRefused != nullptr) error = Refusal();
  if (!stopped.empty()) error = OneLine(stopped);
  return false;
}

std::string LuaState::Refusal() const {
  return OneLine((refusedAt.empty() ? name + ": " : refusedAt) + allocationRefused);
}

// Only a string is read as it is: turning anything else into text could run the script's own
// metamethods, outside the budget.
std::string LuaState::ErrorText(int status) {
  if (status == LUA_ERRMEM && allocationRefused != nullptr) return Refusal();
  if (status == LUA_ERRMEM) return OneLine(name + ": " + ceilingText);
  if (lua_type(state, -1) != LUA_TSTRING) return OneLine(name + ": error object is a " + luaL_typename(state, -1) + " value");
  const char* text = lua_tostring(state, -1);
  return OneLine(HasPlace(text) ? std::string(text) : name + ": " + text);
}
