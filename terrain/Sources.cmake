target_sources(battlesim_sim PRIVATE
  terrain/Terrain.cpp
  terrain/PathFinder.cpp
  terrain/OpenList.cpp
  terrain/StepMask.cpp
  terrain/TerrainBounds.cpp
)
