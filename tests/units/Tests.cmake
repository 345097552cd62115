battlesim_test_suite(units_tests
  ${CMAKE_SOURCE_DIR}/tests/units/ArmyLayoutTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/FormationTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/GeneralSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/SquadLeaderSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/FollowerSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/AISMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/CombatSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/DyingSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/units/ArrowSMTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)

# The factory lives in objects/, whose suite belongs to the engine tests; it is tested here with
# the battle fixture.
battlesim_test_suite(unit_factory_tests
  ${CMAKE_SOURCE_DIR}/tests/objects/UnitFactoryTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)
