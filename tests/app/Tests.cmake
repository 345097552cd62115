battlesim_test_suite(app_tests lab
  GoldenBattleTest.cpp
  StepHistogramTest.cpp
  ScenarioFileTest.cpp
  MissingFilesTest.cpp
  JsonLineTest.cpp
  SeedRangeTest.cpp
  SeedStudyTest.cpp
  ShardMergeTest.cpp
  TournamentTest.cpp
  UnitCountTest.cpp
  InsideViewTest.cpp
  DesignTest.cpp
  OrderReportTest.cpp
  BattleFilePlayOnTest.cpp
)

# Keyboard and mouse, and the frame step with and without a window; with them the files that
# also check the window's command line, pace and report.
battlesim_test_suite(app_window_tests window
  HeadlessRunnerTest.cpp
  SimulationPaceTest.cpp
  BattleVerifierTest.cpp
  InputTest.cpp
  GameFrameTest.cpp
  BattleScrubberTest.cpp
  BattleCheckpointsTest.cpp
  UnitInspectorTest.cpp
)

# Shards of a study run side by side by GNU parallel and merged give the unsharded study's summary.
add_test(NAME ShardMerge.ParallelShardsMergeToTheUnshardedSummary
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/app/shard_merge_test.sh $<TARGET_FILE:battlesim-headless>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})

# The headless program runs where no GL is installed: it links the simulation, not the renderer.
add_test(NAME HeadlessProgram.LinksNoGl
  COMMAND sh -c "! ldd \"$1\" | grep -i -e libGL -e libglut -e libGLU" sh $<TARGET_FILE:battlesim-headless>)
