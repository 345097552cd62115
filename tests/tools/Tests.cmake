battlesim_test_suite(tools_tests sim TextureSetTest.cpp HeightMapPainterTest.cpp LargeFieldPainterTest.cpp)
target_link_libraries(tools_tests PRIVATE battlesim_texture_painter)

# tools/fit-lanchester runs on Debian's Python, where numpy and scipy are installed.
foreach(case iwo_jima_coefficients_recovered_through_reinforcements
             exponents_between_the_named_laws_recovered
             linear_law_battle_in_days_recovered_from_the_command_line
             study_gives_law_shares_and_the_median_exchange_ratio
             fight_window_starts_at_the_row_before_either_sides_first_loss
             study_interval_of_the_median_exchange_ratio
             input_that_cannot_be_fitted_is_refused_in_one_line)
  add_test(NAME FitLanchester.${case}
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/tools/fit_lanchester_test.py -k test_${case})
endforeach()

# tools/plot-tournament (jq) on a tournament whose games all ran out of time.
add_test(NAME PlotTournament.SaysThatNoGameFinished
  COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tools/plot_tournament_test.sh
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})

# tools/slurm-study through a single-node Slurm that the test starts and stops (slurm-wlm, munge).
# Once, in the normal build: it tests the scheduler's path, which the sanitizers add nothing to.
if(NOT BATTLESIM_SANITIZE)
add_test(NAME SlurmStudy
  COMMAND ${CMAKE_COMMAND} -E env BATTLESIM_HEADLESS=$<TARGET_FILE:battlesim-headless>
          /usr/bin/python3 -m pytest -q -p no:cacheprovider ${CMAKE_SOURCE_DIR}/tests/tools/slurm_study_test.py
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(SlurmStudy PROPERTIES TIMEOUT 900)
endif()
