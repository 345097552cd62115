target_sources(battlesim_core PRIVATE
  math/Vector3.cpp
  math/Matrix4.cpp
  math/RandomFloat.cpp
)
