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
  // Instructions between two looks at the budget and at an interrupt (Ctrl-C, SIGTERM).
  static constexpr int kSlice = 10000;
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
  // nresults (0 or more) results. On failure the stack is as before the function was pushed, and
  // error is one line "FILE:LINE: message" ("FILE: message" where no line is known). A budget
  // overrun or an interrupt fails the call even when the script caught it.
  bool Call(int nargs, int nresults, std::string& error);
  // Whether the last call was stopped by an interrupt: no fault of the script's.
  bool Interrupted() const { return interrupted; }

  // The state's owner, from inside a function Lua calls back.
  static LuaState& Of(lua_State* lua);

  std::size_t MemoryInUse() const { return inUse; }
  int InstructionBudget() const { return budget; }
  std::size_t MemoryCeiling() const { return ceiling; }

  // What the host lends the script's callbacks for the call under way; null between calls.
  void* context = nullptr;

 private:
  static constexpr const char* kInterruptedText = "stopped by an interrupt (Ctrl-C or SIGTERM)";

  static void* Allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize);
  static void OnCount(lua_State* lua, lua_Debug* record);
  static int PlaceError(lua_State* lua);
  static int Repeat(lua_State* lua);
  static int Random(lua_State* lua);
  void OpenSandbox();
  void StartCall();
  void ArmHook(lua_State* lua, int instructions);
  void Stop(lua_State* lua, const std::string& why);
  std::string ErrorText(int status);
  std::string Refusal() const;

  platform::Random& random;
  std::size_t ceiling;
  std::size_t inUse = 0;
  int budget;
  // Instructions the running call has run, counted at each look, and the count to the next look.
  int spent = 0;
  int slice = 1;
  // Set once the running call has used up its budget or was interrupted; names where it stopped.
  std::string stopped;
  bool interrupted = false;
  // Set when the allocator refused a string too long or the call's allocation budget, or
  // string.rep a result too long; refusedAt is the script's place when known.
  const char* allocationRefused = nullptr;
  std::string refusedAt;
  bool refusedLastTime = false;
  std::string ceilingText;
  std::size_t allocatedThisCall = 0;
  // The file the loaded chunk came from, for errors that carry no place of their own.
  std::string name = "script";
  lua_State* state = nullptr;
};
