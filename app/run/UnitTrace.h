// The headless runner's --trace: the trace lines of the named units, each led by its battle number,
// written to a stream while the game's trace switch stays off.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "statemachine/TraceWatcher.h"

class Battle;

class UnitTrace : public TraceWatcher {
 public:
  // A name ending in a blank ("Archer ") is a prefix; any other must equal the unit's name, so
  // "Archer 3" does not also trace "Archer 31".
  // Lines of battles after lastBattle are dropped: the step that ends the run's last battle
  // already starts the next, whose units a run that stops there never reports.
  UnitTrace(std::vector<std::string> namesOrPrefixes, std::ostream& lines, int lastBattle);

  static bool Matches(const std::string& pattern, const std::string& ownerName);
  // A misspelt name traces nothing, silently, unless it is said: the line naming, in the order
  // given, the patterns no written line came from; empty when each matched.
  std::string UnmatchedLine() const;

  // The battlefield whose battles the lines are numbered by; null for none (battle 0). It must
  // outlive the following.
  void Follow(const Battle* numbering) { battle = numbering; }

  bool Watches(const std::string& ownerName) const override;
  void Take(const TraceRecord& record) override;

 private:
  std::vector<std::string> patterns;
  std::vector<bool> matched;  // by pattern
  std::ostream& out;
  int last;
  const Battle* battle = nullptr;
};
