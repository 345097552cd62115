// Construction of the world, the frame step, the battle rules and the statistics lines.
#include "app/Game.h"

#include <sstream>
#include <utility>

#include "app/BattleRecorder.h"
#include "app/BattleTimeline.h"
#include "app/Input.h"
#include "app/SimulationPace.h"
#include "app/UnitInspector.h"
#include "math/RandomFloat.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "platform/TickCounter.h"
#include "render/Graphics.h"
#include "render/TerrainDrawing.h"
#include "units/ArmyLayout.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"

bool bloodEnabled = true;

namespace {
Game* instance = nullptr;

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

constexpr float kHigherGround = 0.05f;
constexpr float kShortestDuel = 2.0f;
constexpr float kDuelSpread = 3.0f;

const DuelTables kBuiltInTables;

float TypeAdvantage(const DuelTables& tables, int attacker, int defender) {
  const bool fighting = attacker >= 0 && attacker < 5 && defender >= 0 && defender < 5;
  return fighting ? tables.typeAdvantage[attacker][defender] : 0.0f;
}

float FormationAdvantage(const DuelTables& tables, int attacker, int defender) {
  const bool shaped = attacker >= 1 && attacker <= 3 && defender >= 1 && defender <= 3;
  return shaped ? tables.formationAdvantage[attacker - 1][defender - 1] : 0.0f;
}
}  // namespace

GameObject* FindObjectNamed(const std::string& name) {
  const Game* game = Game::Instance();
  if (game == nullptr || !game->objects) return nullptr;
  return game->objects->Find(name);
}

// The switches, the factory's serials and the statistics start from their member initialisers;
// the subsystems are built in this order because each registers itself or needs the one before.
Game::Game(Graphics* graphicsSystem, Input* inputSystem, Scenario battleSetup)
    : graphics(graphicsSystem), input(inputSystem), scenario(std::move(battleSetup)) {
  timer = std::make_unique<Timer>();
  router = std::make_unique<MessageRouter>();
  traceLog = std::make_unique<TraceLog>();
  objects = std::make_unique<GameObjectManager>();
  if (graphics != nullptr) {
    // All at once, so that no step of a battle has to wait for a file or call GL.
    textures = std::make_unique<TextureManager>();
    for (const std::string& file : UnitFactory::ImageFiles()) textures->GetTexture(file);
  }
  if (graphics != nullptr) inspector = std::make_unique<UnitInspector>();
  BuildTerrain();
  pathFinder = std::make_unique<PathFinder>(terrain);
  SetUpLighting();
}

Game::~Game() {
  if (instance == this) instance = nullptr;
}

// A missing or unreadable height map leaves the terrain empty; the game runs on without ground.
void Game::BuildTerrain() {
  terrain.Load(scenario.heightMap, true);
  terrain.Scale(scenario.low, scenario.high);
  if (graphics != nullptr) graphics->AddDisplayList(TerrainDrawing::BuildDisplayList(terrain, 0.0f, 0.0f, 0.0f));
}

void Game::SetUpLighting() {
  scene.ClearLights();
  scene.SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
  scene.AddLight(0.0f, 300.0f, -100.0f, 0.6f, 0.5f, 0.5f, 1.0f);
}

Game* Game::Instance() { return instance; }

void Game::SetInstance(Game* game) { instance = game; }

void Game::CountStateChange() { ++stateChanges; }

void Game::StartBattle() {
  ++battlesStarted;
  squadsRaised = {};
  squadTypes = {};
  // The facing is the float 3.14, not pi: the red army's billboards face the blue army's.
  factory.Create(UnitType::General, Vector3(0.0f, 0.0f, ArmyLayout::kGeneralDistance), 3.14f, Team::Red);
  factory.Create(UnitType::General, Vector3(0.0f, 0.0f, -ArmyLayout::kGeneralDistance), 0.0f, Team::Blue);
}

int Game::CountSquadRaised(int team) { return squadsRaised[team == Team::Red ? 0 : 1]++; }

