// Naming a squad by its followers.
#include "units/SquadType.h"

#include "objects/BattleContext.h"
#include "objects/GameObject.h"
#include "units/SquadLeaderSM.h"

std::string_view SquadType::NameOf(const BattleContext& battle, const GameObject& leader) {
  int type = -1;
  const GameObject* first = leader.subordinates.empty() ? nullptr : battle.Find(leader.subordinates.front());
  if (first != nullptr) {
    type = first->unitType;
  } else if (const SquadLeaderSM* machine = SquadLeaderSM::Of(leader)) {
    type = machine->memberType;
  }
  return type >= 0 && type < static_cast<int>(kNames.size()) ? kNames[static_cast<std::size_t>(type)] : "unknown";
}
