// One battlefield and everything its battles need: the clock, the random generator, the message
// router, the trace log, the objects, the unit factory, the terrain, the path finder, the duels,
// the statistics and the switches. Battles follow one another on it: a fallen General ends one
// and starts the next. Nothing of it is shared, so battlefields may run side by side on threads.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "battle/Duel.h"
#include "battle/Scenario.h"
#include "objects/GameObjectManager.h"
#include "objects/HandleSlots.h"
#include "objects/UnitFactory.h"
#include "objects/UnitType.h"
#include "platform/Random.h"
#include "platform/Timer.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/TraceLog.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

class Commander;

// A side whose strategy script failed gives up its battle: which side, in which battle, and why.
struct Forfeit {
  int battle = 0;
  int team = -1;  // -1: none
  std::string reason;
};

class Battle {
 public:
  // Loads and scales the scenario's height map (a missing or unreadable one leaves the ground
  // empty, and the battles run without it) and seeds the random generator.
  explicit Battle(Scenario battleSetup = Scenario{}, unsigned seed = 1);
  ~Battle();
  Battle(const Battle&) = delete;
  Battle& operator=(const Battle&) = delete;

  // A battlefield that plays on exactly as this one from here: the same state to the last bit,
  // its own objects, queue and ground. Between steps only. Null while a strategy script leads a
  // side (a Lua state cannot be copied) or when an object's machine cannot be copied.
  std::unique_ptr<Battle> Copy() const;

  // The two Generals; each raises its whole army before its creation returns. A side whose
  // scenario names a strategy script gets a fresh copy of it, so nothing carries over from the
  // battle before.
  void StartBattle();
  // Scores the battle lost by the dead General's team, clears the field and starts the next.
  void EndBattle(int deadGeneralTeam);
  // A new battle that changes no tally.
  void ResetBattle();
  void CountKill(int killerType);
  // The team gives up the running battle, which ends at the close of the step (the first forfeit
  // of a step is the one that counts): a General's handler may be on the stack when it is asked.
  void ForfeitBattle(int team, const std::string& reason);
  // Who leads the team's side in this battle (its strategy script); null for the built-in General.
  Commander* Strategy(int team) const;
  // Starts a duel; a or b may be null (failed lookups) or dying, and then nothing starts.
  void Engage(GameObject* a, GameObject* b);
  void UpdateDuels(float dt);

  // The attacker's chance of winning: the type and formation advantages and the height term.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender, const DuelTables& tables);
  // The same with the built-in tables.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender);

  // The follower type of the team's next squad: its side's own types in turn, or else the next
  // of the cycle that every side without types of its own shares, which runs on from battle to
  // battle. Counts the squad and notes its type.
  int TakeMemberType(int team);
  // The type the shared cycle gives next.
  int PeekNextMemberType() const;
  // The follower types of the team's squads of this battle in the order they were raised: what a
  // battle's report names as its match-up.
  const std::vector<int>& SquadTypes(int team) const;

  // One step of the world on the clock as it stands: objects, duels, due messages. Returns the
  // step's length: the frame's delta, of at most kLongestStep.
  float RunSimulationStep();

  // The object of that name, or null.
  GameObject* Find(const std::string& name) const { return objects ? objects->Find(name) : nullptr; }
  int StateChanges() const { return traceLog->stateChanges; }
  int Kills(int killerType) const { return kills[static_cast<std::size_t>(killerType)]; }

  // A long frame (a stall, a dragged window) advances the world by at most this many seconds.
  static constexpr float kLongestStep = 0.2f;

  // What every battle of this battlefield is made of.
  const Scenario scenario;

  // Whether a dying unit leaves a blood splat.
  bool bloodEnabled = true;
  // Walking units paint the ground under them, which shows only on the window's dynamic
  // terrain. Without a window it is work nobody sees: a write to a scattered line of the colour
  // grid for every unit on every step, so the headless runner switches it off.
  bool paintFootsteps = true;

  // The last ended battle's fingerprint (BattleFingerprint), taken as it ended (its General fell,
  // or the user reset it), before its field was cleared: the last moment it could be read whole.
  std::uint64_t endFingerprint = 0;

  platform::Random random;
  // Before the objects, which hold slots until they are destroyed.
  HandleSlots handleSlots;
  Timer timer;
  std::unique_ptr<TraceLog> traceLog;
  std::unique_ptr<MessageRouter> router;
  std::unique_ptr<GameObjectManager> objects;
  UnitFactory factory;
  Terrain terrain;
  std::unique_ptr<PathFinder> pathFinder;
  std::list<Duel> duels;

  int battlesStarted = 0;
  // When the running battle started, on the timer's clock.
  float battleStartedAt = 0.0f;
  // The last ended battle's forfeit, kept with its fingerprint and match-up as it ended (team -1:
  // it ended otherwise): the next battle has started by the time anyone can read them.
  Forfeit lastForfeit;
  std::array<std::vector<int>, 2> endSquadTypes;
  int redWins = 0;
  int blueWins = 0;
  int casualties = 0;
  // Kills by the killer's unit type, from the first battle on.
  std::array<int, UnitType::kFighters> kills{};
  // Where the shared cycle of follower types stands.
  int nextMemberTypeIndex = 0;

 private:
  struct CopyTag {};
  // Everything but the objects, which Copy adds.
  Battle(const Battle& original, CopyTag);

  std::array<int, 2> squadsRaised{};
  std::array<std::vector<int>, 2> squadTypes;
  std::array<std::unique_ptr<Commander>, 2> strategies;
  Forfeit pendingForfeit;

  void LoadStrategies();

  void ResolveDuel(const Duel& duel);
  void LeaveCombat(GameObject& unit);
  void Kill(GameObject& winner, GameObject& loser);
};
