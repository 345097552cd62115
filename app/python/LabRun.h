// The headless runner's runs, studies and tournaments for the Python module: the same command
// line, read by the same parser, played by the same code, with the battle lines kept in memory
// and Generals written in Python standing in for the scenario's where given.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/setup/HeadlessOptions.h"
#include "battle/Scenario.h"

class CommanderSource;

class LabRun {
 public:
  struct Outcome {
    // As the program's exit status: 0 all finished, 1 one ran out of time, 2 refused, 130 interrupted.
    int status = 0;
    // The --json lines, the summary's included.
    std::string lines;
    // Why a run was refused, in the program's own words.
    std::string error;
  };

  // The options and the battle these arguments give, every file checked; false with the reason.
  static bool Prepare(const std::vector<std::string>& arguments, HeadlessOptions& options, Scenario& scenario,
                      std::string& error);

  // arguments as battlesim-headless takes them (--json is added); commanders by team code, null
  // for the scenario's own General.
  static Outcome Run(const std::vector<std::string>& arguments,
                     const std::array<std::shared_ptr<const CommanderSource>, 2>& commanders);
};
