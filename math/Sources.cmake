target_sources(battlesim_sim PRIVATE
  math/Matrix4.cpp
  math/RandomFloat.cpp
  math/PortableMath.cpp
)
