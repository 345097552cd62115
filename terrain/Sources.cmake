target_sources(battlesim_core PRIVATE
  terrain/Terrain.cpp
  terrain/PathFinder.cpp
  terrain/OpenList.cpp
  terrain/StepMask.cpp
)
