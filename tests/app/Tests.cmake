battlesim_test_suite(app_tests
  ${CMAKE_SOURCE_DIR}/tests/app/InputTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/GameFrameTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
)
