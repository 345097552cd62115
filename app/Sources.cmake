target_sources(battlesim_lab PRIVATE
  app/HeadlessRunner.cpp
  app/StepHistogram.cpp
  app/setup/ScenarioFile.cpp
  app/BattleRecorder.cpp
  app/BattleReport.cpp
  app/SimulationPace.cpp
  app/WinRate.cpp
  app/setup/UnitCount.cpp
  app/setup/SeedRange.cpp
  app/SeedStudy.cpp
  app/SeedWorkers.cpp
  app/QuietDebugChannel.cpp
  app/JsonFields.cpp
  app/JsonLine.cpp
  app/ShardMerge.cpp
  app/BattleVerifier.cpp
  app/StudyIdentity.cpp
  app/CommandLine.cpp
  app/setup/MissingFiles.cpp
  app/UnitTrace.cpp
  app/Sprt.cpp
  app/TournamentTable.cpp
  app/TournamentIdentity.cpp
  app/Tournament.cpp
  app/TournamentMerge.cpp
  app/setup/GeneralChoice.cpp
  app/WindowReport.cpp
)
target_sources(battlesim_window PRIVATE
  app/Game.cpp
  app/Input.cpp
  app/GameWindow.cpp
  app/UnitInspector.cpp
  app/BattleScrubber.cpp
  app/BattleCheckpoints.cpp
  app/RunCourse.cpp
)
# The version a study's summary records; only this file needs it.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/StudyIdentity.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             BATTLESIM_VERSION="${PROJECT_VERSION}")