void Game::NoteSquadType(int team, int type) { squadTypes[team == Team::Red ? 0 : 1].push_back(type); }

const std::vector<int>& Game::SquadTypes(int team) const { return squadTypes[team == Team::Red ? 0 : 1]; }

// The ended battle's duels and queued messages go with its units: the next battle's units carry
// the same names, and would otherwise be drawn into duels they never fought (leaving combat they
// were never in, which miscounts their squads' ready followers) or receive the old battle's
// messages. The dying General calls this while the router delivers, never while duels resolve.
void Game::EndBattle(int deadGeneralTeam) {
  if (deadGeneralTeam != Team::Red) {
    ++redWins;
  } else {
    ++blueWins;
  }
  casualties = 0;
  duels.clear();
  router->Clear();
  objects->RemoveAll();
  factory.Reset();
  StartBattle();
}

void Game::ResetBattle() {
  EndBattle(Team::Red);
  --blueWins;
}

void Game::CountKill(int killerType) {
  switch (killerType) {
    case UnitType::Soldier: ++soldierKills; break;
    case UnitType::Archer: ++archerKills; break;
    case UnitType::Berserker: ++berserkerKills; break;
    case UnitType::SquadLeader: ++leaderKills; break;
    case UnitType::General: ++generalKills; break;
    default: break;
  }
  ++casualties;
}

void Game::Engage(GameObject* a, GameObject* b) {
  // Drawn before any check, so that a refused duel uses up its random number as well.
  const float length = kDuelSpread * RandomFloat() + kShortestDuel;
  if (a == nullptr || b == nullptr || a->dying || b->dying) return;
  Duel duel{a->name, b->name, length};
  for (GameObject* duellist : {a, b}) {
    duellist->SetInCombat(true);
    if (duellist->FindCombatMachine() == nullptr) {
      duellist->PushMachine(std::make_unique<CombatSM>(duellist), true);
    }
  }
  a->targetName = b->name;
  b->targetName = a->name;
  duels.push_back(std::move(duel));
}

void Game::UpdateDuels(float dt) {
  for (auto duel = duels.begin(); duel != duels.end();) {
    duel->timeLeft -= dt;
    if (duel->timeLeft < 0.0f) {
      // Resolving may start new duels (a winner's restarted squad leader looks around at once);
      // std::list keeps this node valid meanwhile and the walk goes on into the new ones.
      ResolveDuel(*duel);
      duel = duels.erase(duel);
    } else {
      ++duel;
    }
  }
}

float Game::DuelThreshold(const GameObject& attacker, const GameObject& defender, const DuelTables& tables) {
  const bool defenderLower = defender.GetSprite()->position.y < attacker.GetSprite()->position.y;
  return 0.5f + TypeAdvantage(tables, attacker.unitType, defender.unitType) +
         FormationAdvantage(tables, attacker.formationKind, defender.formationKind) +
         (defenderLower ? kHigherGround : -kHigherGround);
}

float Game::DuelThreshold(const GameObject& attacker, const GameObject& defender) {
  return DuelThreshold(attacker, defender, kBuiltInTables);
}

void Game::ResolveDuel(const Duel& duel) {
  GameObject* attacker = objects->Find(duel.attackerName);
  GameObject* defender = objects->Find(duel.defenderName);
  if (attacker == nullptr || defender == nullptr) {
    if (attacker != nullptr) LeaveCombat(*attacker);
    if (defender != nullptr) LeaveCombat(*defender);
    return;
  }
  const float threshold = DuelThreshold(*attacker, *defender, scenario.duel);
  const float draw = RandomFloat();
  if (draw < threshold && attacker->IsInRangeOf(*defender)) {
    Kill(*attacker, *defender);
  } else if (draw >= threshold && defender->IsInRangeOf(*attacker)) {
    Kill(*defender, *attacker);
  } else {
    attacker->SetInCombat(false);
    defender->SetInCombat(false);
    for (GameObject* duellist : {attacker, defender}) {
      if (!duellist->dying && duellist->FindCombatMachine() != nullptr) duellist->PopMachine();
    }
  }
}

