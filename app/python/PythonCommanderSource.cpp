// Python Generals for each battle of a run.
#include "app/python/PythonCommanderSource.h"

#include "app/python/PythonCommander.h"
#include "battle/Battle.h"

namespace py = pybind11;

// The last battle of a run may end on one of a study's threads, without Python's lock.
PythonCommanderSource::~PythonCommanderSource() {
  py::gil_scoped_acquire lock;
  copied.clear();
  general = py::object();
}

py::object PythonCommanderSource::GeneralFor(const Battle& battle) const {
  if (!copies) return general;
  py::object& own = copied[&battle];
  if (!own || battle.BattlesStarted() <= 1) own = py::module_::import("copy").attr("deepcopy")(general);
  return own;
}

std::unique_ptr<Commander> PythonCommanderSource::ForBattle(Battle& battle, int /*team*/) const {
  py::gil_scoped_acquire lock;
  try {
    return std::make_unique<PythonCommander>(battle, GeneralFor(battle), *calls);
  } catch (py::error_already_set& error) {
    return std::make_unique<PythonCommander>(
        battle, py::none(), *calls, "the General could not be copied: " + PythonCommander::ExceptionReason(error));
  }
}
