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
