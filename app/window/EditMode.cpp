// Placing squads and Generals with the mouse, and the layout's undo, save and start.
#include "app/window/EditMode.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <utility>

#include "app/run/BattleRecorder.h"
#include "app/run/HandOrderText.h"
#include "app/run/QuietDebugChannel.h"
#include "app/setup/ScenarioWriter.h"
#include "app/window/BattleScrubber.h"
#include "app/window/Game.h"
#include "app/window/UnitInspector.h"
#include "objects/UnitType.h"
#include "render/GroundPicker.h"
#include "units/ArmyLayout.h"

namespace {
constexpr char kCategory[] = "Editor";
constexpr std::array<const char*, 2> kSides{"red", "blue"};
constexpr int kShapes = 3;

// The squads the layout would have placed, as placed squads: a file without any opens as it plays.
std::vector<PlacedSquad> LaidOut(const ArmySetup& army, int team, int width) {
  std::vector<PlacedSquad> squads;
  const Vector3 general(0.0f, 0.0f, team == Team::Red ? ArmyLayout::kGeneralDistance : -ArmyLayout::kGeneralDistance);
  for (int index = 0; index < army.squads; ++index) {
    const Vector3 place = ArmyLayout::SquadPlace(team, index, general, width);
    const int type = army.memberTypes.empty()
                         ? index % 3
                         : army.memberTypes[static_cast<std::size_t>(index) % army.memberTypes.size()];
    squads.push_back(PlacedSquad{place.x, place.z, type, army.followers, 0});
  }
  return squads;
}
}  // namespace

EditMode::EditMode(Game& editedGame, std::string savedFile, const Scenario& setup, unsigned battleSeed)
    : game(editedGame), file(std::move(savedFile)), base(setup), seed(battleSeed) {
  for (std::size_t side = 0; side < armies.size(); ++side) {
    armies[side] = setup.armies[side];
    if (armies[side].placed.empty()) {
      armies[side].placed = LaidOut(setup.armies[side], static_cast<int>(side), game.battle->terrain.width);
    }
  }
}

Scenario EditMode::Layout() const {
  Scenario layout = base;
  for (std::size_t side = 0; side < armies.size(); ++side) {
    ArmySetup& army = layout.armies[side];
    army.placed = armies[side].placed;
    army.squads = static_cast<int>(army.placed.size());
    army.memberTypes.clear();
    for (const PlacedSquad& squad : army.placed) army.memberTypes.push_back(squad.type);
    army.generalPlaced = armies[side].generalPlaced;
    army.generalX = armies[side].generalX;
    army.generalZ = armies[side].generalZ;
  }
  return layout;
}

// Jumps would bring back the battle before the layout: the scrubber stops with the editor.
void EditMode::Open() {
  editing = true;
  game.paused = true;
  if (game.scrubber != nullptr) game.scrubber->StopSpare();
  game.scrubber = nullptr;
  Show();
}

// The window reported its ground's loading once at its start; a layout shown again reads the same
// ground and says nothing.
void EditMode::Show() {
  if (game.inspector != nullptr) game.inspector->Clear("");
  const QuietDebugChannel quiet;
  game.battle = std::make_unique<Battle>(Layout(), seed);
  game.battle->SetStepThreads(game.stepThreads);
  game.battle->StartBattle();
  // Units are registered, and so drawn, by the first step; the clock has not moved, so it moves
  // nobody.
  if (editing) game.battle->RunSimulationStep();
}

void EditMode::Start() {
  editing = false;
  pickedTeam = pickedIndex = grabbedTeam = grabbedIndex = -1;
  Show();
  NoteNewBattlefield();
  game.paused = false;
}

// Only a first battle of the file's own layout, saved, is the battle a replay of the file plays.
void EditMode::NoteNewBattlefield() {
  if (game.recorder == nullptr) return;
  std::error_code missing;
  const bool filesOwn = !changed && std::filesystem::exists(file, missing) && game.recorder->Finished() == 0 &&
                        game.recorder->BattleNumber() == 1;
  if (!filesOwn && game.firstChangedBattle == 0) game.firstChangedBattle = game.recorder->Finished() + 1;
  game.recorder->NewBattlefield(*game.battle);
}

bool EditMode::OnKey(unsigned char key) {
  if (!editing) {
    if (key != kEditKey) return false;
    Open();
    return true;
  }
  return OnEditingKey(key);
}

