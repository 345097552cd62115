// A General's strategy written in Lua: one sandboxed state per General and battle, asked where each
// squad that reports ready marches, and when the General goes to fight. The first thing it does
// wrong (an error, an overrun budget or memory ceiling, a nonsense answer) ends its decisions.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "strategy/LuaState.h"
#include "units/Commander.h"

struct lua_State;
class BattleContext;
class BattleView;
class GameObject;

class StrategyScript : public Commander {
 public:
  // Scripts are short; anything larger is refused before it is read.
  static constexpr long long kLargestFileBytes = 256 * 1024;

  // Reads, compiles and runs the file's top level in a sandbox of its own and checks that it
  // defines on_squad_ready: what a run checks before its first battle. On failure error is one line,
  // "FILE:LINE: message" or "FILE: message".
  static bool Check(const std::string& path, std::string& error);

  // A script for general's side of battle, drawing from the battle's generator; Load before use.
  StrategyScript(BattleContext& battle, int team);
  ~StrategyScript() override;
  StrategyScript(const StrategyScript&) = delete;
  StrategyScript& operator=(const StrategyScript&) = delete;

  // Reads the file and loads it; on failure the script has failed with error as its Failure(),
  // unless an interrupt stopped its top level.
  bool Load(const std::string& path, std::string& error);
  // The same for a script's text; name stands for its file in messages.
  bool LoadSource(std::string_view text, const std::string& name, std::string& error);

  // The order for the squad of leader, which reported ready to general.
  SquadOrder OnSquadReady(const GameObject& general, const GameObject& leader) override;
  // Whether the script has its own rule for when the General fights.
  bool DecidesWhenToFight() const override { return fightsLine > 0; }
  // False when the script failed; fights says whether the General goes for the enemy General now.
  bool GeneralFights(const GameObject& general, bool& fights) override;

  bool Failed() const override { return !failure.empty(); }
  const std::string& Failure() const override { return failure; }
  // What the script decided last, as the unit inspector shows it.
  const std::string& LastDecision() const override { return lastDecision; }
  const std::string& Path() const { return path; }
  int Team() const { return team; }

 private:
  // Compiles the text and runs its top level on state; notes where the entry points are defined.
  static bool Prepare(LuaState& state, std::string_view text, const std::string& name, int& orderLine, int& fightLine,
                      std::string& error);
  bool Fail(const std::string& why);
  bool WasInterrupted();
  std::string Where(int line) const;
  SquadOrder ReadOrder(const GameObject& leader);

  BattleContext& battle;
  int team;
  std::string path;
  std::unique_ptr<LuaState> state;
  // The lines that define on_squad_ready and general_fights (0: no general_fights).
  int orderLine = 0;
  int fightsLine = 0;
  std::string failure;
  bool interrupted = false;
  std::string lastDecision = "none yet";
};
