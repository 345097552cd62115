battlesim_test_suite(objects_tests
  ${CMAKE_SOURCE_DIR}/tests/support/World.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/ScriptedMachine.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/GameObjectTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/GameObjectManagerTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/objects/RegistryOrderTest.cpp
)

# The grid is checked through the squad leaders' searches, with the battle fixture.
battlesim_test_suite(leader_grid_tests
  ${CMAKE_SOURCE_DIR}/tests/objects/LeaderGridTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)

# The walk and the footsteps need a game but no GL.
battlesim_test_suite(sprite_tests
  ${CMAKE_SOURCE_DIR}/tests/objects/SpriteTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
)
