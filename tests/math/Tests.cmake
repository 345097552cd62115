battlesim_test_suite(math_tests
  ${CMAKE_SOURCE_DIR}/tests/math/Matrix4Tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/math/Vector3Tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/math/RandomFloatTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/math/PortableMathTests.cpp
)
