target_sources(battlesim_sim PRIVATE
  math/Vector3.cpp
  math/Matrix4.cpp
  math/RandomFloat.cpp
  math/PortableMath.cpp
)