bool EditMode::OnEditingKey(unsigned char key) {
  switch (key) {
    case '1':
    case '2':
    case '3': type = key - '1'; break;
    case 'n': followers = std::max(1, followers - 1); break;
    case 'm': followers = std::min(ArmySetup::kMostFollowers, followers + 1); break;
    case 'v': formation = (formation + 1) % (kShapes + 1); break;
    case 'g': placingGeneral = !placingGeneral; break;
    case 'x': RemovePicked(); break;
    case kUndoKey: Undo(); break;
    case kSaveKey: Save(); break;
    case kStartKey: Start(); break;
    // No battle runs in the editor: nothing to pause, reset or play on.
    case kEditKey:
    case 'p':
    case 'r': break;
    default: return false;
  }
  return true;
}

bool EditMode::OnLeftClick(int x, int y) {
  if (!editing) return false;
  float groundX = 0.0f;
  float groundZ = 0.0f;
  if (!GroundAt(x, y, groundX, groundZ)) {
    notice = "refused: that is off the field";
    return true;
  }
  ClickGround(groundX, groundZ);
  return true;
}

bool EditMode::OnLeftPress(int x, int y) {
  float groundX = 0.0f;
  float groundZ = 0.0f;
  return editing && !placingGeneral && GroundAt(x, y, groundX, groundZ) && GrabAt(groundX, groundZ);
}

void EditMode::OnLeftDrop(int x, int y) {
  float groundX = 0.0f;
  float groundZ = 0.0f;
  if (!editing || grabbedTeam < 0) return;
  if (GroundAt(x, y, groundX, groundZ)) {
    DropAt(groundX, groundZ);
    return;
  }
  pickedTeam = std::exchange(grabbedTeam, -1);
  pickedIndex = std::exchange(grabbedIndex, -1);
  notice = "refused: that is off the field";
}

bool EditMode::GroundAt(int x, int y, float& groundX, float& groundZ) const {
  const GroundPicker picker(game.scene.view, game.scene.projection, game.graphics->viewportWidth,
                            game.graphics->viewportHeight);
  Vector3 ground;
  if (!picker.Pick(game.battle->terrain, x, y, ground)) return false;
  groundX = std::round(ground.x);
  groundZ = std::round(ground.z);
  return true;
}

bool EditMode::GrabAt(float x, float z) {
  grabbedTeam = grabbedIndex = -1;
  return SquadAt(x, z, grabbedTeam, grabbedIndex);
}

// A refused drop leaves the squad where it stood and picked, as a refused second click does.
void EditMode::DropAt(float x, float z) {
  if (grabbedTeam < 0) return;
  pickedTeam = std::exchange(grabbedTeam, -1);
  pickedIndex = std::exchange(grabbedIndex, -1);
  MoveSquad(x, z);
}

void EditMode::ClickGround(float x, float z) {
  if (placingGeneral) {
    PlaceGeneral(x, z);
  } else if (pickedTeam >= 0) {
    MoveSquad(x, z);
  } else if (!PickAt(x, z)) {
    PlaceSquad(x, z);
  }
}

int EditMode::TeamAt(float z) { return z > 0.0f ? Team::Red : Team::Blue; }

std::string EditMode::Refusal(int team, float x, float z, int ignored) const {
  if (z == 0.0f) return "refused: the middle line belongs to neither army";
  if (TeamAt(z) != team)
    return std::string("refused: a ") + kSides[team] + " squad stays in " + kSides[team] + "'s half";
  const Terrain& terrain = game.battle->terrain;
  const float minX = static_cast<float>(terrain.MinGridX());
  const float maxZ = static_cast<float>(terrain.MaxGridZ());
  if (x < minX || x > minX + static_cast<float>(terrain.width - 1) || z > maxZ ||
      z < maxZ - static_cast<float>(terrain.depth - 1)) {
    return "refused: that is off the field";
  }
  for (std::size_t side = 0; side < armies.size(); ++side) {
    const auto& placed = armies[side].placed;
    for (std::size_t i = 0; i < placed.size(); ++i) {
      if (static_cast<int>(side) == team && static_cast<int>(i) == ignored) continue;
      if (std::fabs(placed[i].x - x) < kSquadWidth && std::fabs(placed[i].z - z) < kSquadDepth) {
        return std::string("refused: it would overlap ") + kSides[side] + " squad " + std::to_string(i + 1);
      }
    }
  }
  return "";
}

