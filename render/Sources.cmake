target_sources(battlesim_window PRIVATE
  render/SpriteQuad.cpp
  render/BillboardBatch.cpp
  render/BillboardRenderer.cpp
  render/BillboardScheduler.cpp
  render/BillboardProjection.cpp
  render/DepthKeySort.cpp
  render/PngLoader.cpp
  render/Graphics.cpp
  render/HudPanel.cpp
  render/SceneMatrices.cpp
  render/Lighting.cpp
  render/TextureManager.cpp
  render/BillboardPicker.cpp
  render/TerrainDrawing.cpp
  render/TerrainArrays.cpp
  render/InspectorOverlay.cpp
)
