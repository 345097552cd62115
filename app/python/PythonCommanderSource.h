// A Python General handed in with a run: every battle gets a PythonCommander asking the same
// object, which may keep what it learns from one battle to the next.
#pragma once

#include <pybind11/pybind11.h>

#include "battle/CommanderSource.h"

class PythonCommanderSource : public CommanderSource {
 public:
  // The caller holds Python's lock.
  explicit PythonCommanderSource(pybind11::object pythonGeneral) : general(std::move(pythonGeneral)) {}
  ~PythonCommanderSource() override;
  PythonCommanderSource(const PythonCommanderSource&) = delete;
  PythonCommanderSource& operator=(const PythonCommanderSource&) = delete;

  std::unique_ptr<Commander> ForBattle(Battle& battle, int team) const override;

 private:
  pybind11::object general;
};
