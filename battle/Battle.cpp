// The battle rules: how a battle starts, how duels are started and decided, how a battle ends and
// the next begins, and the step of the world.
#include "battle/Battle.h"

#include <utility>

#include "battle/BattleFileReader.h"
#include "battle/BattleFileWriter.h"
#include "battle/BattleFingerprint.h"
#include "battle/CommanderSource.h"
#include "math/RandomFloat.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "statemachine/StateArchive.h"
#include "strategy/StrategyScript.h"
#include "units/ArmyLayout.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"
#include "units/MachineKinds.h"

namespace {
constexpr float kHigherGround = 0.05f;
constexpr float kShortestDuel = 2.0f;
constexpr float kDuelSpread = 3.0f;

constexpr int kMemberTypeCycle[3] = {UnitType::Berserker, UnitType::Archer, UnitType::Soldier};

const DuelTables kBuiltInTables;

float TypeAdvantage(const DuelTables& tables, int attacker, int defender) {
  const bool fighting = attacker >= 0 && attacker < 5 && defender >= 0 && defender < 5;
  return fighting ? tables.typeAdvantage[attacker][defender] : 0.0f;
}

float FormationAdvantage(const DuelTables& tables, int attacker, int defender) {
  const bool shaped = attacker >= 1 && attacker <= 3 && defender >= 1 && defender <= 3;
  return shaped ? tables.formationAdvantage[attacker - 1][defender - 1] : 0.0f;
}

std::size_t Side(int team) { return team == Team::Red ? 0 : 1; }
}  // namespace

Battle::Battle(Scenario battleSetup, unsigned seed)
    : BattleContext(seed, *this), scenario(std::move(battleSetup)), factory(*this) {
  terrain.Load(scenario.heightMap, true);
  terrain.Scale(scenario.low, scenario.high);
  pathFinder = std::make_unique<PathFinder>(terrain);
}

Battle::Battle(const Battle& original, CopyTag)
    : BattleContext(original, *this), scenario(original.scenario), factory(*this) {}

// The battle's walk written and read back: the copy holds what a battle file would, and nothing
// else of the original, so it cannot drift from what the fingerprint covers.
std::unique_ptr<Battle> Battle::Copy() const {
  if (LedByStrategy()) return nullptr;
  std::string bytes;
  BattleFileWriter writer(bytes);
  const_cast<Battle&>(*this).Walk(writer);
  if (!writer.Good()) return nullptr;
  std::unique_ptr<Battle> copy(new Battle(*this, CopyTag{}));
  BattleFileReader reader(bytes);
  copy->Walk(reader);
  if (!reader.Good() || !reader.AtEnd()) return nullptr;
  return copy;
}

// The clock's start tick is the wall clock's and is left out: the same battle starts at any time.
void Battle::Walk(StateArchive& archive) {
  static const MachineKinds kinds;
  archive.Place("battle", "");
  std::uint32_t generator = random.State();
  archive.Word("random generator", generator);
  random.Seed(generator);
  archive.Float("timer.now", timer.now);
  archive.Float("timer.delta", timer.delta);
  WalkCounters(archive);
  factory.Walk(archive);
  objects->Walk(archive, *this, &kinds);
  WalkDuels(archive);
  router->Walk(archive);
}

namespace {
void WalkForfeit(StateArchive& archive, const char* name, Forfeit& forfeit) {
  archive.Int(name, forfeit.battle);
  archive.Int(name, forfeit.team);
  archive.Words(name, forfeit.reason);
}

void WalkTypes(StateArchive& archive, const char* name, std::vector<int>& types) {
  archive.Size(name, types, 4);
  for (int& type : types) archive.Index(name, type, 0, 2);
}
}  // namespace

void Battle::WalkCounters(StateArchive& archive) {
  archive.Int("battlesStarted", battlesStarted);
  archive.Int("redWins", redWins);
  archive.Int("blueWins", blueWins);
  archive.Int("casualties", casualties);
  for (int& killed : kills) archive.Int("kills by type", killed);
  archive.Int("state changes", traceLog->stateChanges);
  archive.Wide("endFingerprint", endFingerprint);
  archive.Float("battleStartedAt", battleStartedAt);
  auto steps = static_cast<std::uint64_t>(stepOfBattle);
  archive.Wide("stepOfBattle", steps);
  stepOfBattle = static_cast<long long>(steps);
  WalkForfeit(archive, "lastForfeit", lastForfeit);
  WalkForfeit(archive, "pendingForfeit", pendingForfeit);
  for (std::vector<int>& types : endSquadTypes) WalkTypes(archive, "endSquadTypes", types);
  archive.Index("nextMemberTypeIndex", nextMemberTypeIndex, 0, 2);
  for (int& raised : squadsRaised) archive.Int("squadsRaised", raised);
  for (std::vector<int>& types : squadTypes) WalkTypes(archive, "squadTypes", types);
  archive.Flag("bloodEnabled", bloodEnabled);
}

