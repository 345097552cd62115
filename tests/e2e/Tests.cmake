# Starts the built battlesim from its build folder, where the images are linked, on a private Xvfb.
battlesim_test_suite(e2e_tests window
  WindowProgramTest.cpp SeededPlaybackTest.cpp InspectorTest.cpp ProgramWindowTest.cpp VirtualDisplay.cpp HudText.cpp
  ShotAnalysis.cpp SandboxTest.cpp)
find_package(X11 REQUIRED)
target_link_libraries(e2e_tests PRIVATE X11::X11 X11::Xtst)
target_compile_definitions(e2e_tests PRIVATE BATTLESIM_PROGRAM="$<TARGET_FILE:battlesim>"
  BATTLESIM_HEADLESS="$<TARGET_FILE:battlesim-headless>" BATTLESIM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(e2e_tests battlesim battlesim-headless)

# The README's picture of the window, taken by tools/readme-pictures.sh with the same helpers.
add_executable(battlesim-shot
  ${CMAKE_SOURCE_DIR}/tests/e2e/WindowShot.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/ShotAnalysis.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/VirtualDisplay.cpp
)
target_link_libraries(battlesim-shot PRIVATE X11::X11 X11::Xtst battlesim_png_writer)
target_compile_definitions(battlesim-shot PRIVATE BATTLESIM_PROGRAM="$<TARGET_FILE:battlesim>")
add_dependencies(battlesim-shot battlesim)
