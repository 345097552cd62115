# Each on a fresh GL context's state: what the renderer's suite leaves behind would tint them.
battlesim_test_suite(render_tests window PngLoaderTest.cpp TerrainDrawingTest.cpp)

battlesim_test_suite(renderer_tests window
  HudPanelTest.cpp GraphicsTest.cpp LightingTest.cpp TextureManagerTest.cpp BillboardDrawTest.cpp
  BillboardSchedulerTest.cpp BillboardProjectionTest.cpp)

# What lies under the pointer and the billboards' depth order: arithmetic only, no GL context.
battlesim_test_suite(picking_tests window BillboardPickerTest.cpp DepthKeySortTest.cpp)
