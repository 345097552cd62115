find_package(benchmark REQUIRED)
find_package(Boost 1.74 REQUIRED)

add_library(battlesim_bench_support STATIC
  ${CMAKE_SOURCE_DIR}/bench/MarchQuery.cpp
  ${CMAKE_SOURCE_DIR}/bench/PaintedCells.cpp
  ${CMAKE_SOURCE_DIR}/bench/GridAStarPeer.cpp
  ${CMAKE_SOURCE_DIR}/bench/PingMachine.cpp
)
target_link_libraries(battlesim_bench_support PUBLIC battlesim_core Boost::boost)

add_executable(battlesim-bench
  ${CMAKE_SOURCE_DIR}/bench/PathFinderBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/PathFinderPeerBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/MessageBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/BattleBench.cpp
)
target_link_libraries(battlesim-bench PRIVATE battlesim_bench_support benchmark::benchmark
  benchmark::benchmark_main)

add_executable(battlesim-route-check ${CMAKE_SOURCE_DIR}/bench/RouteCheck.cpp)
target_link_libraries(battlesim-route-check PRIVATE battlesim_bench_support)