void Battle::WalkDuels(StateArchive& archive) {
  archive.Place("battle", "");
  archive.Size("duels", duels, 12);
  for (Duel& duel : duels) {
    archive.Text("duel.attackerName", duel.attackerName);
    archive.Text("duel.defenderName", duel.defenderName);
    archive.Float("duel.timeLeft", duel.timeLeft);
  }
}

// The objects go first, before the rules' own parts too: their machines and handles reach into the
// rest while they are destroyed.
Battle::~Battle() { objects.reset(); }

Vector3 Battle::GeneralPlace(int team) const {
  const ArmySetup& army = scenario.armies[Side(team)];
  if (army.generalPlaced) return Vector3(army.generalX, 0.0f, army.generalZ);
  return Vector3(0.0f, 0.0f, team == Team::Red ? ArmyLayout::kGeneralDistance : -ArmyLayout::kGeneralDistance);
}

void Battle::StartBattle() {
  ++battlesStarted;
  battleStartedAt = timer.now;
  stepOfBattle = 0;
  squadsRaised = {};
  squadTypes = {};
  LoadStrategies();
  // The facing is the float 3.14, not pi: the red army's billboards face the blue army's.
  factory.Create(UnitType::General, GeneralPlace(Team::Red), 3.14f, Team::Red);
  factory.Create(UnitType::General, GeneralPlace(Team::Blue), 0.0f, Team::Blue);
}

// The ended battle's duels and queued messages go with its units: the next battle's units carry
// the same names, and would otherwise be drawn into duels they never fought (leaving combat they
// were never in, which miscounts their squads' ready followers) or receive the old battle's
// messages. The dying General calls this while the router delivers, never while duels resolve.
void Battle::EndBattle(int deadGeneralTeam) {
  endFingerprint = BattleFingerprint::Of(*this);
  if (endWatcher != nullptr) endWatcher->BattleEnding(*this);
  endSquadTypes = squadTypes;
  lastForfeit = {};
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

// A script that loaded before the first battle may still fail later (the file gone, or a top
// level that draws differently): the side then forfeits this battle.
void Battle::LoadStrategies() {
  pendingForfeit = {};
  for (std::size_t side = 0; side < strategies.size(); ++side) {
    strategies[side].reset();
    const ArmySetup& army = scenario.armies[side];
    const int team = side == 0 ? Team::Red : Team::Blue;
    if (army.commander != nullptr) {
      strategies[side] = army.commander->ForBattle(*this, team);
      if (strategies[side]->Failed()) ForfeitBattle(team, strategies[side]->Failure());
      continue;
    }
    if (army.general.empty()) continue;
    auto script = std::make_unique<StrategyScript>(*this, team);
    std::string error;
    if (!script->Load(army.general, error) && script->Failed()) ForfeitBattle(team, error);
    strategies[side] = std::move(script);
  }
}

bool Battle::LeaderKeepsState() const {
  for (const std::unique_ptr<Commander>& strategy : strategies) {
    if (strategy != nullptr && !strategy->KeepsNoState()) return true;
  }
  return false;
}

void Battle::LeadAgain(std::size_t side, std::unique_ptr<Commander> leader) { strategies.at(side) = std::move(leader); }

Commander* Battle::Strategy(int team) const { return strategies[Side(team)].get(); }

void Battle::ForfeitBattle(int team, const std::string& reason) {
  if (pendingForfeit.team >= 0) return;
  pendingForfeit = {battlesStarted, team, reason};
}

void Battle::ResetBattle() {
  EndBattle(Team::Red);
  --blueWins;
}

void Battle::CountKill(int killerType) {
  if (killerType >= 0 && killerType < UnitType::kFighters) ++kills[static_cast<std::size_t>(killerType)];
  ++casualties;
}

int Battle::TakeMemberType(int team) {
  const ArmySetup& army = scenario.armies[Side(team)];
  const int squadIndex = squadsRaised[Side(team)]++;
  int type = 0;
  if (!army.memberTypes.empty()) {
    type = army.memberTypes[static_cast<std::size_t>(squadIndex) % army.memberTypes.size()];
  } else {
    type = kMemberTypeCycle[nextMemberTypeIndex];
    nextMemberTypeIndex = (nextMemberTypeIndex + 1) % 3;
  }
  squadTypes[Side(team)].push_back(type);
  return type;
}

int Battle::Squads(int team) const { return scenario.armies[Side(team)].squads; }

int Battle::Followers(int team) const {
  const ArmySetup& army = scenario.armies[Side(team)];
  const int counted = squadsRaised[Side(team)] - 1;
  if (army.placed.empty() || counted < 0) return army.followers;
  return army.placed[static_cast<std::size_t>(counted) % army.placed.size()].followers;
}

Vector3 Battle::SquadPlace(int team, int index, const Vector3& general) const {
  const ArmySetup& army = scenario.armies[Side(team)];
  if (army.placed.empty()) return ArmyLayout::SquadPlace(team, index, general, terrain.width);
  const PlacedSquad& placed = army.placed[static_cast<std::size_t>(index) % army.placed.size()];
  return Vector3(placed.x, general.y, placed.z);
}

int Battle::SquadFormation(int team) const {
  const ArmySetup& army = scenario.armies[Side(team)];
  const int counted = squadsRaised[Side(team)] - 1;
  if (army.placed.empty() || counted < 0) return 0;
  return army.placed[static_cast<std::size_t>(counted) % army.placed.size()].formation;
}

int Battle::PeekNextMemberType() const { return kMemberTypeCycle[nextMemberTypeIndex]; }

const std::vector<int>& Battle::SquadTypes(int team) const { return squadTypes[Side(team)]; }

const std::vector<int>& Battle::EndSquadTypes(int team) const { return endSquadTypes[Side(team)]; }

void Battle::Engage(GameObject* a, GameObject* b) {
  // Drawn before any check, so that a refused duel uses up its random number as well.
  const float length = kDuelSpread * RandomFloat(random) + kShortestDuel;
  if (a == nullptr || b == nullptr || a->dying || b->dying) return;
  Duel duel{a->name, b->name, length};
  for (GameObject* duellist : {a, b}) {
    duellist->SetInCombat(true);
    if (duellist->FindMachine<CombatSM>() == nullptr) {
      duellist->PushMachine(std::make_unique<CombatSM>(duellist), true);
    }
  }
  a->targetName = b->name;
  b->targetName = a->name;
  duels.push_back(std::move(duel));
}

// The running duels stay in the order they started, the decided ones closed up. Resolving may
// start new duels (a winner's restarted squad leader looks around at once): they are added at the
// end, and the walk goes on into them. A large battle runs tens of thousands of duels, so they lie
// side by side rather than one allocation each.
void Battle::UpdateDuels(float dt) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < duels.size(); ++i) {
    duels[i].timeLeft -= dt;
    if (duels[i].timeLeft < 0.0f) {
      // Taken out first: a duel started while it resolves may move the others.
      const Duel decided = std::move(duels[i]);
      ResolveDuel(decided);
    } else {
      if (kept != i) duels[kept] = std::move(duels[i]);
      ++kept;
    }
  }
  duels.resize(kept);
}

