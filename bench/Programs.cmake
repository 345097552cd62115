find_package(benchmark REQUIRED)

add_executable(battlesim-bench
  ${CMAKE_SOURCE_DIR}/bench/PathFinderBench.cpp
  ${CMAKE_SOURCE_DIR}/bench/BattleBench.cpp
)
target_link_libraries(battlesim-bench PRIVATE battlesim_core benchmark::benchmark benchmark::benchmark_main)

# Frames per second of the battle window; needs a display (run it under Xvfb on a headless machine).
add_executable(battlesim-render-bench ${CMAKE_SOURCE_DIR}/bench/RenderBench.cpp)
target_link_libraries(battlesim-render-bench PRIVATE battlesim_core)
add_dependencies(battlesim-render-bench battlesim_textures)
