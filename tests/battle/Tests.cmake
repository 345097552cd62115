# The battle rules and whole battles.
battlesim_test_suite(battle_tests sim
  BattleRulesTest.cpp WholeBattleTest.cpp BattleFingerprintTest.cpp BattleCopyTest.cpp TwoThreadStepTest.cpp BattleFileTest.cpp)
