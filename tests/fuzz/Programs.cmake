# The libFuzzer programs: one per harness, sharing the harness bodies with the regression suite.
foreach(target png heightmap scenario design shardmerge lua battle)
  set(entry_png FuzzPngMain.cpp)
  set(entry_heightmap FuzzHeightMapMain.cpp)
  set(entry_scenario FuzzScenarioMain.cpp)
  set(entry_design FuzzDesignMain.cpp)
  set(entry_shardmerge FuzzShardMergeMain.cpp)
  set(entry_lua FuzzLuaMain.cpp)
  set(entry_battle FuzzBattleMain.cpp)
  add_executable(fuzz-${target}
    ${CMAKE_SOURCE_DIR}/tests/fuzz/FuzzTargets.cpp
    ${CMAKE_SOURCE_DIR}/tests/fuzz/${entry_${target}}
  )
  target_link_libraries(fuzz-${target} PRIVATE battlesim_lab)
  target_link_options(fuzz-${target} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
