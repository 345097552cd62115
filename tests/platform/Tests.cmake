battlesim_test_suite(platform_tests sim
  RandomTests.cpp TickCounterTests.cpp TimerTests.cpp DebugChannelTests.cpp PngPixelsTest.cpp)
