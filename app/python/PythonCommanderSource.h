// A Python General handed in with a run: every battle gets a PythonCommander asking the same
// object, which may keep what it learns from one battle to the next. In a study each battlefield
// (each seed) may instead get a copy of its own, so that no two threads ever share one General and
// a seed's battles do not depend on which seeds ran before it or beside it.
#pragma once

#include <pybind11/pybind11.h>

#include <unordered_map>

#include "app/python/GeneralCalls.h"
#include "battle/CommanderSource.h"

class PythonCommanderSource : public CommanderSource {
 public:
  enum class Sharing { OneObject, CopyPerBattlefield };

  // The caller holds Python's lock; calls outlives every battle of the run.
  PythonCommanderSource(pybind11::object pythonGeneral, Sharing sharing, GeneralCalls& generalCalls)
      : general(std::move(pythonGeneral)), copies(sharing == Sharing::CopyPerBattlefield), calls(&generalCalls) {}
  ~PythonCommanderSource() override;
  PythonCommanderSource(const PythonCommanderSource&) = delete;
  PythonCommanderSource& operator=(const PythonCommanderSource&) = delete;

  std::unique_ptr<Commander> ForBattle(Battle& battle, int team) const override;

 private:
  // The General that leads this battlefield's battles; the caller holds Python's lock.
  pybind11::object GeneralFor(const Battle& battle) const;

  pybind11::object general;
  bool copies;
  GeneralCalls* calls;
  // By battlefield, while the source lives: a battlefield's first battle takes a fresh copy, so a
  // battlefield that reuses a gone one's address never inherits its General. Read under Python's lock.
  mutable std::unordered_map<const Battle*, pybind11::object> copied;
};
