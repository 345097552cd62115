# Each on a fresh GL context's state: what the renderer's suite leaves behind would tint them.
battlesim_test_suite(render_tests
  ${CMAKE_SOURCE_DIR}/tests/render/PngLoaderTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/TerrainDrawingTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
)

battlesim_test_suite(renderer_tests
  ${CMAKE_SOURCE_DIR}/tests/render/HudPanelTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/GraphicsTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/LightingTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/TextureManagerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/BillboardDrawTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/BillboardSchedulerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/BillboardProjectionTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
)

# What lies under the pointer and the billboards' depth order: arithmetic only, no GL.
battlesim_test_suite(picking_tests
  ${CMAKE_SOURCE_DIR}/tests/render/BillboardPickerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/render/DepthKeySortTest.cpp
)
