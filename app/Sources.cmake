target_sources(battlesim_core PRIVATE
  app/Timer.cpp
  app/Game.cpp
  app/Input.cpp
  app/HeadlessRunner.cpp
  app/StepHistogram.cpp
  app/ScenarioFile.cpp
  app/BattleRecorder.cpp
  app/BattleReport.cpp
  app/SimulationPace.cpp
  app/WinRate.cpp
  app/CommandLine.cpp
  app/MissingFiles.cpp
  app/GameWindow.cpp
  app/UnitTrace.cpp
  app/BattleTimeline.cpp
  app/UnitInspector.cpp
)
