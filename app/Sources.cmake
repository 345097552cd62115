target_sources(battlesim_core PRIVATE
  app/Timer.cpp
  app/Game.cpp
  app/Input.cpp
  app/HeadlessRunner.cpp
  app/StepHistogram.cpp
  app/ScenarioFile.cpp
  app/GameWindow.cpp
)
