# Starts the built battlesim from its build folder, where the images are linked, on a private Xvfb.
battlesim_test_suite(e2e_tests
  ${CMAKE_SOURCE_DIR}/tests/e2e/WindowProgramTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/SeededPlaybackTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/InspectorTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/VirtualDisplay.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/HudText.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/ShotAnalysis.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/GlWindow.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/TempFolder.cpp
)
find_package(X11 REQUIRED)
target_link_libraries(e2e_tests PRIVATE X11::X11 X11::Xtst)
target_compile_definitions(e2e_tests PRIVATE BATTLESIM_PROGRAM="$<TARGET_FILE:battlesim>"
  BATTLESIM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(e2e_tests battlesim)

# The README's picture of the window, taken by tools/readme-pictures.sh with the same helpers.
add_executable(battlesim-shot
  ${CMAKE_SOURCE_DIR}/tests/e2e/WindowShot.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/ShotAnalysis.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/VirtualDisplay.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/PngWriter.cpp
)
target_include_directories(battlesim-shot PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(battlesim-shot PRIVATE X11::X11 X11::Xtst PNG::PNG)
target_compile_definitions(battlesim-shot PRIVATE BATTLESIM_PROGRAM="$<TARGET_FILE:battlesim>")
add_dependencies(battlesim-shot battlesim)
