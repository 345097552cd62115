// The sandbox strategy scripts run in: what is missing from it, and the budget, the ceiling and
// the random draws that bound and replay a script.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <climits>
#include <cmath>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Interrupt.h"

#include "platform/Random.h"
#include "strategy/LuaState.h"

namespace {
// Runs text as a chunk; its first result, as a string, goes to result.
bool RunChunk(LuaState& state, const std::string& text, std::string& result) {
  if (!state.LoadText(text, "test.lua", result) || !state.Call(0, 1, result)) return false;
  const char* value = lua_tostring(state.Raw(), -1);
  result = value != nullptr ? value : "";
  lua_pop(state.Raw(), 1);
  return true;
}
}  // namespace

// A sandbox with the default budget and ceiling, drawing from a generator of its own.
class LuaSandbox : public testing::Test {
 protected:
  platform::Random random;
  LuaState state{random};
  std::string result;
  std::string error;

  // The error of a chunk that must fail; one that runs fails the test, naming the chunk.
  std::string ErrorOf(const std::string& chunk) {
    std::string message;
    EXPECT_FALSE(RunChunk(state, chunk, message)) << chunk;
    return message;
  }
};

TEST_F(LuaSandbox, NoLibraryReachesFilesTheClockOrTheCollector) {
  const char* absent[] = {"io",          "os",          "package",      "debug",         "require",
                          "dofile",      "loadfile",    "print",        "collectgarbage", "warn",
                          "string.dump", "string.find", "string.match", "string.gmatch", "string.gsub",
                          "string.pack", "string.unpack", "string.packsize", "('').find",  "math.randomseed"};
  for (const char* name : absent) {
    ASSERT_TRUE(RunChunk(state, std::string("return tostring(") + name + " == nil)", result)) << name << ": " << result;
    EXPECT_EQ(result, "true") << name;
  }
  ASSERT_TRUE(RunChunk(state, "return tostring(#string.rep('ab', 3) + math.max(1, 2) + #table.concat({'x'}))", result));
  EXPECT_EQ(result, "9");
}

TEST_F(LuaSandbox, LoadTakesTextButNeverACompiledChunk) {
  ASSERT_TRUE(RunChunk(state, "return load('return 40 + 2')()", result)) << result;
  EXPECT_EQ(result, "42");
  ASSERT_TRUE(RunChunk(state, "local f, err = load('\\27Lua', 'x', 'b') return err", result)) << result;
  EXPECT_NE(result.find("attempt to load a binary chunk"), std::string::npos) << result;
}

TEST_F(LuaSandbox, FinalizersAreRefused) {
  EXPECT_FALSE(RunChunk(state, "setmetatable({}, {__gc = function() while true do end end})", error));
  EXPECT_NE(error.find("finalizers (__gc) are not allowed"), std::string::npos) << error;
}

TEST_F(LuaSandbox, AnEndlessLoopStopsAtTheBudgetEvenUnderPcall) {
  EXPECT_EQ(ErrorOf("while true do\n  pcall(function() while true do end end)\nend"),
            "test.lua:2: budget of 1000000 instructions exceeded");
  // The next call has a budget of its own.
  ASSERT_TRUE(RunChunk(state, "return 'fine'", result)) << result;
  EXPECT_EQ(result, "fine");
}

// A message handler or a close method runs while an error unwinds, where Lua's own xpcall would
// run the handler with no budget: each is stopped as any other code.
TEST_F(LuaSandbox, TheBudgetAndTheCeilingHoldInMessageHandlersAndCloseMethods) {
  EXPECT_EQ(ErrorOf("xpcall(error, function(m) while true do end end)"),
            "test.lua:1: budget of 1000000 instructions exceeded");
  EXPECT_FALSE(RunChunk(state, "do\n  local x <close> = setmetatable({}, {__close = function() while true do end end})\n"
                               "  error('first')\nend", error));
  EXPECT_EQ(error, "test.lua:2: budget of 1000000 instructions exceeded");
  EXPECT_EQ(ErrorOf("xpcall(error, function(m) local t = {} while true do t[#t + 1] = {} end end)"),
            "test.lua: memory ceiling of 8 MiB exceeded");
  ASSERT_TRUE(RunChunk(state, "return select(2, xpcall(error, function(m) return 'handled ' .. m end, 'boom', 0))", result));
  EXPECT_EQ(result, "handled boom");
}

