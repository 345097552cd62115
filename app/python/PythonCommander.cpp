// Asking a Python General for decisions; its answers go to the reader a Lua script's go to.
#include "app/python/PythonCommander.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "objects/GameObject.h"

namespace py = pybind11;

namespace {
constexpr char kOrderFunction[] = "on_squad_ready";
constexpr char kFightFunction[] = "general_fights";
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

PythonCommander::PythonCommander(Battle& battle, py::handle general, GeneralCalls& generalCalls,
                                 const std::string& failedAlready)
    : viewed(&battle), calls(&generalCalls) {
  realNumber = py::module_::import("numbers").attr("Real");
  integralNumber = py::module_::import("numbers").attr("Integral");
  if (!failedAlready.empty()) {
    Fail(OneLine(failedAlready));
    return;
  }
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
  integralNumber = py::object();
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

// A view of its own for every call: one kept from an earlier call is never lent again.
void PythonCommander::Begin(const GameObject& general) {
  calls->Enter();
  viewObject = py::cast(PythonBattleView(*viewed));
  view = viewObject.cast<PythonBattleView*>();
  view->Lend(general);
}

void PythonCommander::End() {
  view->Return();
  calls->Leave();
}

// SystemExit, KeyboardInterrupt and MemoryError end the run, as they would end a Python program;
// anything else the General raises forfeits the battle.
void PythonCommander::Caught(py::error_already_set& error) {
  Fail(ExceptionReason(error));
  if (GeneralCalls::Escapes(error)) calls->Keep(error);
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
  Begin(general);
  SquadOrder order = failed;
  try {
    py::object squad = py::cast(view->SquadOf(leader, true));
    py::object answer = orderFunction(viewObject, squad);
    order = ReadOrder(answer, leader);
  } catch (py::error_already_set& error) {
    Caught(error);
  } catch (const std::exception& error) {
    Fail(OneLine(orderWhere + ": " + error.what()));
  }
  End();
  return order;
}

SquadOrder PythonCommander::ReadOrder(py::handle answer, const GameObject& leader) {
  static constexpr GeneralAnswer::Words kPythonWords{"None", "a dict {'x': ..., 'z': ...}", '\''};
  std::string why;
  const SquadOrder order = AnswerOf(answer).Read(view->Terrain(), kPythonWords, leader.name, why, lastDecision);
  if (order.kind == SquadOrder::Kind::Failed) Fail(orderWhere + " " + why);
  return order;
}

// A dict's items as they are, without calling its own methods: a subclass's __getitem__ or
// __iter__ is not asked.
GeneralAnswer PythonCommander::AnswerOf(py::handle answer) const {
  if (answer.is_none()) return GeneralAnswer(GeneralAnswer::Shape::Nothing);
  if (!PyDict_Check(answer.ptr())) return GeneralAnswer(GeneralAnswer::Shape::Other, TypeName(answer));
  GeneralAnswer read(GeneralAnswer::Shape::Table);
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  Py_ssize_t position = 0;
  while (PyDict_Next(answer.ptr(), &position, &key, &value)) {
    const py::handle keyHandle(key);
    const std::string name = py::isinstance<py::str>(keyHandle)
                                 ? keyHandle.cast<std::string>()
                                 : "[" + OneLine(py::repr(keyHandle).cast<std::string>()) + "]";
    read.Add(name, ValueOf(py::handle(value)));
  }
  return read;
}

// Any real number but a truth value (True is no place on the field); an integer too large for a
// double is not one.
GeneralAnswer::Value PythonCommander::ValueOf(py::handle value) const {
  GeneralAnswer::Value read;
  read.type = TypeName(value);
  read.kind = GeneralAnswer::Value::Kind::Other;
  if (value.is_none()) {
    read.kind = GeneralAnswer::Value::Kind::Nothing;
  } else if (py::isinstance<py::str>(value)) {
    read.kind = GeneralAnswer::Value::Kind::Text;
    read.text = value.cast<std::string>();
  } else if (!PyBool_Check(value.ptr()) && py::isinstance(value, realNumber)) {
    read.number = PyFloat_AsDouble(value.ptr());
    if (read.number == -1.0 && PyErr_Occurred()) {
      PyErr_Clear();
    } else {
      read.kind = py::isinstance(value, integralNumber) ? GeneralAnswer::Value::Kind::Integer
                                                        : GeneralAnswer::Value::Kind::Number;
    }
  }
  return read;
}

bool PythonCommander::GeneralFights(const GameObject& general, bool& fights) {
  fights = false;
  if (Failed() || !fightFunction) return false;
  py::gil_scoped_acquire lock;
  Begin(general);
  try {
    py::object answer = fightFunction(viewObject);
    if (!answer.is_none() && !PyBool_Check(answer.ptr())) {
      Fail(fightWhere + " returned " + TypeName(answer) + "; it must return True or False");
    } else {
      fights = answer.ptr() == Py_True;
    }
  } catch (py::error_already_set& error) {
    Caught(error);
  } catch (const std::exception& error) {
    Fail(OneLine(fightWhere + ": " + error.what()));
  }
  End();
  if (fights) lastDecision = "fight the enemy General";
  return !Failed();
}
