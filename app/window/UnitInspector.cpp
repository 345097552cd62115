// Picking, following and describing the selected unit.
#include "app/window/UnitInspector.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "app/window/Game.h"
#include "app/window/Input.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "render/BillboardPicker.h"
#include "render/Graphics.h"
#include "statemachine/TraceLog.h"
#include "units/Commander.h"

namespace {
const char* const kTypeNames[] = {"Soldier", "Archer", "Berserker", "SquadLeader", "General", "Blood", "Arrow"};

std::string TypeName(int unitType) {
  return unitType >= 0 && unitType < UnitType::kCount ? kTypeNames[unitType] : std::to_string(unitType);
}

// The machine's class name, as the code spells it ("CombatSM").
std::string MachineName(const StateMachine& machine) {
  const char* mangled = typeid(machine).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> plain(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  return status == 0 && plain ? plain.get() : mangled;
}

std::string WithoutLineFeed(std::string line) {
  while (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

// Fighting units only: arrows and blood splats are not minds worth reading.
std::vector<GameObject*> LivingUnits(const Game& game) {
  std::vector<GameObject*> units;
  for (GameObject* object : game.battle->objects->Registered()) {
    if (object->unitType <= UnitType::General && !object->dying && !object->removed) units.push_back(object);
  }
  return units;
}
}  // namespace

UnitInspector::~UnitInspector() { Clear(""); }

void UnitInspector::PickAt(Game& game, int x, int y) {
  if (game.graphics == nullptr) return;
  const BillboardPicker picker(game.scene.view, game.scene.projection, game.graphics->viewportWidth,
                               game.graphics->viewportHeight);
  if (GameObject* unit = picker.Pick(LivingUnits(game), x, y)) {
    Select(*game.battle, *unit);
  } else {
    Clear("");
  }
}

void UnitInspector::Select(Battle& battle, const GameObject& unit) {
  Clear("");
  selectedName = unit.name;
  selectedBattle = battle.BattlesStarted();
  watchedLog = battle.traceLog.get();
  watchedLog->Watch(this);
}

// Following stops with the selection, whatever cleared it: otherwise the next unit clicked would
// pull the camera away at once, which the user never asked for.
void UnitInspector::Clear(const std::string& why) {
  if (!selectedName.empty()) {
    if (watchedLog != nullptr) watchedLog->Watch(nullptr);
    watchedLog = nullptr;
  }
  selectedName.clear();
  recent.clear();
  following = false;
  notice = why;
  noticeBattle = -1;
}

void UnitInspector::LetGoOfBattle() {
  if (watchedLog != nullptr) watchedLog->Watch(nullptr);
  watchedLog = nullptr;
}

// The trace lines kept were of another moment.
void UnitInspector::FindAgain(Battle& battle) {
  if (selectedName.empty()) return;
  const GameObject* unit = Selected(battle);
  if (unit == nullptr || unit->dying || unit->removed) {
    const std::string name = selectedName;
    Clear(name + " died");
    noticeBattle = battle.BattlesStarted();
    return;
  }
  recent.clear();
  watchedLog = battle.traceLog.get();
  watchedLog->Watch(this);
}

GameObject* UnitInspector::Selected(const Battle& battle) const {
  if (selectedName.empty() || battle.BattlesStarted() != selectedBattle) return nullptr;
  return battle.objects->Find(selectedName);
}

// Names restart every battle: a new battle's unit of the same name is another unit. The note on
// why the selection went lasts until the end of the battle it was made in.
void UnitInspector::AfterFrame(const Battle& battle, CameraView* camera) {
  if (camera != nullptr) camera->following = false;
  if (selectedName.empty()) return;
  if (battle.BattlesStarted() != selectedBattle) {
    Clear("New battle: " + selectedName + " is gone");
    noticeBattle = battle.BattlesStarted();
  } else if (const GameObject* unit = Selected(battle); unit == nullptr || unit->dying || unit->removed) {
    Clear(selectedName + " died");
    noticeBattle = battle.BattlesStarted();
  }
  if (camera == nullptr) return;
  const GameObject* unit = Selected(battle);
  camera->following = following && unit != nullptr;
  if (camera->following) camera->focus = unit->GetSprite()->position;
}

std::vector<std::string> UnitInspector::Lines(const Battle& battle) const {
  const GameObject* unit = Selected(battle);
  if (unit == nullptr) {
    const bool noted = !notice.empty() && noticeBattle == battle.BattlesStarted();
    return {noted ? notice : "None: left click a unit"};
  }
  std::vector<std::string> lines = MindLines(*unit);
  lines.push_back(following ? "Camera: following (F)" : "Camera: free (F follows)");
  lines.push_back("Trace:");
  lines.insert(lines.end(), recent.begin(), recent.end());
  return lines;
}

std::vector<std::string> UnitInspector::MindLines(const GameObject& unit) {
  std::vector<std::string> lines;
  lines.push_back("Name: " + unit.name);
  lines.push_back(std::string("Team: ") + (unit.team == Team::Red ? "red" : "blue") + "  Type: " +
                  TypeName(unit.unitType));
  lines.push_back("Leader: " + (unit.GetLeaderName().empty() ? std::string("none") : unit.GetLeaderName()));
  for (std::size_t depth = unit.MachineCount(); depth > 0; --depth) {
    const StateMachine& machine = *unit.MachineAt(depth - 1);
    std::string line = MachineName(machine) + " " + machine.StateName();
    if (machine.GetSubstate() >= 0) line += std::string("/") + machine.SubstateName();
    lines.push_back(line);
  }
  lines.push_back(unit.inCombat ? "Duel: with " + unit.targetName : std::string("Duel: none"));
  if (unit.unitType == UnitType::General && unit.GetBattle() != nullptr) {
    if (const Commander* strategy = unit.GetBattle()->Rules().Strategy(unit.team)) {
      lines.push_back("Decision: " + strategy->LastDecision());
    }
  }
  return lines;
}

bool UnitInspector::Watches(const std::string& ownerName) const { return ownerName == selectedName; }

void UnitInspector::Take(const TraceRecord& record) {
  recent.push_back(WithoutLineFeed(TraceLog::FormatLine(record)));
  if (recent.size() > kRecentRecords) recent.pop_front();
}
