find_package(benchmark REQUIRED)

add_executable(battlesim-bench
  ${CMAKE_SOURCE_DIR}/bench/PathFinderBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/BattleBench.cpp
)
target_link_libraries(battlesim-bench PRIVATE battlesim_core benchmark::benchmark benchmark::benchmark_main)
