battlesim_test_suite(terrain_tests
  ${CMAKE_SOURCE_DIR}/tests/terrain/TerrainTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/terrain/TerrainFileTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/terrain/PathFinderTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/terrain/PathFinderReferenceTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
)
