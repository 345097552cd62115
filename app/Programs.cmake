# Both programs read Textures/ below their working directory first, so the build links the images
# next to them and they also run from the build folder. The link is relative: a copied tree keeps it.
file(RELATIVE_PATH battlesim_textures_link ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/Textures)
add_custom_target(battlesim_textures
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${battlesim_textures_link} ${CMAKE_BINARY_DIR}/Textures
  VERBATIM)

# The battle window.
if(BATTLESIM_WINDOW)
  add_executable(battlesim app/main.cpp)
  target_link_libraries(battlesim PRIVATE battlesim_window)
  add_dependencies(battlesim battlesim_textures)
endif()

# The same simulation without a window, for tests, benchmarks and batch runs.
add_executable(battlesim-headless app/HeadlessMain.cpp)
target_link_libraries(battlesim-headless PRIVATE battlesim_lab)
add_dependencies(battlesim-headless battlesim_textures)

# Installed, the programs find their images in ../share/battlesim beside their own folder.
if(BATTLESIM_WINDOW)
  install(TARGETS battlesim battlesim-headless RUNTIME DESTINATION bin)
endif()
