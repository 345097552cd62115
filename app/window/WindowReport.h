// The summary line that ends the window's --report: the battles it finished, and what a verifier
// needs to play them again (the seed, the battle's files, the step, the program's version) or to
// know that it cannot (steps that followed the frame rate, battles the user changed).
#pragma once

#include "app/run/RunSummary.h"
#include "battle/Scenario.h"

struct WindowOptions;

class WindowReport {
 public:
  // counts: the seed, the battles finished, each side's wins and whether the window was
  // interrupted. changedFromBattle: the first battle the user reset or switched the blood in, 0
  // for none.
  static RunSummary Summary(const WindowOptions& options, const Scenario& scenario, RunSummary counts,
                            int changedFromBattle);
};
