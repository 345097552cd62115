battlesim_test_suite(objects_tests
  ${CMAKE_SOURCE_DIR}/tests/support/World.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/ScriptedMachine.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/GameObjectTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/GameObjectManagerTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/RegistryOrderTest.cpp
)
