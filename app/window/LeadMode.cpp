// Orders from the window's clicks and keys, and what the panel says of them.
#include "app/window/LeadMode.h"

#include <cmath>
#include <sstream>
#include <utility>

#include "app/lead/LedSide.h"
#include "app/lead/OrderBook.h"
#include "app/run/HandOrderText.h"
#include "app/setup/GeneralChoice.h"
#include "app/window/Game.h"
#include "app/window/UnitInspector.h"
#include "objects/GameObject.h"
#include "objects/UnitType.h"
#include "render/GroundPicker.h"
#include "units/Commander.h"

namespace {
constexpr char kCategory[] = "Lead";
constexpr int kShapes = 3;

const char* SideName(int team) { return team == Team::Red ? "red" : "blue"; }
}  // namespace

LeadMode::LeadMode(Game& leadGame, std::shared_ptr<OrderBook> orderBook, int ledTeam)
    : game(leadGame), book(std::move(orderBook)), team(ledTeam) {}

bool LeadMode::OnKey(unsigned char key) {
  if (key == kFormationKey) {
    CycleFormation();
    return true;
  }
  if (key != kFightKey) return false;
  book->Give(HandOrder{});
  notice = "ordered: the General fights";
  return true;
}

LedSide* LeadMode::Side() const { return dynamic_cast<LedSide*>(game.battle->Strategy(team)); }

const GameObject* LeadMode::SelectedSquad() const {
  const GameObject* unit = game.inspector != nullptr ? game.inspector->Selected(*game.battle) : nullptr;
  if (unit == nullptr || unit->team != team) return nullptr;
  if (unit->unitType != UnitType::SquadLeader) unit = game.battle->Find(unit->GetLeaderName());
  return unit != nullptr && unit->unitType == UnitType::SquadLeader ? unit : nullptr;
}

// A follower's name stays among the subordinates only while it lives.
std::vector<const GameObject*> LeadMode::Ringed() const {
  const GameObject* leader = SelectedSquad();
  if (leader == nullptr) return {};
  std::vector<const GameObject*> squad{leader};
  for (const std::string& name : leader->subordinates) {
    if (const GameObject* follower = game.battle->Find(name)) squad.push_back(follower);
  }
  return squad;
}

void LeadMode::CycleFormation() {
  const GameObject* leader = SelectedSquad();
  if (leader == nullptr) {
    notice = "refused: select a squad of " + std::string(SideName(team)) + " first (left click)";
    return;
  }
  int& shape = formations[leader->name];
  shape = (shape + 1) % (kShapes + 1);
  notice = std::string("formation for the next order: ") + HandOrderText::ShapeName(shape);
}

bool LeadMode::OnRightClick(int x, int y) {
  SendTo(x, y);
  return true;
}

// Goals are whole units of ground: the report then gives them back exactly.
bool LeadMode::SendTo(int x, int y) {
  const GameObject* leader = SelectedSquad();
  const LedSide* side = Side();
  Vector3 ground;
  const GroundPicker picker(game.scene.view, game.scene.projection, game.graphics->viewportWidth,
                            game.graphics->viewportHeight);
  if (leader == nullptr) {
    notice = "refused: select a squad of " + std::string(SideName(team)) + " first (left click)";
  } else if (side == nullptr || !side->LeadsLivingSquad(leader->name)) {
    notice = "refused: " + leader->name + " has fallen";
  } else if (!side->HasReported(leader->name)) {
    notice = "refused: " + leader->name + " is still forming up";
  } else if (!picker.Pick(game.battle->terrain, x, y, ground)) {
    notice = "refused: that is off the field";
  } else {
    const auto shape = formations.find(leader->name);
    const HandOrder order{0, leader->name, std::round(ground.x), std::round(ground.z),
                          shape != formations.end() ? shape->second : 0};
    book->Give(order);
    // The step is the General's to stamp: the notice leaves it out.
    notice = "ordered: " + HandOrderText::Format(order).substr(2);
    return true;
  }
  return false;
}

void LeadMode::PostLines() {
  std::ostringstream leading;
  leading << "Leading: " << SideName(team) << " (click a unit, right click sends, " << kFormationKey << " formation, "
          << kFightKey << " General fights)";
  game.graphics->AddHudLine(leading.str(), kCategory);
  const GameObject* leader = SelectedSquad();
  if (leader != nullptr) {
    PostSquadLines(*leader);
  } else {
    game.graphics->AddHudLine("Squad: none selected", kCategory);
  }
  game.graphics->AddHudLine(EnemyGeneralLine(), kCategory);
  const std::string refusal = book->Refusal();
  if (!refusal.empty()) notice = refusal;
  if (!notice.empty()) game.graphics->AddHudLine(notice, kCategory);
}

void LeadMode::PostSquadLines(const GameObject& leader) {
  std::ostringstream squad;
  squad << "Squad: " << leader.name << ", " << leader.subordinates.size() << " followers";
  game.graphics->AddHudLine(squad.str(), kCategory);
  std::string order = "Order: none, holds";
  for (const HandOrder& given : book->Orders(game.battle->BattlesStarted())) {
    if (given.squad == leader.name) order = "Order: " + HandOrderText::Format(given);
  }
  game.graphics->AddHudLine(order, kCategory);
  const auto shape = formations.find(leader.name);
  game.graphics->AddHudLine(std::string("Next formation: ") +
                                HandOrderText::ShapeName(shape != formations.end() ? shape->second : 0) + " (" +
                                static_cast<char>(kFormationKey) + ")",
                            kCategory);
}

// The enemy's script says what it decided last; the built-in General has no words of its own.
std::string LeadMode::EnemyGeneralLine() const {
  const int enemy = team == Team::Red ? Team::Blue : Team::Red;
  std::string line = "Enemy General: " + GeneralChoice::Describe(game.battle->scenario.armies[enemy]);
  if (const Commander* strategy = game.battle->Strategy(enemy)) line += ", " + strategy->LastDecision();
  for (int serial = 0; serial < 2; ++serial) {
    const GameObject* general = game.battle->objects->FindGeneral(serial);
    if (general == nullptr || general->team != enemy) continue;
    line += ", " + std::to_string(general->subordinates.size()) + " squads left";
    if (general->inCombat) line += ", fighting";
  }
  return line;
}
