# The battle rules and whole battles, on the battle fixture.
battlesim_test_suite(battle_tests
  ${CMAKE_SOURCE_DIR}/tests/battle/BattleRulesTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/battle/WholeBattleTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/battle/BattleFingerprintTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/battle/BattleCopyTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)
