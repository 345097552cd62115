// The battle as a Python General reads it, field for field what a Lua script's table holds.
#include "app/python/PythonBattleView.h"

#include <stdexcept>

#include "battle/Battle.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "units/SquadLeaderSM.h"
#include "units/SquadType.h"

namespace {
PythonBattleView::General GeneralOf(const GameObject& general) {
  const Vector3& position = general.GetSprite()->position;
  return {general.name, position.x, position.z, static_cast<int>(general.subordinates.size()), general.inCombat};
}
}  // namespace

const GameObject& PythonBattleView::Lent() const {
  if (lentGeneral == nullptr) throw std::runtime_error("the battle can only be read during the call that received it");
  return *lentGeneral;
}

std::string PythonBattleView::Side() const { return Lent().team == Team::Red ? "red" : "blue"; }

double PythonBattleView::Time() const {
  Lent();
  return battle->timer.now - battle->BattleStartedAt();
}

TerrainBounds PythonBattleView::Terrain() const {
  Lent();
  return TerrainBounds(battle->terrain);
}

PythonBattleView::General PythonBattleView::OwnGeneral() const { return GeneralOf(Lent()); }

std::optional<PythonBattleView::General> PythonBattleView::EnemyGeneral() const {
  const GameObject* enemy = EnemyLeader();
  if (enemy == nullptr) return std::nullopt;
  return GeneralOf(*enemy);
}

const GameObject* PythonBattleView::EnemyLeader() const {
  const GameObject& general = Lent();
  for (int serial = 0; serial < 2; ++serial) {
    const GameObject* candidate = battle->objects->FindGeneral(serial);
    if (candidate != nullptr && candidate->team != general.team) return candidate;
  }
  return nullptr;
}

std::vector<PythonBattleView::Squad> PythonBattleView::Squads() const { return SquadsOf(&Lent(), true); }

std::vector<PythonBattleView::Squad> PythonBattleView::Enemies() const { return SquadsOf(EnemyLeader(), false); }

std::vector<PythonBattleView::Squad> PythonBattleView::SquadsOf(const GameObject* leader, bool own) const {
  std::vector<Squad> squads;
  if (leader == nullptr) return squads;
  for (const std::string& name : leader->subordinates) {
    if (const GameObject* squad = battle->Find(name)) squads.push_back(SquadOf(*squad, own));
  }
  return squads;
}

PythonBattleView::Squad PythonBattleView::SquadOf(const GameObject& leader, bool own) const {
  const Vector3& position = leader.GetSprite()->position;
  Squad squad{leader.name,
              std::string(SquadType::NameOf(*battle, leader)),
              position.x,
              position.z,
              static_cast<int>(leader.subordinates.size()),
              leader.inCombat,
              std::nullopt};
  const SquadLeaderSM* machine = SquadLeaderSM::Of(leader);
  if (own && machine != nullptr && machine->orderMode == SquadLeaderSM::OrderMode::MarchToTarget) {
    squad.target = Point{machine->storedTarget.x, machine->storedTarget.z};
  }
  return squad;
}

std::optional<double> PythonBattleView::Height(double x, double z) const {
  const TerrainBounds bounds = Terrain();
  if (bounds.Empty() || !bounds.Holds(x, z)) return std::nullopt;
  return battle->terrain.InterpolatedHeight(static_cast<float>(x), static_cast<float>(z));
}

int PythonBattleView::Rand() const {
  Lent();
  return battle->random.Rand();
}
