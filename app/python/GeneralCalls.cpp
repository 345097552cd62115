// Python Generals' calls, interrupted and their escaping exceptions carried back.
#include "app/python/GeneralCalls.h"

#include "platform/Interrupt.h"

namespace py = pybind11;

void GeneralCalls::Enter() { ++inside[PyThread_get_thread_ident()]; }

// An interrupt that came as the call returned must not strike the thread's next line elsewhere.
void GeneralCalls::Leave() {
  const unsigned long thread = PyThread_get_thread_ident();
  if (--inside[thread] > 0) return;
  inside.erase(thread);
  PyThreadState_SetAsyncExc(thread, nullptr);
}

bool GeneralCalls::Escapes(py::error_already_set& error) {
  return !error.matches(PyExc_Exception) || error.matches(PyExc_MemoryError);
}

void GeneralCalls::Keep(py::error_already_set& error) {
  if (kept) return;
  kept.emplace(std::move(error));
  if (onEscape == OnEscape::StopRun) Interrupt::Request();
}

void GeneralCalls::RaiseKept() {
  if (!kept) return;
  py::error_already_set error = std::move(*kept);
  kept.reset();
  error.restore();
  throw py::error_already_set();
}

void GeneralCalls::InterruptAll() const {
  for (const auto& [thread, calls] : inside) PyThreadState_SetAsyncExc(thread, PyExc_KeyboardInterrupt);
}
