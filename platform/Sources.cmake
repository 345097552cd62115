target_sources(battlesim_sim PRIVATE
  platform/TickCounter.cpp
  platform/Timer.cpp
  platform/DebugChannel.cpp
  platform/ProcessMemory.cpp
  platform/Interrupt.cpp
  platform/FileDiagnosis.cpp
  platform/DataFiles.cpp
  platform/PngPixels.cpp
)

# Writing PNG files, which neither program does: for the image tool and the tests only, so it is a
# library of its own and the simulation does not carry it.
add_library(battlesim_png_writer STATIC platform/PngWriter.cpp)
target_include_directories(battlesim_png_writer PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(battlesim_png_writer PUBLIC PNG::PNG)