float Battle::DuelThreshold(const GameObject& attacker, const GameObject& defender, const DuelTables& tables) {
  const bool defenderLower = defender.GetSprite()->position.y < attacker.GetSprite()->position.y;
  return 0.5f + TypeAdvantage(tables, attacker.unitType, defender.unitType) +
         FormationAdvantage(tables, attacker.formationKind, defender.formationKind) +
         (defenderLower ? kHigherGround : -kHigherGround);
}

float Battle::DuelThreshold(const GameObject& attacker, const GameObject& defender) {
  return DuelThreshold(attacker, defender, kBuiltInTables);
}

void Battle::ResolveDuel(const Duel& duel) {
  GameObject* attacker = objects->Find(duel.attackerName);
  GameObject* defender = objects->Find(duel.defenderName);
  if (attacker == nullptr || defender == nullptr) {
    if (attacker != nullptr) LeaveCombat(*attacker);
    if (defender != nullptr) LeaveCombat(*defender);
    return;
  }
  const float threshold = DuelThreshold(*attacker, *defender, scenario.duel);
  const float draw = RandomFloat(random);
  if (draw < threshold && attacker->IsInRangeOf(*defender)) {
    Kill(*attacker, *defender);
  } else if (draw >= threshold && defender->IsInRangeOf(*attacker)) {
    Kill(*defender, *attacker);
  } else {
    attacker->SetInCombat(false);
    defender->SetInCombat(false);
    for (GameObject* duellist : {attacker, defender}) {
      if (!duellist->dying && duellist->FindMachine<CombatSM>() != nullptr) duellist->PopMachine();
    }
  }
}

void Battle::LeaveCombat(GameObject& unit) {
  unit.SetInCombat(false);
  if (!unit.dying && unit.FindMachine<CombatSM>() != nullptr) unit.PopMachine();
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
void Battle::Kill(GameObject& winner, GameObject& loser) {
  LeaveCombat(winner);
  if (loser.dying) return;
  CountKill(winner.unitType);
  loser.DropMachineCommand();
  router->CancelScoped(loser.name);
  loser.ReplaceMachine(std::make_unique<DyingSM>(&loser));
}

// A forfeit of a battle that started within this step (its script failed to load again) waits
// for the next step: every battle runs at least one step, which its report counts.
float Battle::RunSimulationStep() {
  const int battleOfStep = battlesStarted;
  ++stepOfBattle;
  float dt = timer.delta;
  if (dt > kLongestStep) dt = kLongestStep;
  objects->Update(dt, walkForesight.get());
  UpdateDuels(dt);
  router->DeliverDue();
  if (pendingForfeit.team >= 0 && pendingForfeit.battle == battleOfStep) {
    const Forfeit forfeit = pendingForfeit;
    EndBattle(forfeit.team);
    lastForfeit = forfeit;
  }
  return dt;
}
