// A General: raises its squad leaders once (five in the built-in battle), then gives each squad that reports ready a march
// order, and fights the enemy General itself when both armies have lost all their squads. A side's
// strategy script, when it has one, makes both decisions instead.
#pragma once

#include <string>

#include "math/Vector3.h"
#include "statemachine/StateMachine.h"

class SquadLeaderSM;
class Commander;

class GeneralSM : public StateMachine {
 public:
  enum State : int { STATE_Initialize = 0, STATE_GiveOrdersToSquad = 2, STATE_Idle = 3 };
  // Archer squads halt this far from the middle line on their own side.
  static constexpr float kArcherLine = 15.0f;

  using StateMachine::StateMachine;
  bool HandleEvent(int event, Message* msg, int blockState, int blockSubstate) override;
  const char* Kind() const override { return "GeneralSM"; }

  // Where a squad is sent, by its leader's order mode; false when no order is given.
  bool ChooseGoal(const SquadLeaderSM& squadLeader, const GameObject* firstFollower, Vector3& goal) const;

  std::string reportingLeader;
  bool armyRaised = false;

 private:
  void WalkOwn(StateArchive& archive) override;
  void RaiseArmy();
  void FightGeneralWhenArmiesAreGone();
  void FightGeneralWhenScriptSays(Commander& strategy);
  void EngageEnemyGeneral();
  void GiveOrders();
  // Orders the side's commander gives unasked at this step, carried out in the order given.
  void CarryOutGivenOrders();
  void MarchSquad(GameObject& leader, const Vector3& goal);
  // The script's order for the squad; false when it gives none.
  bool ScriptedGoal(Commander& strategy, GameObject& leader, SquadLeaderSM& squadLeader, Vector3& goal);
};
