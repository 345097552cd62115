// Construction of the world, the frame step, the battle rules and the statistics lines.
#include "app/window/Game.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/run/BattleRecorder.h"
#include "app/setup/GeneralChoice.h"
#include "app/window/BattleScrubber.h"
#include "app/window/Input.h"
#include "app/window/InputMode.h"
#include "app/window/SimulationPace.h"
#include "app/window/UnitInspector.h"
#include "battle/BattleFile.h"
#include "battle/BattleTimeline.h"
#include "objects/UnitType.h"
#include "platform/Interrupt.h"
#include "platform/TickCounter.h"
#include "render/FrameScene.h"
#include "render/Graphics.h"
#include "render/InspectorOverlay.h"
#include "render/TerrainDrawing.h"

namespace {
std::string Labelled(const char* label, int value) {
  std::ostringstream line;
  line << label << value;
  return line.str();
}

std::string Milliseconds(const char* label, std::uint32_t ticks) {
  std::ostringstream line;
  line << label << ticks << "ms";
  return line.str();
}
}  // namespace

// The lighting first, then the battlefield with its subsystems and terrain, then what only a
// window has: the terrain's display list, every unit's image (all at once, so that no step of a
// battle has to wait for a file or call GL) and the inspector.
Game::Game(Graphics* graphicsSystem, Input* inputSystem, Scenario battleSetup, unsigned battleSeed)
    : graphics(graphicsSystem), input(inputSystem), seed(battleSeed) {
  battle = std::make_unique<Battle>(std::move(battleSetup), battleSeed);
  if (graphics != nullptr) {
    graphics->AddDisplayList(TerrainDrawing::BuildDisplayList(battle->terrain, 0.0f, 0.0f, 0.0f));
    textures = std::make_unique<TextureManager>();
    for (const std::string& file : UnitFactory::ImageFiles()) textures->GetTexture(file);
    inspector = std::make_unique<UnitInspector>();
  }
  if (input != nullptr) input->game = this;
  SetUpLighting();
}

Game::~Game() = default;

void Game::SetUpLighting() {
  scene.ClearLights();
  scene.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  scene.AddLight(0.0f, 300.0f, -100.0f, 0.6f, 0.5f, 0.5f, 1.0f);
}

// With a pace, the frame's steps are planned where the clock would tick, and the clock is ticked
// once per step, inside the update stage.
void Game::Frame() {
  if (pace == nullptr) {
    battle->timer.Tick();
  } else {
    pace->BeginFrame(TickCounter::Now(), paused);
  }
  const std::uint32_t t0 = TickCounter::Now();
  if (input != nullptr) input->Update();
  const std::uint32_t t1 = TickCounter::Now();
  PostHudLine(Milliseconds("Input Update:", t1 - t0), "Timing");

  // The step and what follows it run here, or the step runs beside the terrain's drawing; the
  // render stage's time then includes any wait for it.
  std::uint32_t stepTicks = 0;
  const Graphics::StepBesideTerrain stages{[this, &stepTicks] {
                                             const std::uint32_t start = TickCounter::Now();
                                             RunFrameSteps();
                                             stepTicks = TickCounter::Now() - start;
                                           },
                                           [this, &stepTicks] {
                                             PostHudLine(Milliseconds("Gob Update:", stepTicks), "Timing");
                                             AfterFrameSteps();
                                           }};
  const bool beside = CanStepBesideTerrain();
  if (!beside) stages.step();
  const std::uint32_t renderStart = TickCounter::Now();
  if (beside) {
    Render(&stages);
  } else {
    stages.afterStep();
    if (graphics != nullptr) Render();
  }
  PostHudLine(Milliseconds("Render Update:", TickCounter::Now() - renderStart), "Timing");
}

// The static terrain shows no footsteps, the camera follows nobody while no unit is inspected,
// and once every unit's image is loaded raising a unit makes no GL call: then nothing GL draws
// before the billboards depends on the step, and nothing the step does needs GL.
bool Game::CanStepBesideTerrain() const {
  if (!stepBesideTerrain || graphics == nullptr || input == nullptr || dynamicTerrain) return false;
  if (inspector != nullptr && !inspector->SelectedName().empty()) return false;
  return textures != nullptr && textures->HoldsAll(UnitFactory::ImageFiles());
}