// The handler's own error is what xpcall returns, as a failed pcall's would be; the script goes on.
TEST_F(LuaSandbox, AnXpcallWhoseHandlerRaisesReturnsTheHandlersError) {
  ASSERT_TRUE(RunChunk(state,
                       "local ok, why = xpcall(error, function(m) error('handler broke on ' .. m, 0) end, 'boom', 0)\n"
                       "return tostring(ok) .. ': ' .. why",
                       result))
      << result;
  EXPECT_EQ(result, "false: handler broke on boom");
}

namespace {
int NewBlock(lua_State* lua) {
  lua_newuserdatauv(lua, static_cast<std::size_t>(luaL_checkinteger(lua, 1)), 0);
  return 1;
}

int MemoryInUse(lua_State* lua) {
  lua_pushinteger(lua, static_cast<lua_Integer>(LuaState::Of(lua).MemoryInUse()));
  return 1;
}
}  // namespace

// Lua collects its garbage when an allocation is refused and asks again: a retry that fits is no
// overrun, however often it happens, while a block that never fits still is.
TEST_F(LuaSandbox, ARefusalThatACollectionMendsLeavesTheCeilingAsItWas) {
  LuaState small(random, 1u << 20);
  lua_register(small.Raw(), "block", NewBlock);
  lua_register(small.Raw(), "in_use", MemoryInUse);
  const char* refusedThenRetried = R"(
    for round = 1, 3 do
      local junk = {}
      while in_use() < 600 * 1024 do junk[#junk + 1] = {round} end
      junk = nil
      local kept = block(512 * 1024)
    end
    return 'fine')";
  ASSERT_TRUE(RunChunk(small, refusedThenRetried, result)) << result;
  EXPECT_EQ(result, "fine");
  EXPECT_FALSE(RunChunk(small, "return block(2 * 1024 * 1024)", error));
  EXPECT_NE(error.find("memory ceiling of 1 MiB exceeded"), std::string::npos) << error;
}

namespace {
int RaiseInterrupt(lua_State*) {
  std::raise(SIGINT);
  return 0;
}
}  // namespace

// However long the budget, an interrupt stops the call at the next look, and no pcall holds it.
TEST_F(LuaSandbox, AnInterruptStopsAScriptThatWouldLoopOnAndOn) {
  Interrupt::Watch();
  LuaState patient(random, LuaState::kMemoryCeiling, 100 * LuaState::kSlice);
  lua_register(patient.Raw(), "interrupt", RaiseInterrupt);
  EXPECT_FALSE(RunChunk(patient, "interrupt()\nn = 0\nwhile true do n = n + 1; pcall(error) end", error));
  Interrupt::Clear();
  EXPECT_EQ(error, "test.lua:3: stopped by an interrupt (Ctrl-C or SIGTERM)");
  EXPECT_TRUE(patient.Interrupted());
  lua_getglobal(patient.Raw(), "n");
  EXPECT_LT(lua_tointeger(patient.Raw(), -1), LuaState::kSlice / 4) << "the loop ran on after the interrupt";
  lua_pop(patient.Raw(), 1);
  ASSERT_TRUE(RunChunk(patient, "return 'fine'", result)) << result;
  EXPECT_FALSE(patient.Interrupted());
}

