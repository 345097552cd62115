# The image generator: paints the runtime images with libpng alone, no GL.
add_library(battlesim_texture_painter STATIC
  tools/BillboardPainter.cpp
  tools/Canvas.cpp
  tools/FixedNoise.cpp
  tools/HeightMapPainter.cpp
  tools/PixelBytes.cpp
  tools/HillMapPainter.cpp
  tools/LargeFieldPainter.cpp
  tools/Shapes.cpp
  tools/TextureSet.cpp
)
target_include_directories(battlesim_texture_painter PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(battlesim_texture_painter PUBLIC battlesim_png_writer)

add_executable(make-textures tools/MakeTextures.cpp)
target_link_libraries(make-textures PRIVATE battlesim_texture_painter)
