// A designed study made ready to run: every point's factor values and battle, each checked by the
// scenario reader before anything runs, and the rule that numbers its battles. Battle B (from 1)
// of the study is point K = (B-1) / replicates + 1, replicate R = (B-1) % replicates + 1, and is
// played with the seed study seed + B - 1; so the study is the seed range of its battles, and
// shards, merges and verifying work on it as on any seed range.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/setup/Design.h"
#include "app/setup/HeadlessOptions.h"
#include "app/setup/SeedRange.h"
#include "battle/Scenario.h"

class DesignPlan {
 public:
  struct Point {
    // The factors' values by key, in the file's order.
    nlohmann::ordered_json factors;
    Scenario scenario;
  };

  // Reads the design file and its base scenario and makes every point's battle, the Generals'
  // scripts (by team code, empty: the point's own) put in place and no battle above maxUnits
  // units; false with one line naming the factor, or the point and its values, that is refused.
  static bool Load(const std::string& path, long long maxUnits, const std::array<std::string, 2>& generals,
                   std::unique_ptr<DesignPlan>& out, std::string& error);
  // The same for a design already read.
  static bool Make(Design settings, long long maxUnits, const std::array<std::string, 2>& generals,
                   std::unique_ptr<DesignPlan>& out, std::string& error);

  // Loads options.designFile as Load does and makes options its study: the seeds of every battle
  // (or of the point and replicate asked for, refused past the design's), the shard kept, the base
  // scenario's file, one battle per seed.
  static bool Prepare(HeadlessOptions& options, std::unique_ptr<DesignPlan>& out, std::string& error);

  const Design& Settings() const { return design; }
  const Scenario& BaseScenario() const { return base; }
  int Points() const { return static_cast<int>(points.size()); }
  // Every battle's seed; the range of one point's replicates, or one replicate's seed, when asked.
  SeedRange Seeds(int point = 0, int replicate = 0) const;
  bool Holds(unsigned seed) const;
  // The point (from 1) and replicate (from 1) played with seed, which Holds.
  int PointOf(unsigned seed) const;
  int ReplicateOf(unsigned seed) const;
  const Point& PointAt(int point) const { return points[static_cast<std::size_t>(point - 1)]; }
  // A battle line of the study's seed, JSON or text, with its point, replicate and factors.
  std::string Line(const std::string& battleLine, unsigned seed, bool json) const;

 private:
  bool MakePoints(long long maxUnits, const std::array<std::string, 2>& generals, std::string& error);
  bool CheckFactors(std::string& error) const;

  Design design;
  Scenario base;
  std::string baseText;
  std::vector<Point> points;
};
