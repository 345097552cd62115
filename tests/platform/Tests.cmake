battlesim_test_suite(platform_tests
  ${CMAKE_SOURCE_DIR}/tests/platform/RandomTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/TickCounterTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/TimerTests.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/DebugChannelTests.cpp
)
