// Construction of the world, the frame step and the statistics lines.
#include "app/Game.h"

#include <sstream>

#include "app/Input.h"
#include "platform/TickCounter.h"
#include "render/Graphics.h"

bool bloodEnabled = true;

namespace {
Game* instance = nullptr;

constexpr char kHeightMap[] = "Textures/ASTest.png";

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

Game::Game(Graphics* graphicsSystem, Input* inputSystem) {
  // FACTORY: the lead zeroes the unit factory's serial counters here.
  timer = std::make_unique<Timer>();
  router = std::make_unique<MessageRouter>();
  traceLog = std::make_unique<TraceLog>();
  graphics = graphicsSystem;
  input = inputSystem;
  objects = std::make_unique<GameObjectManager>();
  if (graphics != nullptr) textures = std::make_unique<TextureManager>();
  // DUELS: the lead creates the empty duel list here.
  dynamicTerrain = true;
  traceEnabled = false;
  paused = false;
  BuildTerrain();
  pathFinder = std::make_unique<PathFinder>(terrain);
  redWins = blueWins = stateChanges = casualties = 0;
  archerKills = soldierKills = berserkerKills = leaderKills = generalKills = 0;
  SetUpLighting();
}

Game::~Game() {
  if (instance == this) instance = nullptr;
}

// A missing or unreadable height map leaves the terrain empty; the game runs on without ground.
void Game::BuildTerrain() {
  terrain.Load(kHeightMap, true);
  terrain.Scale(0.0f, 10.0f);
  if (graphics != nullptr) graphics->AddDisplayList(terrain.BuildDisplayList(0.0f, 0.0f, 0.0f));
}

void Game::SetUpLighting() {
  scene.ClearLights();
  scene.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  scene.AddLight(0.0f, 300.0f, -100.0f, 0.6f, 0.5f, 0.5f, 1.0f);
}

Game* Game::Instance() { return instance; }

void Game::SetInstance(Game* game) { instance = game; }

void Game::CountStateChange() { ++stateChanges; }

void Game::Frame() {
  timer->Tick();
  const std::uint32_t t0 = TickCounter::Now();
  if (input != nullptr) input->Update();
  const std::uint32_t t1 = TickCounter::Now();
  PostHudLine(Milliseconds("Input Update:", t1 - t0), "Timing");

  const std::uint32_t t2 = TickCounter::Now();
  if (!paused) RunSimulationStep();
  const std::uint32_t t3 = TickCounter::Now();
  PostHudLine(Milliseconds("Gob Update:", t3 - t2), "Timing");

  const std::uint32_t t4 = TickCounter::Now();
  PostStatistics();
  if (graphics != nullptr) graphics->RenderFrame();
  const std::uint32_t t5 = TickCounter::Now();
  PostHudLine(Milliseconds("Render Update:", t5 - t4), "Timing");
}

// A long frame (a stall, a dragged window) advances the world by at most kLongestStep.
void Game::RunSimulationStep() {
  float dt = timer->delta;
  if (dt > kLongestStep) dt = kLongestStep;
  objects->Update(dt);
  // DUELS: the lead's UpdateDuels(dt) is called here.
  router->DeliverDue();
}

void Game::PostStatistics() {
  PostHudLine(Labelled("Red Wins: ", redWins), "Wins");
  PostHudLine(Labelled("Blue Wins: ", blueWins), "Wins");
  PostHudLine(Labelled("State Changes: ", stateChanges), "StateMachine");
  PostHudLine(Labelled("Casualties This Battle: ", casualties), "Battle");
  PostHudLine(Labelled("Archer Kills: ", archerKills), "Battle");
  PostHudLine(Labelled("Soldier Kills: ", soldierKills), "Battle");
  PostHudLine(Labelled("Berserker Kills: ", berserkerKills), "Battle");
  PostHudLine(Labelled("Leader Kills: ", leaderKills), "Battle");
  PostHudLine(Labelled("General Kills: ", generalKills), "Battle");
  for (const char* control : {"P - Pause", "D - Toggle Dynamic Terrain ", "B - Toggle Blood", "R - Reset Battle",
                              "Q - Quit Program", "W/S - Zoom"}) {
    PostHudLine(control, "CONTROLS");
  }
}

void Game::PostHudLine(const std::string& text, const std::string& category) {
  if (graphics != nullptr) graphics->AddHudLine(text, category);
}
