// General behaviour.
#include "units/GeneralSM.h"

#include <memory>
#include <vector>

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "objects/Sprite.h"
#include "objects/UnitType.h"
#include "statemachine/EventClauses.h"
#include "statemachine/StateArchive.h"
#include "units/AISM.h"
#include "units/ArmyLayout.h"
#include "units/BattleRules.h"
#include "units/Commander.h"
#include "units/SquadLeaderSM.h"
#include "units/UnitFactory.h"

bool GeneralSM::HandleEvent(int event, Message* msg, int blockState, int blockSubstate) {
  switch (EventClauses clauses(*this, event, msg, blockState, blockSubstate); clauses.Block()) {
    case STATE_Initialize:
      return clauses.State("STATE_Initialize")
          .OnEnter([this] {
            if (!armyRaised) RaiseArmy();
            SetState(STATE_Idle);
          })
          .End();
    case STATE_Idle:
      return clauses.State("STATE_Idle")
          .OnUpdate([this] {
            CarryOutGivenOrders();
            FightGeneralWhenArmiesAreGone();
          })
          .OnMessage(MSG_FormationReadyToFight,
                     [this, msg] {
                       reportingLeader = msg->sender;
                       SetState(STATE_GiveOrdersToSquad);
                     })
          .End();
    case STATE_GiveOrdersToSquad:
      return clauses.State("STATE_GiveOrdersToSquad")
          .OnEnter([this] {
            GiveOrders();
            SetState(STATE_Idle);
          })
          .End();
    default: return clauses.Global().OnMessage(MSG_Reset, [this] { RequestRestart(); }).End();
  }
}

void GeneralSM::RaiseArmy() {
  GameObject* general = GetOwner();
  BattleContext& battle = *general->GetBattle();
  const Vector3 position = general->GetSprite()->position;
  const float facing = general->GetSprite()->facing;
  const int squads = battle.Rules().Squads(general->team);
  for (int index = 0; index < squads; ++index) {
    const Vector3 place = battle.Rules().SquadPlace(general->team, index, position);
    GameObject* leader = battle.Rules().Factory().Create(UnitType::SquadLeader, place, facing, general->team);
    general->subordinates.push_back(leader->name);
    leader->SetLeaderName(general->name);
  }
  armyRaised = true;
}

void GeneralSM::FightGeneralWhenArmiesAreGone() {
  GameObject* general = GetOwner();
  BattleContext& battle = *general->GetBattle();
  if (Commander* strategy = battle.Rules().Strategy(general->team); strategy != nullptr && strategy->DecidesWhenToFight()) {
    FightGeneralWhenScriptSays(*strategy);
    return;
  }
  if (!general->subordinates.empty()) return;
  for (int serial = 0; serial < 2; ++serial) {
    GameObject* enemy = battle.objects->FindGeneral(serial);
    if (enemy == nullptr || enemy->team == general->team) continue;
    if (enemy->subordinates.empty()) battle.Rules().Engage(general, enemy);
    return;
  }
}

void GeneralSM::FightGeneralWhenScriptSays(Commander& strategy) {
  GameObject* general = GetOwner();
  bool fights = false;
  if (!strategy.GeneralFights(*general, fights)) {
    if (strategy.Failed()) general->GetBattle()->Rules().ForfeitBattle(general->team, strategy.Failure());
    return;
  }
  if (fights) EngageEnemyGeneral();
}

void GeneralSM::EngageEnemyGeneral() {
  GameObject* general = GetOwner();
  BattleContext& battle = *general->GetBattle();
  for (int serial = 0; serial < 2; ++serial) {
    GameObject* enemy = battle.objects->FindGeneral(serial);
    if (enemy == nullptr || enemy->team == general->team) continue;
    battle.Rules().Engage(general, enemy);
    return;
  }
}

