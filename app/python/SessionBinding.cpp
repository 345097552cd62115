// Decision sessions for battlesim's environments.
#include "app/python/SessionBinding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/python/DecisionSession.h"
#include "app/python/LabRun.h"
#include "app/python/PythonCommanderSource.h"
#include "app/run/QuietDebugChannel.h"
#include "battle/Battle.h"
#include "battle/BattleFingerprint.h"
#include "objects/Formation.h"
#include "objects/UnitType.h"
#include "terrain/TerrainBounds.h"

namespace py = pybind11;

namespace {
// How long the caller waits at a time before it looks for Ctrl-C.
constexpr int kWaitSliceMs = 50;

// Owns a session; lets go of Python's lock while the session's thread is stopped, since that
// thread may be waiting for the lock to ask a Python opponent.
class SessionHandle {
 public:
  SessionHandle(const std::vector<std::string>& arguments, bool ledRed, bool ledBlue, int team,
                const py::object& redOpponent, const py::object& blueOpponent) {
    HeadlessOptions options;
    Scenario scenario;
    std::string error;
    if (!LabRun::Prepare(arguments, options, scenario, error)) throw std::invalid_argument(error);
    const std::array<const py::object*, 2> opponents{&redOpponent, &blueOpponent};
    for (std::size_t side = 0; side < opponents.size(); ++side) {
      if (!opponents[side]->is_none())
        scenario.armies[side].commander =
            std::make_shared<PythonCommanderSource>(*opponents[side], PythonCommanderSource::Sharing::OneObject, calls);
    }
    session = std::make_unique<DecisionSession>(std::move(scenario), options.seed, options.frameMs, options.maxSeconds,
                                                std::array<bool, 2>{ledRed, ledBlue}, team);
  }
  ~SessionHandle() { Close(); }
  SessionHandle(const SessionHandle&) = delete;
  SessionHandle& operator=(const SessionHandle&) = delete;

  // An opponent that never returns is stopped in its own code first: the battle's thread must end.
  void Close() {
    if (session == nullptr) return;
    calls.InterruptAll();
    const py::gil_scoped_release unlocked;
    session.reset();
  }

  // Closes the battle and raises what an opponent raised that must end the caller's program.
  void RaiseEscaped() {
    if (!calls.Kept()) return;
    Close();
    calls.RaiseKept();
  }

  DecisionSession& Session() const {
    if (session == nullptr) throw std::runtime_error("the battle is closed");
    return *session;
  }

 private:
  // Before the session, whose battle's Python opponents use it to the end.
  GeneralCalls calls{GeneralCalls::OnEscape::ForfeitOnly};
  std::unique_ptr<DecisionSession> session;
};

int WaitFor(SessionHandle& handle) {
  DecisionSession& session = handle.Session();
  for (;;) {
    DecisionSession::Phase phase = DecisionSession::Phase::Running;
    {
      const py::gil_scoped_release unlocked;
      phase = session.Wait(kWaitSliceMs);
    }
    handle.RaiseEscaped();
    if (phase != DecisionSession::Phase::Running) return static_cast<int>(phase);
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
}

void Answer(SessionHandle& handle, const py::object& order) {
  SquadOrder answer;
  if (!order.is_none()) {
    const auto [x, z, formation] = order.cast<std::tuple<double, double, int>>();
    answer = {SquadOrder::Kind::March, static_cast<float>(x), static_cast<float>(z), formation};
  }
  handle.Session().Answer(answer);
}

template <class T>
py::array_t<T> Array(const std::vector<T>& values, std::vector<py::ssize_t> shape) {
  return py::array_t<T>(shape, values.data());
}

py::dict Observation(const SessionHandle& handle) {
  const BattleObservation& seen = handle.Session().Observation();
  const auto units = static_cast<py::ssize_t>(seen.Capacity());
  py::dict arrays;
  arrays["position"] = Array(seen.position, {units, 2});
  arrays["team"] = Array(seen.team, {units});
  arrays["type"] = Array(seen.type, {units});
  arrays["squad"] = Array(seen.squad, {units});
  arrays["in_combat"] = Array(seen.inCombat, {units});
  arrays["alive"] = Array(seen.alive, {units});
  arrays["asking"] = py::array_t<std::int32_t>(std::vector<py::ssize_t>{}, &seen.asking);
  return arrays;
}

py::dict Tallies(const SessionHandle& handle) {
  const DecisionSession& session = handle.Session();
  const DecisionSession::Tallies& taken = session.Taken();
  py::dict info;
  info["seconds"] = taken.seconds;
  info["frames"] = taken.frames;
  info["red_alive"] = taken.redAlive;
  info["blue_alive"] = taken.blueAlive;
  info["casualties"] = taken.casualties;
  py::dict kills;
  const std::array<const char*, 5> names{"soldier", "archer", "berserker", "leader", "general"};
  for (std::size_t type = 0; type < names.size(); ++type) kills[names[type]] = taken.kills[type];
  info["kills"] = kills;
  info["asking_team"] = session.Observation().askingTeam;
  info["fingerprint"] = BattleFingerprint::Hex(taken.fingerprint);
  return info;
}
py::bytes Save(const SessionHandle& handle) {
  std::string bytes;
  std::string error;
  if (!handle.Session().Save(bytes, error)) throw std::invalid_argument(error);
  return py::bytes(bytes);
}

void Restore(SessionHandle& handle, const py::bytes& state) {
  std::string error;
  if (!handle.Session().Restore(std::string_view(state), error)) throw std::invalid_argument(error);
}

// The ground's extent (min_x, max_x, min_z, max_z) for the battle these arguments give; a field
// without ground has none.
py::object BoundsOf(const std::vector<std::string>& arguments) {
  HeadlessOptions options;
  Scenario scenario;
  std::string error;
  if (!LabRun::Prepare(arguments, options, scenario, error)) throw std::invalid_argument(error);
  const QuietDebugChannel quiet;
  const Battle probe(scenario, options.seed);
  const TerrainBounds bounds(probe.terrain);
  if (bounds.Empty()) return py::none();
  return py::make_tuple(bounds.minX, bounds.maxX, bounds.minZ, bounds.maxZ);
}
}  // namespace

void BindDecisionSession(py::module_& module) {
  py::class_<SessionHandle>(module, "Session")
      .def(py::init<const std::vector<std::string>&, bool, bool, int, const py::object&, const py::object&>(),
           py::arg("arguments"), py::arg("led_red"), py::arg("led_blue"), py::arg("team"), py::arg("red_opponent"),
           py::arg("blue_opponent"))
      .def("wait", &WaitFor)
      .def("answer", &Answer)
      .def("observation", &Observation)
      .def("tallies", &Tallies)
      .def("save", &Save)
      .def("restore", &Restore)
      .def("on_terrain",
           [](const SessionHandle& handle, double x, double z) { return handle.Session().OnTerrain(x, z); })
      .def("close", &SessionHandle::Close);
  module.def("terrain_bounds", &BoundsOf, py::arg("arguments"));
  module.attr("FORMATIONS") = py::dict(py::arg("block") = static_cast<int>(Formation::kBlock),
                                       py::arg("wedge") = static_cast<int>(Formation::kWedge),
                                       py::arg("vee") = static_cast<int>(Formation::kOpenVee));
}
