find_package(benchmark REQUIRED)
find_package(Boost 1.74 REQUIRED)

add_library(battlesim_bench_support STATIC
  ${CMAKE_SOURCE_DIR}/bench/MarchQuery.cpp
  ${CMAKE_SOURCE_DIR}/bench/PaintedCells.cpp
  ${CMAKE_SOURCE_DIR}/bench/GridAStarPeer.cpp
  ${CMAKE_SOURCE_DIR}/bench/PingMachine.cpp
)
target_link_libraries(battlesim_bench_support PUBLIC battlesim_window Boost::boost)

add_executable(battlesim-bench
  ${CMAKE_SOURCE_DIR}/bench/PathFinderBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/PathFinderPeerBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/MessageBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/BattleBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/ScaleBench.cpp
)
target_link_libraries(battlesim-bench PRIVATE battlesim_bench_support benchmark::benchmark
  benchmark::benchmark_main)

# Checks that the game's path finder and the Boost peer reach exactly the same goals.
add_executable(battlesim-route-check ${CMAKE_SOURCE_DIR}/bench/RouteCheck.cpp)
target_link_libraries(battlesim-route-check PRIVATE battlesim_bench_support)

# Frames per second of the battle window; needs a display (run it under Xvfb on a headless machine).
add_executable(battlesim-render-bench ${CMAKE_SOURCE_DIR}/bench/RenderBench.cpp)
target_link_libraries(battlesim-render-bench PRIVATE battlesim_window)
add_dependencies(battlesim-render-bench battlesim_textures)

# The agreement of the two searches is a check, not a measurement: it runs with the tests.
if(BATTLESIM_TESTS)
  add_test(NAME PathFinderReachesWhatTheBoostPeerReaches COMMAND battlesim-route-check
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
endif()

# What a jump back and on through a seeded battle costs the window, without drawing.
add_executable(battlesim-scrub-bench ${CMAKE_SOURCE_DIR}/bench/ScrubBench.cpp)
target_link_libraries(battlesim-scrub-bench PRIVATE battlesim_window)

# A battle file's bytes per unit and the time to save and load it.
add_executable(battlesim-file-bench ${CMAKE_SOURCE_DIR}/bench/BattleFileBench.cpp)
target_link_libraries(battlesim-file-bench PRIVATE battlesim_lab)
