# The Python package battlesim: its Python files (python/battlesim) and the native module built from
# app/python beside them in build/python/battlesim, so that PYTHONPATH=build/python imports it.
# Debian's interpreter, whose numpy and pandas the package uses, even when another comes first on PATH.
if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
find_package(pybind11 REQUIRED CONFIG)

# A shared module links the libraries' objects, which must then be position independent.
set_target_properties(battlesim_sim battlesim_lab PROPERTIES POSITION_INDEPENDENT_CODE ON)

pybind11_add_module(battlesim_python MODULE NO_EXTRAS
  app/python/BattlesimModule.cpp
  app/python/LabRun.cpp
  app/python/InterruptScope.cpp
  app/python/GeneralCalls.cpp
  app/python/PythonBattleView.cpp
  app/python/PythonCommander.cpp
  app/python/PythonCommanderSource.cpp
  app/python/BattleObservation.cpp
  app/python/DecisionSession.cpp
  app/python/SessionBinding.cpp
)
target_link_libraries(battlesim_python PRIVATE battlesim_lab)
set_target_properties(battlesim_python PROPERTIES OUTPUT_NAME _battlesim
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/python/battlesim)

set(battlesim_python_files __init__.py env.py _distributed.py analysis.py _factors.py _effects.py _metamodels.py
                            _analysis_plots.py)
foreach(file ${battlesim_python_files})
  configure_file(python/battlesim/${file} ${CMAKE_BINARY_DIR}/python/battlesim/${file} COPYONLY)
endforeach()

# Debian's Python finds packages in lib/python3/dist-packages below the prefix.
set(BATTLESIM_PYTHON_DIR lib/python3/dist-packages CACHE STRING "where cmake --install puts the battlesim package")
install(TARGETS battlesim_python LIBRARY DESTINATION ${BATTLESIM_PYTHON_DIR}/battlesim)
list(TRANSFORM battlesim_python_files PREPEND python/battlesim/)
install(FILES ${battlesim_python_files} DESTINATION ${BATTLESIM_PYTHON_DIR}/battlesim)
