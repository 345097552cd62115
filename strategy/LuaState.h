// A Lua 5.4 state for untrusted scripts: only the harmless libraries, a memory ceiling kept by its
// own allocator, an instruction budget for every call into it, and math.random on a given generator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct lua_State;
struct lua_Debug;

namespace platform {
class Random;
}

class LuaState {
 public:
  // Enough for any sensible strategy many times over; a script that builds more is broken or hostile.
  static constexpr std::size_t kMemoryCeiling = 8u << 20;
  // Lua VM instructions per call: about 10 ms of work, where a strategy needs a few thousand.
  static constexpr int kInstructionBudget = 1000000;
  // Comparing, hashing or scanning a string is one instruction whatever its length: a cap on the
  // length keeps the work of every instruction small.
  static constexpr std::size_t kLongestString = 16 * 1024;
  // Library functions copy bytes without counting instructions: a call may allocate this much in
  // all, however much of it is collected again.
  static constexpr std::size_t kAllocationBudget = 64u << 20;
  // Error texts are cut to this many bytes: a script's error message is its own to make long.
  static constexpr std::size_t kLongestError = 300;

  // random is what math.random draws from; it must outlive the state.
  explicit LuaState(platform::Random& random, std::size_t memoryCeiling = kMemoryCeiling,
                    int instructionBudget = kInstructionBudget);
  ~LuaState();
  LuaState(const LuaState&) = delete;
  LuaState& operator=(const LuaState&) = delete;

  // False when not even the libraries fit under the ceiling.
  bool Opened() const { return state != nullptr; }
  lua_State* Raw() const { return state; }

  // Compiles text (never bytecode) and pushes the chunk; chunkName stands for the file in messages.
  bool LoadText(std::string_view text, const std::string& chunkName, std::string& error);
  // Calls the function under nargs arguments on the stack, protected and on a fresh budget, leaving
  // nresults results. On failure the stack is as before the function was pushed, and error is one
  // line "FILE:LINE: message". A budget overrun fails the call even when the script caught it.
  bool Call(int nargs, int nresults, std::string& error);

  // The state's owner, from inside a function Lua calls back.
  static LuaState& Of(lua_State* lua);

  std::size_t MemoryInUse() const { return inUse; }
  int InstructionBudget() const { return budget; }
  std::size_t MemoryCeiling() const { return ceiling; }

  // What the host lends the script's callbacks for the call under way; null between calls.
  void* context = nullptr;

 private:
  static void* Allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize);
  static void OnBudgetSpent(lua_State* lua, lua_Debug* record);
  static int Random(lua_State* lua);
  void OpenSandbox();
  std::string ErrorText(int status);

  platform::Random& random;
  std::size_t ceiling;
  std::size_t inUse = 0;
  int budget;
  // Set once the running call has used up its budget; its text names where it ran out.
  std::string budgetSpent;
  // Set when the allocator refused a string too long or the call's allocation budget.
  const char* allocationRefused = nullptr;
  std::size_t allocatedThisCall = 0;
  // The file the loaded chunk came from, for errors that carry no place of their own.
  std::string name = "script";
  lua_State* state = nullptr;
};
