// Writes squads and Generals placed by hand into a scenario file: each side's [[red.squad]] or
// [[blue.squad]] tables and general_x, general_z, over what the file held for them; everything
// else it held (name, terrain, duel tables, scripts) stays. The file is written by toml++, which
// keeps values but not comments: what was written reads back to the same file when written again.
#pragma once

#include <string>

#include "battle/Scenario.h"

class ScenarioWriter {
 public:
  // The file's text with the armies' places of scenario; false with a one-line reason when the
  // file exists but holds no TOML. A side with nothing placed is written with squads = 0.
  static bool Save(const std::string& path, const Scenario& scenario, std::string& error);
};
