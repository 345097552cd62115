# The Generals' strategy scripts: the sandbox, the script API and whole scripted battles.
battlesim_test_suite(strategy_tests
  ${CMAKE_SOURCE_DIR}/tests/strategy/LuaStateTest.cpp
)