void Game::LeaveCombat(GameObject& unit) {
  unit.SetInCombat(false);
  if (!unit.dying && unit.FindCombatMachine() != nullptr) unit.PopMachine();
}

// The loser keeps its combat flag: it never fights again. A unit may still stand in other duels
// when it starts dying; losing one of those must not kill it a second time (a second kill, a
// second splat, and for a General a second battle won). What the replaced machines still have
// queued goes with them, or the unit might never die:
// - a machine-stack command, carried out over the dying machine, would cancel its delayed change
//   to STATE_Dead;
// - a scoped delayed message can carry the same stamp as the dying machine's own delayed death.
//   The router keeps only one of a kind, so the death would be dropped, and the old message (a
//   march's delayed end when it found no route, for one) would put the dying machine into a state
//   it does not have, where it stays. Its enemies then attack it forever, and a large battle never
//   ends.
void Game::Kill(GameObject& winner, GameObject& loser) {
  LeaveCombat(winner);
  if (loser.dying) return;
  CountKill(winner.unitType);
  loser.DropMachineCommand();
  router->CancelScoped(loser.name);
  loser.ReplaceMachine(std::make_unique<DyingSM>(&loser));
}

// With a pace, the frame's steps are planned where the clock would tick, and the clock is ticked
// once per step, inside the update stage.
void Game::Frame() {
  if (pace == nullptr) {
    timer->Tick();
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
    graphics->RenderFrame(&stages);
  } else {
    stages.afterStep();
    if (graphics != nullptr) graphics->RenderFrame();
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
  if (inspector != nullptr) inspector->AfterFrame(*this);
  PostStatistics();
}

// A long frame (a stall, a dragged window) advances the world by at most kLongestStep.
void Game::RunSimulationStep() {
  float dt = timer->delta;
  if (dt > kLongestStep) dt = kLongestStep;
  objects->Update(dt);
  UpdateDuels(dt);
  router->DeliverDue();
  if (timeline != nullptr) timeline->AfterStep(*this, dt);
}

void Game::RunPacedSteps() {
  std::uint32_t before = pace->SimulatedMs();
  std::uint32_t elapsedMs = 0;
  while (pace->NextStep(elapsedMs)) {
    timer->TickTo(elapsedMs);
    if (!paused) {
      RunSimulationStep();
      if (recorder != nullptr) recorder->AfterStep(*this, static_cast<double>(elapsedMs - before));
    }
    before = elapsedMs;
  }
}

void Game::PostStatistics() {
  // Without a window (the headless runner) there is no panel to build the lines for.
  if (graphics == nullptr) return;
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
  PostPlaybackLines();
  PostSwitchLines();
  PostSelectedLines();
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
}

// A pause looks like a freeze and the switches leave no other trace on screen: say how they stand,
// and name the keys that came after the specified controls.
void Game::PostSwitchLines() {
  const char* kCategory = "Switches";
  PostHudLine(paused ? "Paused: yes (P)" : "Paused: no (P)", kCategory);
  PostHudLine(bloodEnabled ? "Blood: on (B)" : "Blood: off (B)", kCategory);
  PostHudLine(dynamicTerrain ? "Dynamic Terrain: on (D)" : "Dynamic Terrain: off (D)", kCategory);
  if (pace != nullptr) {
    std::ostringstream speed;
    speed << "Speed: " << pace->Speed() << "x (+/-)";
    PostHudLine(speed.str(), kCategory);
  }
  PostHudLine("Mouse: left drag turns, right drag pans, wheel zooms", kCategory);
  PostHudLine("Click: inspect a unit, F follows it", kCategory);
  PostHudLine("Esc - Quit Program", kCategory);
}

void Game::PostSelectedLines() {
  if (inspector == nullptr) return;
  for (const std::string& line : inspector->Lines(*this)) PostHudLine(line, "Selected");
}

void Game::PostHudLine(const std::string& text, const std::string& category) {
  if (graphics != nullptr) graphics->AddHudLine(text, category);
}
