# The Generals' strategy scripts: the sandbox and the script API.
battlesim_test_suite(strategy_tests sim LuaStateTest.cpp StrategyScriptTest.cpp CommanderSourceTest.cpp)
# Whole scripted battles, run and reported as the headless program does.
battlesim_test_suite(scripted_battle_tests lab ScriptedBattleTest.cpp)

# A script that does not compile is refused before the first battle: exit 2, one line naming it.
add_test(NAME StrategyScripts.SyntaxErrorIsRefusedBeforeTheFirstBattle
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/strategy/syntax_error_test.sh $<TARGET_FILE:battlesim-headless>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
