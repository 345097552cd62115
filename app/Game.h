// The world: owns the subsystems, holds the user's switches, runs the battle rules and keeps the
// statistics shown on the HUD.
#pragma once

#include <memory>
#include <string>

#include "app/Timer.h"
#include "objects/GameObjectManager.h"
#include "render/Lighting.h"
#include "render/TextureManager.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/TraceLog.h"
#include "terrain/PathFinder.h"
#include "terrain/Terrain.h"

class Graphics;
class Input;

class Game {
 public:
  // graphics and input may be null: the headless runner has neither, and nothing is drawn.
  Game(Graphics* graphicsSystem, Input* inputSystem);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The process-wide game; null until the entry point stores it, and every callback does
  // nothing while it is null.
  static Game* Instance();
  static void SetInstance(Game* game);

  void CountStateChange();
  // One step of the world: tick, input, simulation (unless paused), statistics, render; the
  // three stages are timed on the HUD. Without graphics and input only the simulation runs, in
  // the same order.
  void Frame();
  void PostStatistics();

  bool dynamicTerrain = true;
  bool traceEnabled = false;
  bool paused = false;
  Graphics* graphics = nullptr;
  Input* input = nullptr;

  Lighting scene;
  Terrain terrain;
  std::unique_ptr<Timer> timer;
  std::unique_ptr<MessageRouter> router;
  std::unique_ptr<TraceLog> traceLog;
  std::unique_ptr<GameObjectManager> objects;
  // Null without graphics: there is no GL context to load textures into.
  std::unique_ptr<TextureManager> textures;
  std::unique_ptr<PathFinder> pathFinder;

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

  void BuildTerrain();
  void SetUpLighting();
  void RunSimulationStep();
  // Lines go nowhere without graphics.
  void PostHudLine(const std::string& text, const std::string& category);
};

// Whether a dying unit leaves a blood splat; true at start, toggled by the B key.
extern bool bloodEnabled;
