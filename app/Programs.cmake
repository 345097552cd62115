# Both programs read Textures/ below their working directory, so the build links the images next
# to them and they also run from the build folder.
add_custom_target(battlesim_textures
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${CMAKE_SOURCE_DIR}/Textures ${CMAKE_BINARY_DIR}/Textures
  VERBATIM)

# The battle window.
add_executable(battlesim app/main.cpp)
target_link_libraries(battlesim PRIVATE battlesim_core)
add_dependencies(battlesim battlesim_textures)

# The same simulation without a window, for tests, benchmarks and batch runs.
add_executable(battlesim-headless app/HeadlessMain.cpp)
target_link_libraries(battlesim-headless PRIVATE battlesim_core)
add_dependencies(battlesim-headless battlesim_textures)
