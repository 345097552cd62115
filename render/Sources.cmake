target_sources(battlesim_core PRIVATE
  render/PngLoader.cpp
  render/Sprite.cpp
)