void Game::RunFrameSteps() {
  if (pace != nullptr) {
    RunPacedSteps();
  } else if (!paused) {
    RunSimulationStep();
  }
}

void Game::AfterFrameSteps() {
  if (inspector != nullptr) inspector->AfterFrame(*battle, input);
  PostStatistics();
}

void Game::StartBattle() {
  battle->StartBattle();
  if (scrubber != nullptr) scrubber->RunStarted();
}

void Game::RunSimulationStep() {
  const float dt = battle->RunSimulationStep();
  if (timeline != nullptr) timeline->AfterStep(*battle, dt);
}

void Game::RunRecordedStep(double stepMs) {
  if (scrubber != nullptr) scrubber->BeforeStep();
  RunSimulationStep();
  if (recorder != nullptr) recorder->AfterStep(*battle, stepMs);
  if (scrubber != nullptr) scrubber->AfterStep();
}

void Game::RunPacedSteps() {
  std::uint32_t before = pace->SimulatedMs();
  std::uint32_t elapsedMs = 0;
  while (pace->NextStep(elapsedMs)) {
    battle->timer.TickTo(elapsedMs);
    if (!paused) RunRecordedStep(static_cast<double>(elapsedMs - before));
    before = elapsedMs;
  }
}

void Game::StopBackgroundWork() {
  if (scrubber != nullptr) scrubber->StopSpare();
}

// The toolkit may call its close callback again as the process ends after a quit key, and calls it
// when an interrupt leaves its loop: the caller reports the interrupted run then.
void Game::Quit() {
  StopBackgroundWork();
  if (Interrupt::Requested()) return;
  if (const std::function<void()> say = std::exchange(onQuit, nullptr)) say();
}

void Game::NoteUserChange() {
  if (firstChangedBattle == 0 && recorder != nullptr) firstChangedBattle = recorder->BattleNumber();
}

void Game::ResetBattle() {
  NoteUserChange();
  battle->ResetBattle();
  if (scrubber != nullptr) scrubber->UserReset();
}

void Game::SaveBattle() const {
  const auto elapsedMs = static_cast<std::uint32_t>(std::lround(static_cast<double>(battle->timer.now) * 1000.0));
  const int frameMs = pace != nullptr && pace->FixedSteps() ? pace->StepMs() : 16;
  const std::string settings = "seed " + std::to_string(seed) + " frame_ms " + std::to_string(frameMs) + " blood " +
                               (battle->bloodEnabled ? "1" : "0") + " elapsed_ms " + std::to_string(elapsedMs);
  const std::string path = "battle-" + std::to_string(seed) + "-" + std::to_string(elapsedMs / 1000) + ".battle";
  std::string error;
  if (BattleFile::Save(*battle, settings, path, error)) {
    std::cerr << "battlesim: the battle on view is saved in " << path << "\n";
  } else {
    std::cerr << "battlesim: " << error << "\n";
  }
}

void Game::SwitchBlood() {
  NoteUserChange();
  battle->bloodEnabled = !battle->bloodEnabled;
  if (scrubber != nullptr) scrubber->UserBlood(battle->bloodEnabled);
}

void Game::ScrubBy(double seconds) {
  if (scrubber == nullptr) {
    scrubAsked = true;
  } else {
    scrubber->JumpBy(seconds);
  }
}

void Game::ScrubToStart() {
  if (scrubber == nullptr) {
    scrubAsked = true;
  } else {
    scrubber->JumpTo(0.0);
  }
}

bool Game::ScrubAtChart(int x, int y) {
  if (scrubber == nullptr || timeline == nullptr || graphics == nullptr) return false;
  const double second = InspectorOverlay::ChartSecondAt(*timeline, graphics->viewportWidth, x, y);
  if (second < 0.0) return false;
  scrubber->JumpTo(second);
  return true;
}

void Game::Render(const Graphics::StepBesideTerrain* beside) {
  if (input == nullptr) {
    graphics->RenderFrame(nullptr, beside);
    return;
  }
  const FrameScene frame{.lighting = scene,
                         .camera = *input,
                         .battle = *battle,
                         .dynamicTerrain = dynamicTerrain,
                         .selected = inspector != nullptr ? inspector->Selected(*battle) : nullptr,
                         .squad = input->mode != nullptr ? input->mode->Ringed() : std::vector<const GameObject*>{},
                         .timeline = timeline,
                         .textures = textures.get(),
                         .viewSecond = scrubber != nullptr ? scrubber->ViewSecond() : -1.0};
  graphics->RenderFrame(&frame, beside);
}

