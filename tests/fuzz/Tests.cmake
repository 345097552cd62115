battlesim_test_suite(fuzz_regression_tests
  ${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzRegressionTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzTargets.cpp
  ${CMAKE_SOURCE_DIR}/tests/fuzz/PngChunkFramingTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
)
