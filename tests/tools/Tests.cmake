battlesim_test_suite(tools_tests
  ${CMAKE_SOURCE_DIR}/tests/tools/TextureSetTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/HeightMapPainterTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/LargeFieldPainterTest.cpp
)
target_link_libraries(tools_tests PRIVATE battlesim_texture_painter)
