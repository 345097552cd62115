// Which General leads each side: the command line's strategy scripts over the scenario's, every
// script checked before the first battle, and the names the window shows for them.
#pragma once

#include <array>
#include <string>

#include "battle/Scenario.h"

class GeneralChoice {
 public:
  // Puts each non-empty override (by team code) into the scenario, then checks every script the
  // battles will run; false with one line "FILE:LINE: message" for the first that fails.
  static bool Apply(const std::array<std::string, 2>& overrides, Scenario& scenario, std::string& error);
  // "built-in", or the script's file name.
  static std::string Describe(const ArmySetup& army);
};
