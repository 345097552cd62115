# The battle window. It reads Textures/ below its working directory, so the build links the
# images next to the program and it also runs from the build folder.
add_executable(battlesim app/main.cpp)
target_link_libraries(battlesim PRIVATE battlesim_core)
add_custom_command(TARGET battlesim POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${CMAKE_SOURCE_DIR}/Textures $<TARGET_FILE_DIR:battlesim>/Textures
  VERBATIM)

# The same simulation without a window, for tests, benchmarks and batch runs.
add_executable(battlesim-headless app/HeadlessMain.cpp)
target_link_libraries(battlesim-headless PRIVATE battlesim_core)
