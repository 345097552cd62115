battlesim_test_suite(units_tests sim
  ArmyLayoutTest.cpp UnitFactoryTest.cpp GeneralSMTest.cpp SquadLeaderSMTest.cpp FollowerSMTest.cpp AISMTest.cpp
  CombatSMTest.cpp DyingSMTest.cpp ArrowSMTest.cpp)
