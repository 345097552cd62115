# The Generals' strategy scripts: the sandbox, the script API and whole scripted battles.
battlesim_test_suite(strategy_tests
  ${CMAKE_SOURCE_DIR}/tests/strategy/LuaStateTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/strategy/StrategyScriptTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/strategy/ScriptedBattleTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/strategy/CommanderSourceTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
)

# A script that does not compile is refused before the first battle: exit 2, one line naming it.
add_test(NAME StrategyScripts.SyntaxErrorIsRefusedBeforeTheFirstBattle
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/strategy/syntax_error_test.sh $<TARGET_FILE:battlesim-headless>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
