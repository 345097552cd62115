// What the window program is asked to do: the battles it shows, how fast, and what it reports;
// filled by the command line.
#pragma once

#include <array>
#include <string>

#include "app/setup/UnitCount.h"

struct WindowOptions {
  unsigned seed = 0;
  bool seedGiven = false;
  // Fixed steps, the same battles as the headless runner's: with a seed, a battle number, a
  // second or a frame length given.
  bool fixedSteps = false;
  int frameMs = 16;
  std::string scenarioFile;
  long long maxUnits = UnitCount::kDefaultMost;
  // Threads that step the battle on view (the window draws on threads of its own besides).
  int threads = 1;
  int battle = 1;
  // The second of battle K the window starts at.
  double at = 0.0;
  bool atGiven = false;
  double speed = 1.0;
  bool report = false;
  bool json = false;
  // A battle file to open where it stood (battlesim-headless --save, or the window's k).
  std::string loadFile;
  // --red-general, --blue-general by team code: strategy scripts over the scenario's.
  std::array<std::string, 2> generals;
  // --lead: the team code of the side the user leads by hand, -1 for none.
  int lead = -1;
  // --edit: the scenario file the editor opens (a new one when it does not exist) and saves to.
  std::string editFile;
};
