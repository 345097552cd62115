// The Python side of DecisionSession: battles played a decision at a time, with Python's lock
// let go while the battle runs and Ctrl-C heard while the caller waits.
#pragma once

#include <pybind11/pybind11.h>

void BindDecisionSession(pybind11::module_& module);
