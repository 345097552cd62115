battlesim_test_suite(app_tests
  ${CMAKE_SOURCE_DIR}/tests/app/HeadlessRunnerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/GoldenBattleTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/BattleCheckpointsTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/StepHistogramTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/ScenarioFileTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/SimulationPaceTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/MissingFilesTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/JsonLineTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/SeedRangeTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/SeedStudyTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/ShardMergeTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/BattleVerifierTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/TournamentTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/UnitCountTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/InsideViewTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/UnitInspectorTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/World.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/ScriptedMachine.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/Battlefield.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
)

# Keyboard and mouse, and the frame step with and without a window.
battlesim_test_suite(app_window_tests
  ${CMAKE_SOURCE_DIR}/tests/app/InputTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/GameFrameTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/BattleScrubberTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
)

# Shards of a study run side by side by GNU parallel and merged give the unsharded study's summary.
add_test(NAME ShardMerge.ParallelShardsMergeToTheUnshardedSummary
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/app/shard_merge_test.sh $<TARGET_FILE:battlesim-headless>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})

# The headless program runs where no GL is installed: it links the simulation, not the renderer.
add_test(NAME HeadlessProgram.LinksNoGl
  COMMAND sh -c "! ldd \"$1\" | grep -i -e libGL -e libglut -e libGLU" sh $<TARGET_FILE:battlesim-headless>)
