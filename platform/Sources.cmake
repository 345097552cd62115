target_sources(battlesim_core PRIVATE
  platform/TickCounter.cpp
  platform/DebugChannel.cpp
  platform/Random.cpp
  platform/ProcessMemory.cpp
  platform/Interrupt.cpp
  platform/FileDiagnosis.cpp
  platform/DataFiles.cpp
  platform/PngPixels.cpp
)
