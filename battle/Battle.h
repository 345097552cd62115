// One battlefield and everything its battles need: the parts its units share (the clock, the random
// generator, the message router, the trace log, the objects, the terrain, the path finder and the
// switches), and above them the rules: the unit factory, the duels and the statistics. Battles
// follow one another on it: a fallen General ends one and starts the next. Nothing of it is shared,
// so battlefields may run side by side on threads.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "battle/BattleEndWatcher.h"
#include "battle/Duel.h"
#include "battle/Scenario.h"
#include "objects/BattleContext.h"
#include "objects/UnitType.h"
#include "units/BattleRules.h"
#include "units/UnitFactory.h"

class Commander;
class StateArchive;

// A side whose strategy script failed gives up its battle: which side, in which battle, and why.
struct Forfeit {
  int battle = 0;
  int team = -1;  // -1: none
  std::string reason;
};

class Battle : public BattleRules, public BattleContext {
 public:
  // Loads and scales the scenario's height map (a missing or unreadable one leaves the ground
  // empty, and the battles run without it) and seeds the random generator.
  explicit Battle(Scenario battleSetup = Scenario{}, unsigned seed = 1);
  ~Battle() override;
  Battle(const Battle&) = delete;
  Battle& operator=(const Battle&) = delete;

  // A battlefield that plays on exactly as this one from here: the same state to the last bit,
  // its own objects, queue and ground. Between steps only. Null while a strategy script leads a
  // side (a Lua state cannot be copied) or when an object's machine cannot be copied.
  std::unique_ptr<Battle> Copy() const;

  // Every field of the battlefield's state, its random generator and clock included, in one
  // order: what the fingerprint hashes and a battle file holds. Read, it fills a battlefield just
  // built on the same scenario, before any battle starts. A strategy's own state is not walked.
  void Walk(StateArchive& archive);

  // The two Generals; each raises its whole army before its creation returns. A side whose
  // scenario names a strategy script gets a fresh copy of it, so nothing carries over from the
  // battle before.
  void StartBattle();
  // Scores the battle lost by the dead General's team, clears the field and starts the next.
  void EndBattle(int deadGeneralTeam) override;
  // A new battle that changes no tally.
  void ResetBattle();
  // Told of every battle that ends from now on (not of a reset); null for none. Not copied with the battle.
  void WatchEnds(BattleEndWatcher* watcher) { endWatcher = watcher; }
  void CountKill(int killerType);
  void ForfeitBattle(int team, const std::string& reason) override;
  Commander* Strategy(int team) const override;
  // True while a strategy script or a program's General leads a side: its own state lies outside
  // the battle's walk.
  bool LedByStrategy() const { return strategies[0] != nullptr || strategies[1] != nullptr; }
  // True while a side's leader keeps a state of its own that no battle file could hold.
  bool LeaderKeepsState() const;
  // A battle read from a file led again on side (0 red, 1 blue) by what led it when it was saved.
  void LeadAgain(std::size_t side, std::unique_ptr<Commander> leader);
  void Engage(GameObject* a, GameObject* b) override;
  UnitFactory& Factory() override { return factory; }
  int Squads(int team) const override;
  int Followers(int team) const override;
  Vector3 SquadPlace(int team, int index, const Vector3& general) const override;
  int SquadFormation(int team) const override;
  float BattleStartedAt() const override { return battleStartedAt; }
  // The running battle's steps, the one running included: hand orders are timed by it.
  long long StepOfBattle() const { return stepOfBattle; }
  void UpdateDuels(float dt);

  // The attacker's chance of winning: the type and formation advantages and the height term.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender, const DuelTables& tables);
  // The same with the built-in tables.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender);

  // The follower type of the team's next squad: its side's own types in turn, or else the next
  // of the cycle that every side without types of its own shares, which runs on from battle to
  // battle. Counts the squad and notes its type.
  int TakeMemberType(int team) override;
  // The type the shared cycle gives next.
  int PeekNextMemberType() const;
  // The follower types of the team's squads of this battle in the order they were raised: what a
  // battle's report names as its match-up.
  const std::vector<int>& SquadTypes(int team) const;

  // One step of the world on the clock as it stands: objects, duels, due messages. Returns the
  // step's length: the frame's delta, of at most kLongestStep.
  float RunSimulationStep();

  int StateChanges() const { return traceLog->stateChanges; }
  int Kills(int killerType) const { return kills[static_cast<std::size_t>(killerType)]; }
  // The last ended battle's fingerprint (BattleFingerprint), taken as it ended (its General fell,
  // or the user reset it), before its field was cleared: the last moment it could be read whole.
  std::uint64_t EndFingerprint() const { return endFingerprint; }
  // The last ended battle's forfeit, kept with its fingerprint and match-up as it ended (team -1:
  // it ended otherwise): the next battle has started by the time anyone can read them.
  const Forfeit& LastForfeit() const { return lastForfeit; }
  // The last ended battle's SquadTypes.
  const std::vector<int>& EndSquadTypes(int team) const;
  // Where the shared cycle of follower types stands.
  int NextMemberTypeIndex() const { return nextMemberTypeIndex; }

  // A long frame (a stall, a dragged window) advances the world by at most this many seconds.
  static constexpr float kLongestStep = 0.2f;

  // What every battle of this battlefield is made of.
  const Scenario scenario;

  // The running duels, oldest first.
  const std::vector<Duel>& Duels() const { return duels; }
  // How many battles this battlefield has started, the running one included.
  int BattlesStarted() const { return battlesStarted; }
  int RedWins() const { return redWins; }
  int BlueWins() const { return blueWins; }
  // The running battle's dead, of every type.
  int Casualties() const { return casualties; }
  const std::array<int, UnitType::kFighters>& KillsByType() const { return kills; }

 private:
  struct CopyTag {};
  // Everything but the objects, which Copy adds.
  Battle(const Battle& original, CopyTag);

  UnitFactory factory;
  std::vector<Duel> duels;

  int battlesStarted = 0;
  int redWins = 0;
  int blueWins = 0;
  int casualties = 0;
  // Kills by the killer's unit type, from the first battle on.
  std::array<int, UnitType::kFighters> kills{};
  std::uint64_t endFingerprint = 0;
  // When the running battle started, on the timer's clock.
  float battleStartedAt = 0.0f;
  long long stepOfBattle = 0;
  Forfeit lastForfeit;
  std::array<std::vector<int>, 2> endSquadTypes;
  int nextMemberTypeIndex = 0;
  std::array<int, 2> squadsRaised{};
  std::array<std::vector<int>, 2> squadTypes;
  std::array<std::unique_ptr<Commander>, 2> strategies;
  Forfeit pendingForfeit;
  BattleEndWatcher* endWatcher = nullptr;

  void LoadStrategies();
  Vector3 GeneralPlace(int team) const;
  void WalkCounters(StateArchive& archive);
  void WalkDuels(StateArchive& archive);

  void ResolveDuel(const Duel& duel);
  void LeaveCombat(GameObject& unit);
  void Kill(GameObject& winner, GameObject& loser);
};
