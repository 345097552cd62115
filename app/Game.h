// The world: owns the subsystems, holds the user's switches, runs the battle rules and keeps the
// statistics shown on the HUD.
#pragma once

#include <memory>

#include "app/Timer.h"
#include "objects/GameObjectManager.h"
#include "statemachine/MessageRouter.h"
#include "statemachine/TraceLog.h"

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

  bool dynamicTerrain = true;
  bool traceEnabled = false;
  bool paused = false;
  Graphics* graphics = nullptr;
  Input* input = nullptr;

  std::unique_ptr<Timer> timer;
  std::unique_ptr<MessageRouter> router;
  std::unique_ptr<TraceLog> traceLog;
  std::unique_ptr<GameObjectManager> objects;

  int redWins = 0;
  int blueWins = 0;
  int stateChanges = 0;
  int casualties = 0;
  int archerKills = 0;
  int soldierKills = 0;
  int berserkerKills = 0;
  int leaderKills = 0;
  int generalKills = 0;
};

// Whether a dying unit leaves a blood splat; true at start, toggled by the B key.
extern bool bloodEnabled;