bool GeneralSM::ChooseGoal(const SquadLeaderSM& squadLeader, const GameObject* firstFollower, Vector3& goal) const {
  const int sign = GetOwner()->team == Team::Red ? 1 : -1;
  BattleContext& battle = *GetOwner()->GetBattle();
  switch (squadLeader.orderMode) {
    case SquadLeaderSM::OrderMode::MarchToTarget: goal = squadLeader.storedTarget; return true;
    case SquadLeaderSM::OrderMode::GeneralPicksPoint:
    case SquadLeaderSM::OrderMode::Deploy: {
      goal.y = 0.0f;
      if (firstFollower != nullptr && firstFollower->unitType == UnitType::Archer) {
        goal.z = kArcherLine * static_cast<float>(sign);
      } else {
        goal.z = static_cast<float>((battle.random.Rand() * sign) % 10);
      }
      // Sideways within the middle half of the terrain; an empty terrain has no width to divide
      // by, so the goal is then centred.
      const int half = battle.terrain.width / 2;
      const int draw = battle.random.Rand();
      goal.x = half > 0 ? static_cast<float>(draw % half - half / 2) : 0.0f;
      return true;
    }
    default: return false;
  }
}

void GeneralSM::GiveOrders() {
  const BattleContext& battle = *GetOwner()->GetBattle();
  GameObject* leader = battle.Find(reportingLeader);
  if (leader == nullptr) return;
  SquadLeaderSM* squadLeader = SquadLeaderSM::Of(*leader);
  if (squadLeader == nullptr) return;
  const std::vector<std::string> followers = leader->subordinates;
  const GameObject* firstFollower = followers.empty() ? nullptr : battle.Find(followers.front());
  Vector3 goal;
  if (Commander* strategy = battle.Rules().Strategy(GetOwner()->team)) {
    if (!ScriptedGoal(*strategy, *leader, *squadLeader, goal)) return;
  } else if (!ChooseGoal(*squadLeader, firstFollower, goal)) {
    return;
  }
  leader->PushMachine(std::make_unique<AISM>(leader, goal.x, goal.y, goal.z), true);
}

// A squad on the march is turned to the new goal rather than sent on when it arrives: a march
// left under the new one would resume once it ended.
void GeneralSM::MarchSquad(GameObject& leader, const Vector3& goal) {
  auto march = std::make_unique<AISM>(&leader, goal.x, goal.y, goal.z);
  if (dynamic_cast<AISM*>(leader.TopMachine()) != nullptr) {
    leader.DropMachineCommand();
    leader.ReplaceMachine(std::move(march));
  } else {
    leader.PushMachine(std::move(march), true);
  }
}

// The commander has checked that each order's squad leads a living squad of this side.
void GeneralSM::CarryOutGivenOrders() {
  GameObject* general = GetOwner();
  const BattleContext& battle = *general->GetBattle();
  Commander* strategy = battle.Rules().Strategy(general->team);
  if (strategy == nullptr) return;
  HandOrder order;
  while (strategy->OrderGivenNow(*general, order)) {
    // The word to fight is the commander's to keep: it answers GeneralFights from now on.
    if (order.IsFight()) continue;
    GameObject* leader = battle.Find(order.squad);
    SquadLeaderSM* squadLeader = leader != nullptr ? SquadLeaderSM::Of(*leader) : nullptr;
    if (squadLeader == nullptr || leader->dying) continue;
    if (order.formation != 0) {
      squadLeader->formation.Reshape(static_cast<Formation::Shape>(order.formation));
      leader->formationKind = order.formation;
    }
    MarchSquad(*leader, Vector3(order.x, 0.0f, order.z));
  }
  if (strategy->Failed()) battle.Rules().ForfeitBattle(general->team, strategy->Failure());
}

// A new shape takes effect at once: the march turns the formation to its first way-point.
bool GeneralSM::ScriptedGoal(Commander& strategy, GameObject& leader, SquadLeaderSM& squadLeader, Vector3& goal) {
  const SquadOrder order = strategy.OnSquadReady(*GetOwner(), leader);
  if (order.kind == SquadOrder::Kind::Failed) {
    GetOwner()->GetBattle()->Rules().ForfeitBattle(GetOwner()->team, strategy.Failure());
    return false;
  }
  if (order.kind == SquadOrder::Kind::Hold) return false;
  if (order.formation != 0) {
    squadLeader.formation.Reshape(static_cast<Formation::Shape>(order.formation));
    leader.formationKind = order.formation;
  }
  goal = Vector3(order.x, 0.0f, order.z);
  return true;
}

void GeneralSM::WalkOwn(StateArchive& archive) {
  archive.Text("general.reportingLeader", reportingLeader);
  archive.Flag("general.armyRaised", armyRaised);
}
