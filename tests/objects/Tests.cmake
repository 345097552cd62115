battlesim_test_suite(objects_tests sim
  GameObjectTests.cpp GameObjectManagerTests.cpp RegistryOrderTest.cpp LeaderGridTest.cpp SpriteTest.cpp
  FormationTest.cpp WalkForesightTest.cpp)
