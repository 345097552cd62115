// Each kind's name, as its Kind() gives it, and how a blank one is made.
#include "units/MachineKinds.h"

#include "units/AISM.h"
#include "units/ArrowSM.h"
#include "units/BloodSM.h"
#include "units/CombatSM.h"
#include "units/DyingSM.h"
#include "units/FollowerSM.h"
#include "units/GeneralSM.h"
#include "units/SquadLeaderSM.h"
#include "units/SquadMemberSM.h"

namespace {
template <class Machine>
std::unique_ptr<StateMachine> Blank(GameObject* owner) {
  return std::make_unique<Machine>(owner);
}

struct Kind {
  std::string_view name;
  std::unique_ptr<StateMachine> (*make)(GameObject* owner);
};

// A march's target and a leader's formation are among the fields read next.
constexpr Kind kKinds[] = {
    {"SoldierSM", &Blank<SoldierSM>},
    {"ArcherSM", &Blank<ArcherSM>},
    {"BerserkerSM", &Blank<BerserkerSM>},
    {"FollowerSM", &Blank<FollowerSM>},
    {"CombatSM", &Blank<CombatSM>},
    {"DyingSM", &Blank<DyingSM>},
    {"BloodSM", &Blank<BloodSM>},
    {"ArrowSM", &Blank<ArrowSM>},
    {"GeneralSM", &Blank<GeneralSM>},
    {"SquadLeaderSM",
     [](GameObject* owner) -> std::unique_ptr<StateMachine> {
       return std::make_unique<SquadLeaderSM>(owner, SquadLeaderSM::Restored{});
     }},
    {"AISM", [](GameObject* owner) -> std::unique_ptr<StateMachine> { return std::make_unique<AISM>(owner, 0.0f, 0.0f, 0.0f); }},
};
}  // namespace

std::unique_ptr<StateMachine> MachineKinds::Make(std::string_view kind, GameObject* owner) const {
  for (const Kind& known : kKinds) {
    if (known.name == kind) return known.make(owner);
  }
  return nullptr;
}
