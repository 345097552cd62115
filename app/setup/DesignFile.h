// Reads a design file (TOML) into a Design, refusing what it cannot stand behind with one line
// "FILE:LINE:COLUMN: what is wrong". Design files are shared like scenarios, so sizes are checked
// before anything is made for them. Whether a factor's values are good for its key is the
// scenario reader's to say (DesignPlan asks it).
#pragma once

#include <string>
#include <string_view>

#include "app/setup/Design.h"

class DesignFile {
 public:
  static constexpr long long kLargestFileBytes = 1 << 20;
  static constexpr int kMostFactors = 64;
  static constexpr int kMostLevels = 1000;
  static constexpr int kMostPoints = 100000;
  static constexpr int kMostReplicates = 100000;
  static constexpr long long kMostBattles = 10000000;
  static constexpr std::size_t kLongestKey = 100;

  static bool Load(const std::string& path, Design& out, std::string& error);
  // The same on a file's text; sourceName stands for the file in errors, and the base scenario's
  // path is taken relative to folder.
  static bool Parse(std::string_view text, const std::string& sourceName, const std::string& folder, Design& out,
                    std::string& error);
  // The design's points before replicates: the product of the factorial's levels, the
  // hypercube's points.
  static long long PointCount(const Design& design);
};
