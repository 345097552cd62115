target_sources(battlesim_lab PRIVATE
  app/CommandLine.cpp
  app/CommandLineParts.cpp
  app/setup/BattleSetup.cpp
  app/setup/GeneralChoice.cpp
  app/setup/MissingFiles.cpp
  app/setup/ScenarioFile.cpp
  app/setup/SeedRange.cpp
  app/setup/UnitCount.cpp
  app/run/BattleRecorder.cpp
  app/run/BattleReport.cpp
  app/run/FixedDecimals.cpp
  app/run/HeadlessRunner.cpp
  app/run/KillTotals.cpp
  app/run/QuietDebugChannel.cpp
  app/run/RunSummary.cpp
  app/run/StepHistogram.cpp
  app/run/StudyIdentity.cpp
  app/run/UnitTrace.cpp
  app/run/WinRate.cpp
  app/study/JsonFields.cpp
  app/study/JsonLine.cpp
  app/study/SeedStudy.cpp
  app/study/SeedWorkers.cpp
  app/study/ShardMerge.cpp
  app/study/ShardsRead.cpp
  app/tournament/Sprt.cpp
  app/tournament/Tournament.cpp
  app/tournament/TournamentIdentity.cpp
  app/tournament/TournamentMerge.cpp
  app/tournament/TournamentTable.cpp
  app/verify/BattleVerifier.cpp
)
target_sources(battlesim_window PRIVATE
  app/window/Game.cpp
  app/window/Input.cpp
  app/window/GameWindow.cpp
  app/window/UnitInspector.cpp
  app/window/BattleScrubber.cpp
  app/window/BattleCheckpoints.cpp
  app/window/RunCourse.cpp
  app/window/SimulationPace.cpp
  app/window/WindowReport.cpp
  app/WindowCommandLine.cpp
)
# The version a study's summary records; only this file needs it.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/run/StudyIdentity.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             BATTLESIM_VERSION="${PROJECT_VERSION}")
