battlesim_test_suite(app_tests
  ${CMAKE_SOURCE_DIR}/tests/app/GameTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/BattleTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/HeadlessRunnerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)
