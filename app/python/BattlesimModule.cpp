// The native part of the battlesim Python package: runs of the headless program, the battle view
// Python Generals read, and battles played one decision at a time.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "app/python/GeneralCalls.h"
#include "app/python/InterruptScope.h"
#include "app/python/LabRun.h"
#include "app/python/PythonBattleView.h"
#include "app/python/PythonCommanderSource.h"
#include "app/python/SessionBinding.h"
#include "platform/Interrupt.h"

namespace py = pybind11;

namespace {
// How often a run looks for Ctrl-C that a General's own code must hear.
constexpr std::chrono::milliseconds kRelayEvery{50};

std::shared_ptr<const CommanderSource> SourceOf(const py::object& general, bool copyPerSeed, GeneralCalls& calls) {
  if (general.is_none()) return nullptr;
  using Sharing = PythonCommanderSource::Sharing;
  return std::make_shared<PythonCommanderSource>(general,
                                                 copyPerSeed ? Sharing::CopyPerBattlefield : Sharing::OneObject, calls);
}

// The program's handler only notes Ctrl-C, which a run hears between two steps: a General that
// never returns hears it as KeyboardInterrupt in its own code. Must be stopped before the caller
// takes Python's lock back.
std::jthread RelayInterrupts(const GeneralCalls& calls) {
  return std::jthread([&calls](const std::stop_token& stop) {
    std::mutex mutex;
    std::condition_variable_any stopped;
    std::unique_lock lock(mutex);
    while (!stopped.wait_for(lock, stop, kRelayEvery, [] { return false; }) && !stop.stop_requested()) {
      if (!Interrupt::Requested()) continue;
      const py::gil_scoped_acquire python;
      calls.InterruptAll();
    }
  });
}

// (status, lines, error) of a run given as the headless command line; Python Generals by side,
// copied for each seed when copyPerSeed.
std::tuple<int, std::string, std::string> Lab(const std::vector<std::string>& arguments, const py::object& red,
                                              const py::object& blue, bool watchInterrupt, bool copyPerSeed) {
  GeneralCalls calls(GeneralCalls::OnEscape::StopRun);
  const std::array<std::shared_ptr<const CommanderSource>, 2> commanders{SourceOf(red, copyPerSeed, calls),
                                                                         SourceOf(blue, copyPerSeed, calls)};
  const bool pythonGenerals = !red.is_none() || !blue.is_none();
  LabRun::Outcome outcome;
  bool interrupted = false;
  {
    const InterruptScope scope(watchInterrupt);
    const py::gil_scoped_release unlocked;
    const std::jthread relay = pythonGenerals ? RelayInterrupts(calls) : std::jthread();
    outcome = LabRun::Run(arguments, commanders);
    interrupted = scope.Interrupted();
  }
  if (calls.Kept()) {
    Interrupt::Clear();
    calls.RaiseKept();
  }
  if (interrupted) {
    PyErr_SetNone(PyExc_KeyboardInterrupt);
    throw py::error_already_set();
  }
  return {outcome.status, outcome.lines, outcome.error};
}

void BindBattleView(py::module_& module) {
  using View = PythonBattleView;
  py::class_<View::Point>(module, "Point")
      .def_readonly("x", &View::Point::x)
      .def_readonly("z", &View::Point::z)
      .def("__repr__",
           [](const View::Point& p) { return "Point(x=" + std::to_string(p.x) + ", z=" + std::to_string(p.z) + ")"; });
  py::class_<TerrainBounds>(module, "Terrain")
      .def_readonly("width", &TerrainBounds::width)
      .def_readonly("depth", &TerrainBounds::depth)
      .def_readonly("min_x", &TerrainBounds::minX)
      .def_readonly("max_x", &TerrainBounds::maxX)
      .def_readonly("min_z", &TerrainBounds::minZ)
      .def_readonly("max_z", &TerrainBounds::maxZ);
  py::class_<View::General>(module, "General")
      .def_readonly("name", &View::General::name)
      .def_readonly("x", &View::General::x)
      .def_readonly("z", &View::General::z)
      .def_readonly("squads", &View::General::squads)
      .def_readonly("in_combat", &View::General::inCombat);
  py::class_<View::Squad>(module, "Squad")
      .def_readonly("name", &View::Squad::name)
      .def_readonly("type", &View::Squad::type)
      .def_readonly("x", &View::Squad::x)
      .def_readonly("z", &View::Squad::z)
      .def_readonly("followers", &View::Squad::followers)
      .def_readonly("in_combat", &View::Squad::inCombat)
      .def_readonly("target", &View::Squad::target);
  py::class_<View>(module, "BattleView")
      .def_property_readonly("side", &View::Side)
      .def_property_readonly("time", &View::Time)
      .def_property_readonly("terrain", &View::Terrain)
      .def_property_readonly("general", &View::OwnGeneral)
      .def_property_readonly("enemy_general", &View::EnemyGeneral)
      .def("squads", &View::Squads)
      .def("enemies", &View::Enemies)
      .def("height", &View::Height, py::arg("x"), py::arg("z"))
      .def("rand", &View::Rand);
}
}  // namespace

PYBIND11_MODULE(_battlesim, module) {
  module.doc() = "battlesim's simulation, played from Python";
  module.def("lab", &Lab, py::arg("arguments"), py::arg("red"), py::arg("blue"), py::arg("watch_interrupt"),
             py::arg("copy_per_seed"));
  BindBattleView(module);
  BindDecisionSession(module);
}