void Game::PostStatistics() {
  // Without a window (the headless runner) there is no panel to build the lines for.
  if (graphics == nullptr) return;
  PostBattleLines();
  for (const char* control : {"P - Pause", "D - Toggle Dynamic Terrain ", "B - Toggle Blood", "R - Reset Battle",
                              "Q - Quit Program", "W/S - Zoom"}) {
    PostHudLine(control, "CONTROLS");
  }
  PostPlaybackLines();
  PostSwitchLines();
  // Above the inspector's trace, whose length varies.
  if (input != nullptr && input->mode != nullptr) input->mode->PostLines();
  PostSelectedLines();
}

void Game::PostBattleLines() {
  PostHudLine(Labelled("Red Wins: ", battle->RedWins()), "Wins");
  PostHudLine(Labelled("Blue Wins: ", battle->BlueWins()), "Wins");
  PostHudLine(Labelled("State Changes: ", battle->StateChanges()), "StateMachine");
  PostHudLine(Labelled("Casualties This Battle: ", battle->Casualties()), "Battle");
  const std::pair<const char*, int> kinds[] = {{"Archer Kills: ", UnitType::Archer},
                                               {"Soldier Kills: ", UnitType::Soldier},
                                               {"Berserker Kills: ", UnitType::Berserker},
                                               {"Leader Kills: ", UnitType::SquadLeader},
                                               {"General Kills: ", UnitType::General}};
  for (const auto& [label, type] : kinds) PostHudLine(Labelled(label, battle->Kills(type)), "Battle");
}

// After every specified line, so that none of them moves. Without fixed steps the clock's seed
// seeded the battles, but the frame lengths shape them too: it alone does not bring them back.
void Game::PostPlaybackLines() {
  if (pace == nullptr) return;
  std::ostringstream seedLine;
  seedLine << "Seed: " << seed;
  if (!pace->FixedSteps()) seedLine << " (clock)";
  PostHudLine(seedLine.str(), "Playback");
  if (recorder != nullptr) PostHudLine(Labelled("Battle: ", recorder->BattleNumber()), "Playback");
  if (scrubber != nullptr) {
    char at[48];
    std::snprintf(at, sizeof at, "At: %.1f s", scrubber->ViewSecond());
    PostHudLine(at, "Playback");
  }
  PostHudLine("Red General: " + GeneralChoice::Describe(battle->scenario.armies[0]), "Playback");
  PostHudLine("Blue General: " + GeneralChoice::Describe(battle->scenario.armies[1]), "Playback");
}

// A pause looks like a freeze and the switches leave no other trace on screen: say how they stand,
// and name the keys that came after the specified controls.
void Game::PostSwitchLines() {
  const char* kCategory = "Switches";
  PostHudLine(paused ? "Paused: yes (P)" : "Paused: no (P)", kCategory);
  PostHudLine(battle->bloodEnabled ? "Blood: on (B)" : "Blood: off (B)", kCategory);
  PostHudLine(dynamicTerrain ? "Dynamic Terrain: on (D)" : "Dynamic Terrain: off (D)", kCategory);
  if (pace != nullptr) {
    std::ostringstream speed;
    speed << "Speed: " << pace->Speed() << "x (+/-)";
    PostHudLine(speed.str(), kCategory);
  }
  if (scrubber != nullptr) {
    PostHudLine("Jump: [ ] 10 s, Home to start, click the chart", kCategory);
  } else if (scrubAsked) {
    PostHudLine("Jump ([ ] Home): needs --seed", kCategory);
  }
  PostHudLine("Mouse: left drag turns, right drag pans, wheel zooms", kCategory);
  PostHudLine("Click: inspect a unit, F follows it", kCategory);
  PostHudLine("Esc - Quit Program", kCategory);
}

void Game::PostSelectedLines() {
  if (inspector == nullptr) return;
  for (const std::string& line : inspector->Lines(*battle)) PostHudLine(line, "Selected");
}

void Game::PostHudLine(const std::string& text, const std::string& category) {
  if (graphics != nullptr) graphics->AddHudLine(text, category);
}
