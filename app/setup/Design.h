// A designed study as its file describes it: the base battle, the factors varied over it, how
// their settings are chosen, the replicates of each setting and the study's seed.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct DesignFactor {
  // A scenario key ("red.squads", "duel.type_advantage[0][1]").
  std::string key;
  // Numbers from low to high (whole numbers when integer), or else the levels as listed.
  bool ranged = false;
  double low = 0.0;
  double high = 0.0;
  bool integer = false;
  // A ranged factor's settings in a factorial design, evenly spaced from low to high.
  int count = 2;
  std::vector<nlohmann::json> levels;
  // "FILE:LINE:COLUMN: " of the factor's table, for messages about it.
  std::string where;
};

struct Design {
  enum class Kind { Factorial, NearlyOrthogonal, LatinHypercube };

  std::string file;          // as given
  std::string scenarioFile;  // the base battle's file, relative to the working folder; empty: built-in
  Kind kind = Kind::NearlyOrthogonal;
  // A random Latin hypercube's points; nearly orthogonal: 0 for the base size, else a multiple of it.
  int points = 0;
  int replicates = 1;
  unsigned seed = 1;
  std::vector<DesignFactor> factors;
};
