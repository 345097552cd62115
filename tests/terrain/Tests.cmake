battlesim_test_suite(terrain_tests sim
  TerrainTest.cpp TerrainFileTest.cpp PathFinderTest.cpp PathFinderReferenceTest.cpp)
