// The headless runner's --trace: the trace lines of the named units, each led by its battle number,
// written to a stream while the game's trace switch stays off.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "statemachine/TraceWatcher.h"

class UnitTrace : public TraceWatcher {
 public:
  // A name ending in a blank ("Archer ") is a prefix; any other must equal the unit's name, so
  // "Archer 3" does not also trace "Archer 31".
  UnitTrace(std::vector<std::string> namesOrPrefixes, std::ostream& lines);

  static bool Matches(const std::string& pattern, const std::string& ownerName);

  bool Watches(const std::string& ownerName) const override;
  void Take(const TraceRecord& record) override;

 private:
  std::vector<std::string> patterns;
  std::ostream& out;
};
