target_sources(battlesim_core PRIVATE
  render/Sprite.cpp
  render/PngLoader.cpp
)
