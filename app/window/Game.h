// The window's world: the battlefield, and around it what the window adds: the graphics and
// input it was given, the lighting, the textures, the unit inspector, the pace of the steps and
// the switches the keys turn. Runs the frame and posts the statistics shown on the HUD.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "battle/Battle.h"
#include "battle/Scenario.h"
#include "render/Graphics.h"
#include "render/Lighting.h"
#include "render/TextureManager.h"

class BattleRecorder;
class BattleScrubber;
class BattleTimeline;
class Input;
class SimulationPace;
class UnitInspector;

class Game {
 public:
  // graphics and input may be null, and then nothing is drawn and no key is read; seed seeds the
  // battle's random generator.
  Game(Graphics* graphicsSystem, Input* inputSystem, Scenario battleSetup = Scenario{}, unsigned seed = 1);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // The two Generals of the first battle.
  void StartBattle();
  // A new battle that changes no tally.
  void ResetBattle();
  // Before the process ends: the spare battlefield's thread must not run on while statics go.
  void StopBackgroundWork();
  // The user ends the program: background work stops and onQuit has its say.
  void Quit();
  void SwitchBlood();
  // Writes the battle on view to battle-SEED-SECOND.battle in the working folder, which
  // battlesim-headless --load plays on; says where, or why not, on standard error.
  void SaveBattle() const;

  // One step of the world: tick, input, simulation (unless paused), statistics, render; the
  // three stages are timed on the HUD. Without graphics and input only the simulation runs, in
  // the same order.
  void Frame();
  // One step of the battle on the clock as it stands, followed by the timeline.
  void RunSimulationStep();
  // The same with the clock ticked to its step already, followed by the recorder and the
  // scrubber: every fixed step of the window runs here.
  void RunRecordedStep(double stepMs);
  // The user's jumps through the battle on view. Without a scrubber (no fixed steps) they only
  // make the panel say what they need.
  void ScrubBy(double seconds);
  void ScrubToStart();
  // A click at x, y from the window's top left: true when it fell on the chart and jumped.
  bool ScrubAtChart(int x, int y);
  void PostStatistics();
  // Draws the frame (or only clears, without input to place the camera) and swaps.
  void Render(const Graphics::StepBesideTerrain* beside = nullptr);
  // Whether this frame's step may run beside the terrain's drawing.
  bool CanStepBesideTerrain() const;

  bool dynamicTerrain = true;
  bool paused = false;
  // The window's step runs on a second core while GL takes in the terrain, where the picture
  // cannot tell; off, every frame steps first and draws after, as the tests compare.
  bool stepBesideTerrain = true;
  Graphics* graphics = nullptr;
  Input* input = nullptr;
  // The window's pacing of the simulation and its battle reports; null when the caller drives
  // the clock and reads the battles itself.
  SimulationPace* pace = nullptr;
  BattleRecorder* recorder = nullptr;
  // Follows the balance of the battle step by step; null when nobody reads it.
  BattleTimeline* timeline = nullptr;
  // Moves the view back and forth through the battle; null without fixed steps.
  BattleScrubber* scrubber = nullptr;
  // The seed the battle's random generator was seeded with, for the panel.
  unsigned seed = 0;
  // What the program says before it ends by a quit key or the window's close (the report's summary).
  std::function<void()> onQuit;
  // The first battle the user reset or switched the blood in, by the recorder's numbering: from it
  // on the battles are no longer the seed's own. 0 while the user has changed none.
  int firstChangedBattle = 0;

  Lighting scene;
  std::unique_ptr<Battle> battle;
  // Threads that step the battle, kept when a jump puts another copy of it on view.
  int stepThreads = 1;
  // Null without graphics: there is no GL context to load textures into.
  std::unique_ptr<TextureManager> textures;
  // The unit the user clicked; only with graphics.
  std::unique_ptr<UnitInspector> inspector;

 private:
  void SetUpLighting();
  void RunPacedSteps();
  void RunFrameSteps();
  void AfterFrameSteps();
  void PostBattleLines();
  void PostPlaybackLines();
  void PostSwitchLines();
  void PostSelectedLines();
  // Lines go nowhere without graphics.
  void PostHudLine(const std::string& text, const std::string& category);

  void NoteUserChange();

  // A jump key was pressed where jumps cannot be made.
  bool scrubAsked = false;
};
