// Python Generals for each battle of a run.
#include "app/python/PythonCommanderSource.h"

#include "app/python/PythonCommander.h"

namespace py = pybind11;

// The last battle of a run may end on one of a study's threads, without Python's lock.
PythonCommanderSource::~PythonCommanderSource() {
  py::gil_scoped_acquire lock;
  general = py::object();
}

std::unique_ptr<Commander> PythonCommanderSource::ForBattle(Battle& battle, int /*team*/) const {
  py::gil_scoped_acquire lock;
  return std::make_unique<PythonCommander>(battle, general);
}
