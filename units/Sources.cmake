target_sources(battlesim_sim PRIVATE
  units/ArmyLayout.cpp
  units/SquadMemberEvents.cpp
  units/SquadType.cpp
  units/FollowerSM.cpp
  units/SquadLeaderSM.cpp
  units/GeneralSM.cpp
  units/GeneralAnswer.cpp
  units/AISM.cpp
  units/CombatSM.cpp
  units/DyingSM.cpp
  units/BloodSM.cpp
  units/ArrowSM.cpp
  units/UnitFactory.cpp
  units/MachineKinds.cpp
)
