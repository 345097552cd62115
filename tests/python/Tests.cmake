# The Python package's tests (pytest), against the module and the headless program of this build.
if(TARGET battlesim_python)
  add_test(NAME python
           COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${CMAKE_BINARY_DIR}/python
                   BATTLESIM_HEADLESS=$<TARGET_FILE:battlesim-headless>
                   ${Python3_EXECUTABLE} -m pytest -q -rs -p no:cacheprovider ${CMAKE_SOURCE_DIR}/tests/python
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
endif()