bool EditMode::SquadAt(float x, float z, int& team, int& index) const {
  for (std::size_t side = 0; side < armies.size(); ++side) {
    const auto& placed = armies[side].placed;
    for (std::size_t i = 0; i < placed.size(); ++i) {
      if (std::hypot(placed[i].x - x, placed[i].z - z) > kPickReach) continue;
      team = static_cast<int>(side);
      index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

bool EditMode::PickAt(float x, float z) {
  if (!SquadAt(x, z, pickedTeam, pickedIndex)) return false;
  notice = std::string("picked ") + kSides[pickedTeam] + " squad " + std::to_string(pickedIndex + 1) +
           ": click where it goes, x removes it";
  return true;
}

void EditMode::PlaceSquad(float x, float z) {
  const int team = TeamAt(z);
  auto& placed = armies[static_cast<std::size_t>(team)].placed;
  const int fit = ArmyLayout::SquadsThatFit(game.battle->terrain.width, game.battle->terrain.depth);
  std::string why = Refusal(team, x, z, -1);
  if (why.empty() && static_cast<int>(placed.size()) >= fit) {
    why = std::string("refused: ") + kSides[team] + " holds at most " + std::to_string(fit) + " squads on this map";
  }
  if (!why.empty()) {
    notice = why;
    return;
  }
  Remember();
  placed.push_back(PlacedSquad{x, z, type, followers, formation});
  notice = std::string("placed ") + kSides[team] + " squad " + std::to_string(placed.size());
  Show();
}

void EditMode::MoveSquad(float x, float z) {
  const std::string why = Refusal(pickedTeam, x, z, pickedIndex);
  if (!why.empty()) {
    notice = why;
    return;
  }
  Remember();
  PlacedSquad& squad = armies[static_cast<std::size_t>(pickedTeam)].placed[static_cast<std::size_t>(pickedIndex)];
  squad.x = x;
  squad.z = z;
  notice = std::string("moved ") + kSides[pickedTeam] + " squad " + std::to_string(pickedIndex + 1);
  pickedTeam = pickedIndex = -1;
  Show();
}

void EditMode::PlaceGeneral(float x, float z) {
  const int team = TeamAt(z);
  if (z == 0.0f) {
    notice = "refused: the middle line belongs to neither army";
    return;
  }
  Remember();
  ArmySetup& army = armies[static_cast<std::size_t>(team)];
  army.generalPlaced = true;
  army.generalX = x;
  army.generalZ = z;
  placingGeneral = false;
  notice = std::string("placed ") + kSides[team] + "'s General";
  Show();
}

void EditMode::RemovePicked() {
  if (pickedTeam < 0) {
    notice = "refused: pick a squad first (click it)";
    return;
  }
  Remember();
  auto& placed = armies[static_cast<std::size_t>(pickedTeam)].placed;
  placed.erase(placed.begin() + pickedIndex);
  notice = std::string("removed ") + kSides[pickedTeam] + " squad " + std::to_string(pickedIndex + 1);
  pickedTeam = pickedIndex = -1;
  Show();
}

// A change renumbers squads: a drag held through it would move another.
void EditMode::Remember() {
  grabbedTeam = grabbedIndex = -1;
  undo.push_back(armies);
  changed = true;
}

void EditMode::Undo() {
  if (undo.empty()) {
    notice = "nothing to undo";
    return;
  }
  armies = std::move(undo.back());
  undo.pop_back();
  pickedTeam = pickedIndex = grabbedTeam = grabbedIndex = -1;
  notice = "undone";
  Show();
}

void EditMode::Save() {
  std::string error;
  if (file.empty()) {
    notice = "refused: no file to save to (start with --edit FILE)";
  } else if (!ScenarioWriter::Save(file, Layout(), error)) {
    notice = "refused: " + error;
  } else {
    notice = "saved to " + file;
    changed = false;
  }
}

void EditMode::PostLines() {
  if (!editing) return;
  const auto post = [this](const std::string& line) { game.graphics->AddHudLine(line, kCategory); };
  post("Editing: " + (file.empty() ? std::string("(no file)") : file));
  std::ostringstream next;
  next << "Next squad: " << ArmySetup::kFollowerTypeNames[static_cast<std::size_t>(type)] << ", " << followers
       << " followers, " << HandOrderText::ShapeName(formation) << "; side by the half clicked";
  post(next.str());
  post("Red squads: " + std::to_string(armies[0].placed.size()) +
       "  Blue squads: " + std::to_string(armies[1].placed.size()));
  // As docs/editor.png shows it; drags are in the README's Controls table.
  post("Click: place or pick, then click to move; x removes");
  post("1/2/3 type, n/m followers, v formation, g General");
  post("Ctrl+Z undo, Ctrl+S save, Enter starts, e comes back");
  if (placingGeneral) post("Next click places a General");
  if (!notice.empty()) post(notice);
}
