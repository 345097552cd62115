battlesim_test_suite(render_tests
  ${CMAKE_SOURCE_DIR}/tests/render/PngLoaderTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
)
