target_sources(battlesim_lab PRIVATE
  app/run/HeadlessRunner.cpp
  app/run/RunSummary.cpp
  app/run/KillTotals.cpp
  app/run/FixedDecimals.cpp
  app/run/StepHistogram.cpp
  app/setup/ScenarioFile.cpp
  app/setup/BattleSetup.cpp
  app/run/BattleRecorder.cpp
  app/run/BattleReport.cpp
  app/window/SimulationPace.cpp
  app/run/WinRate.cpp
  app/setup/UnitCount.cpp
  app/setup/SeedRange.cpp
  app/study/SeedStudy.cpp
  app/study/SeedWorkers.cpp
  app/run/QuietDebugChannel.cpp
  app/study/JsonFields.cpp
  app/study/JsonLine.cpp
  app/study/ShardMerge.cpp
  app/study/ShardsRead.cpp
  app/verify/BattleVerifier.cpp
  app/run/StudyIdentity.cpp
  app/CommandLine.cpp
  app/setup/MissingFiles.cpp
  app/run/UnitTrace.cpp
  app/tournament/Sprt.cpp
  app/tournament/TournamentTable.cpp
  app/tournament/TournamentIdentity.cpp
  app/tournament/Tournament.cpp
  app/tournament/TournamentMerge.cpp
  app/setup/GeneralChoice.cpp
  app/window/WindowReport.cpp
)
target_sources(battlesim_window PRIVATE
  app/window/Game.cpp
  app/window/Input.cpp
  app/window/GameWindow.cpp
  app/window/UnitInspector.cpp
  app/window/BattleScrubber.cpp
  app/window/BattleCheckpoints.cpp
  app/window/RunCourse.cpp
)
# The version a study's summary records; only this file needs it.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/run/StudyIdentity.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             BATTLESIM_VERSION="${PROJECT_VERSION}")