// Errors that Lua gives no place, or that are no text, still name the script and the line.
TEST_F(LuaSandbox, EveryErrorNamesTheScriptAndWhereKnownTheLine) {
  EXPECT_EQ(ErrorOf("\nerror({})"), "test.lua:2: error object is a table value");
  EXPECT_EQ(ErrorOf("local function f() return tostring(setmetatable({}, {__tostring = f})) end\nf()"),
            "test.lua:1: C stack overflow");
}

TEST_F(LuaSandbox, GrowingPastTheMemoryCeilingFailsTheCall) {
  EXPECT_EQ(ErrorOf("local t = {} for i = 1, 1e6 do t[i] = string.rep('x', 1000) .. i end"),
            "test.lua: memory ceiling of 8 MiB exceeded");
  EXPECT_LE(state.MemoryInUse(), LuaState::kMemoryCeiling);
}

TEST_F(LuaSandbox, MathRandomDrawsFromTheBattlesGenerator) {
  platform::Random scripted(99);
  platform::Random expected(99);
  LuaState seeded(scripted);
  ASSERT_TRUE(RunChunk(seeded, "return math.random(0, 32767) .. ' ' .. math.random(0, 32767)", result)) << result;
  const int first = expected.Rand();
  EXPECT_EQ(result, std::to_string(first) + " " + std::to_string(expected.Rand()));
  // math.random(0): all 64 bits drawn, five draws of 15 bits.
  ASSERT_TRUE(RunChunk(seeded, "return math.random(0)", result)) << result;
  std::uint64_t bits = 0;
  for (int draw = 0; draw < 5; ++draw) bits = (bits << 15) | static_cast<std::uint64_t>(expected.Rand());
  EXPECT_EQ(result, std::to_string(static_cast<std::int64_t>(bits)));
}

// A script's math.tan is the tangent in every quadrant, below and above zero.
TEST_F(LuaSandbox, MathTanIsTheTangentInEveryQuadrant) {
  for (const double x : {0.5, 2.0, 3.6, 5.0, -0.5, -2.0, -3.6, -5.0}) {
    ASSERT_TRUE(RunChunk(state, "return string.format('%.17g', math.tan(" + std::to_string(x) + "))", result))
        << result;
    const double tan = std::tan(std::stod(std::to_string(x)));
    EXPECT_NEAR(std::stod(result), tan, std::fabs(tan) * 1e-14) << x;
  }
}

// Library functions that would copy, scan or move without limit inside one C call are bounded or
// written in Lua, so that their work counts against the budget; they still work as documented.
TEST_F(LuaSandbox, LibraryWorkInsideOneCallIsBounded) {
  std::ifstream library("tests/strategy/table_library.lua");
  const std::string checks((std::istreambuf_iterator<char>(library)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(RunChunk(state, checks, result)) << result;
  EXPECT_EQ(result, "ok");
  EXPECT_EQ(ErrorOf("return #('x' .. string.rep('x', 16 * 1024) .. ('x'):rep(64))"),
            "test.lua: a string longer than 16 KiB was refused");
  ASSERT_TRUE(RunChunk(state, "return #string.rep('ab', 8192) + #string.rep('', 1e15)", result));
  EXPECT_EQ(result, "16384");
  EXPECT_EQ(ErrorOf("pcall(string.rep, 'x', 16 * 1024 + 1)\nreturn 'carried on'"),
            "test.lua: string.rep would make a string longer than 16 KiB, the longest allowed");
  EXPECT_EQ(ErrorOf("\nreturn string.rep('x', 1e9)"),
            "test.lua:2: string.rep would make a string longer than 16 KiB, the longest allowed");
  EXPECT_EQ(ErrorOf("local s for i = 1, 1e9 do s = string.rep('x', 8000) .. i end"),
            "test.lua: more than 64 MiB were allocated in one call");
  EXPECT_FALSE(RunChunk(state, "return table.concat({}, '', 1, 1e6)", result));
  EXPECT_NE(result.find("at most 4096 values at once"), std::string::npos) << result;
}
