// A base scenario file with some of its keys set to other values, read as a scenario file: the
// scenario reader alone says which keys exist and what values they take, for designed studies
// as for files written by hand.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "battle/Scenario.h"

class ScenarioVariant {
 public:
  // A key ("red.squads", "duel.type_advantage[1][0]", "red.squad[2].formation") and the value it takes.
  using Setting = std::pair<std::string, nlohmann::json>;

  // The base file's text (empty: the built-in battle) and the folder its paths start from.
  ScenarioVariant(std::string baseText, std::string baseFolder);

  // The base battle with the settings in place; false with one line saying what is wrong, without
  // a place in a file (the settings stand in no file).
  bool Make(const std::vector<Setting>& settings, Scenario& out, std::string& error) const;

 private:
  std::string text;
  std::string folder;
};
