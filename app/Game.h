// The world: owns the subsystems, holds the user's switches, runs the battle rules and keeps the
// statistics shown on the HUD.
#pragma once

#include <array>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "app/Duel.h"
#include "app/Scenario.h"
#include "app/Timer.h"
#include "objects/GameObjectManager.h"
#include "objects/UnitFactory.h"
#include "render/Lighting.h"
#include "render/TextureManager.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/TraceLog.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

class BattleRecorder;
class BattleTimeline;
class Graphics;
class Input;
class SimulationPace;
class UnitInspector;

class Game {
 public:
  // graphics and input may be null: the headless runner has neither, and nothing is drawn.
  Game(Graphics* graphicsSystem, Input* inputSystem, Scenario battleSetup = Scenario{});
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The process-wide game; null until the entry point stores it, and every callback does
  // nothing while it is null.
  static Game* Instance();
  static void SetInstance(Game* game);

  // The two Generals; each raises its whole army before its creation returns.
  void StartBattle();
  // Scores the battle lost by the dead General's team, clears the field and starts the next.
  void EndBattle(int deadGeneralTeam);
  // A new battle that changes no tally.
  void ResetBattle();
  void CountKill(int killerType);
  void CountStateChange();
  // Starts a duel; a or b may be null (failed lookups) or dying, and then nothing starts.
  void Engage(GameObject* a, GameObject* b);
  void UpdateDuels(float dt);

  // The attacker's chance of winning: the type and formation advantages and the height term.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender, const DuelTables& tables);
  // The same with the built-in tables.
  static float DuelThreshold(const GameObject& attacker, const GameObject& defender);

  // Counts a squad raised for the team in this battle; the count before it, from 0.
  int CountSquadRaised(int team);
  // The follower type of the team's squad raised last, and of all its squads of this battle in
  // the order they were raised: what a battle's report names as its match-up.
  void NoteSquadType(int team, int type);
  const std::vector<int>& SquadTypes(int team) const;

  // One step of the world: tick, input, simulation (unless paused), statistics, render; the
  // three stages are timed on the HUD. Without graphics and input only the simulation runs, in
  // the same order.
  void Frame();
  // One step of the world on the clock as it stands: objects, duels, due messages.
  void RunSimulationStep();
  void PostStatistics();
  // Whether this frame's step may run beside the terrain's drawing.
  bool CanStepBesideTerrain() const;

  bool dynamicTerrain = true;
  // Walking units paint the ground under them, which shows only on the window's dynamic
  // terrain. Without a window it is work nobody sees: a write to a scattered line of the colour
  // grid for every unit on every step, so the headless runner switches it off.
  bool paintFootsteps = true;
  bool traceEnabled = false;
  bool paused = false;
  // The window's step runs on a second core while GL takes in the terrain, where the picture
  // cannot tell; off, every frame steps first and draws after, as the tests compare.
  bool stepBesideTerrain = true;
  Graphics* graphics = nullptr;
  Input* input = nullptr;
  // The window's pacing of the simulation and its battle reports; null in the headless runner,
  // whose caller drives the clock and reads the battles itself.
  SimulationPace* pace = nullptr;
  BattleRecorder* recorder = nullptr;
  // Follows the balance of the battle step by step; null when nobody reads it.
  BattleTimeline* timeline = nullptr;
  // The seed the window's random generator was seeded with, for the panel.
  unsigned seed = 0;
  // What every battle of this game is made of.
  const Scenario scenario;

  Lighting scene;
  Terrain terrain;
  UnitFactory factory;
  std::unique_ptr<Timer> timer;
  std::unique_ptr<MessageRouter> router;
  std::unique_ptr<TraceLog> traceLog;
  std::unique_ptr<GameObjectManager> objects;
  // Null without graphics: there is no GL context to load textures into.
  std::unique_ptr<TextureManager> textures;
  std::list<Duel> duels;
  std::unique_ptr<PathFinder> pathFinder;
  // The unit the user clicked; only with graphics. After the trace log, which it listens to.
  std::unique_ptr<UnitInspector> inspector;

  int battlesStarted = 0;
  int redWins = 0;
  int blueWins = 0;
  int stateChanges = 0;
  int casualties = 0;
  int archerKills = 0;
  int soldierKills = 0;
  int berserkerKills = 0;
  int leaderKills = 0;
  int generalKills = 0;

 private:
  static constexpr float kLongestStep = 0.2f;

  std::array<int, 2> squadsRaised{};
  std::array<std::vector<int>, 2> squadTypes;

  void ResolveDuel(const Duel& duel);
  void LeaveCombat(GameObject& unit);
  void Kill(GameObject& winner, GameObject& loser);
  void BuildTerrain();
  void SetUpLighting();
  void RunPacedSteps();
  void RunFrameSteps();
  void AfterFrameSteps();
  void PostPlaybackLines();
  void PostSwitchLines();
  void PostSelectedLines();
  // Lines go nowhere without graphics.
  void PostHudLine(const std::string& text, const std::string& category);
};

// The object of that name in the current game, or null (also when there is no game).
GameObject* FindObjectNamed(const std::string& name);

// Whether a dying unit leaves a blood splat; true at start, toggled by the B key.
extern bool bloodEnabled;
