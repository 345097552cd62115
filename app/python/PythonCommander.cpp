// Asking a Python General for decisions and reading its answers as strictly as a script's.
#include "app/python/PythonCommander.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "objects/Formation.h"
#include "objects/GameObject.h"

namespace py = pybind11;

namespace {
constexpr char kOrderFunction[] = "on_squad_ready";
constexpr char kFightFunction[] = "general_fights";
constexpr std::array<std::pair<std::string_view, int>, 3> kFormations{
    {{"block", Formation::kBlock}, {"wedge", Formation::kWedge}, {"vee", Formation::kOpenVee}}};

std::string Fixed1(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string TypeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

// One line of at most kLongestReason bytes: a battle line carries it.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  if (text.size() > PythonCommander::kLongestReason) text = text.substr(0, PythonCommander::kLongestReason) + "...";
  return text;
}
}  // namespace

PythonCommander::PythonCommander(Battle& battle, py::handle general)
    : viewObject(py::cast(PythonBattleView(battle))), view(viewObject.cast<PythonBattleView*>()) {
  realNumber = py::module_::import("numbers").attr("Real");
  orderFunction = py::getattr(general, kOrderFunction, py::none());
  if (orderFunction.is_none() || !PyCallable_Check(orderFunction.ptr())) {
    Fail(TypeName(general) + " has no method " + kOrderFunction + "(battle, squad)");
    orderFunction = py::object();
    return;
  }
  orderWhere = Where(orderFunction, kOrderFunction);
  py::object fights = py::getattr(general, kFightFunction, py::none());
  if (fights.is_none()) return;
  if (!PyCallable_Check(fights.ptr())) {
    Fail(TypeName(general) + "." + kFightFunction + " must be a method");
    return;
  }
  fightFunction = fights;
  fightWhere = Where(fightFunction, kFightFunction);
}

// The battle may end on a thread that does not hold Python's lock.
PythonCommander::~PythonCommander() {
  py::gil_scoped_acquire lock;
  viewObject = py::object();
  orderFunction = py::object();
  fightFunction = py::object();
  realNumber = py::object();
}

std::string PythonCommander::Where(py::handle function, const char* name) {
  py::object code = py::getattr(function, "__code__", py::none());
  if (code.is_none()) return name;
  const std::string file = py::str(code.attr("co_filename"));
  const int line = code.attr("co_firstlineno").cast<int>();
  return file + ":" + std::to_string(line) + ": " + name;
}

std::string PythonCommander::ExceptionReason(py::error_already_set& error) {
  std::string place;
  py::object frames = error.trace();
  if (frames && !frames.is_none()) {
    while (!frames.attr("tb_next").is_none()) frames = frames.attr("tb_next");
    place = py::str(frames.attr("tb_frame").attr("f_code").attr("co_filename")).cast<std::string>() + ":" +
            std::to_string(frames.attr("tb_lineno").cast<int>()) + ": ";
  }
  py::list lines = py::module_::import("traceback").attr("format_exception_only")(error.type(), error.value());
  std::string last = lines.empty() ? std::string("an exception") : py::str(lines[lines.size() - 1]).cast<std::string>();
  while (!last.empty() && (last.back() == '\n' || last.back() == ' ')) last.pop_back();
  return OneLine(place + last);
}

bool PythonCommander::Fail(const std::string& why) {
  failure = why.empty() ? std::string("failed") : why;
  lastDecision = "stopped: " + failure;
  return false;
}

SquadOrder PythonCommander::OnSquadReady(const GameObject& general, const GameObject& leader) {
  const SquadOrder failed{SquadOrder::Kind::Failed};
  if (Failed()) return failed;
  py::gil_scoped_acquire lock;
  view->Lend(general);
  SquadOrder order = failed;
  try {
    py::object squad = py::cast(view->SquadOf(leader, true));
    py::object answer = orderFunction(viewObject, squad);
    order = ReadOrder(answer, leader);
  } catch (py::error_already_set& error) {
    Fail(ExceptionReason(error));
  } catch (const std::exception& error) {
    Fail(OneLine(orderWhere + ": " + error.what()));
  }
  view->Return();
  return order;
}

SquadOrder PythonCommander::ReadOrder(py::handle answer, const GameObject& leader) {
  SquadOrder order;
  if (answer.is_none()) {
    lastDecision = leader.name + ": hold";
    return order;
  }
  order.kind = SquadOrder::Kind::Failed;
  if (!PyDict_Check(answer.ptr())) {
    Fail(orderWhere + " returned " + TypeName(answer) + "; it must return None (hold) or a dict {'x': ..., 'z': ...}");
    return order;
  }
  py::dict fields = py::reinterpret_borrow<py::dict>(answer);
  double x = 0.0;
  double z = 0.0;
  const bool numbers =
      fields.contains("x") && fields.contains("z") && ReadNumber(fields["x"], x) && ReadNumber(fields["z"], z);
  if (!numbers) {
    Fail(orderWhere + " returned a goal without numbers x and z");
    return order;
  }
  const std::string point = "(" + Fixed1(x) + ", " + Fixed1(z) + ")";
  if (!std::isfinite(x) || !std::isfinite(z) || !view->OnTerrain(x, z)) {
    Fail(orderWhere + " returned a goal off the terrain " + point);
    return order;
  }
  int formation = 0;
  if (fields.contains("formation") && !ReadFormation(fields["formation"], formation)) return order;
  lastDecision = leader.name + " -> " + point;
  return {SquadOrder::Kind::March, static_cast<float>(x), static_cast<float>(z), formation};
}

// Any real number but a truth value: True is no place on the field.
bool PythonCommander::ReadNumber(py::handle value, double& number) const {
  if (PyBool_Check(value.ptr()) || !py::isinstance(value, realNumber)) return false;
  number = PyFloat_AsDouble(value.ptr());
  if (number == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    return false;
  }
  return true;
}

bool PythonCommander::ReadFormation(py::handle value, int& formation) {
  formation = 0;
  if (value.is_none()) return true;
  std::string given = TypeName(value);
  if (py::isinstance<py::str>(value)) {
    const std::string name = value.cast<std::string>();
    for (const auto& [known, shape] : kFormations) {
      if (name == known) formation = shape;
    }
    if (formation != 0) return true;
    given = "'" + OneLine(name.substr(0, 20)) + (name.size() > 20 ? "...'" : "'");
  }
  return Fail(orderWhere + " returned formation " + given + "; it must be 'block', 'wedge' or 'vee'");
}

bool PythonCommander::GeneralFights(const GameObject& general, bool& fights) {
  fights = false;
  if (Failed() || !fightFunction) return false;
  py::gil_scoped_acquire lock;
  view->Lend(general);
  try {
    py::object answer = fightFunction(viewObject);
    if (!answer.is_none() && !PyBool_Check(answer.ptr())) {
      Fail(fightWhere + " returned " + TypeName(answer) + "; it must return True or False");
    } else {
      fights = answer.ptr() == Py_True;
    }
  } catch (py::error_already_set& error) {
    Fail(ExceptionReason(error));
  } catch (const std::exception& error) {
    Fail(OneLine(fightWhere + ": " + error.what()));
  }
  view->Return();
  if (fights) lastDecision = "fight the enemy General";
  return !Failed();
}
