// Distribution of the simulation's step times in constant memory, so a run of any length can
// report its median and tail without its own bookkeeping growing with every frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class StepHistogram {
 public:
  void Add(double microseconds);
  // Takes in the samples of another histogram: the steps of a study's threads make one distribution.
  StepHistogram& operator+=(const StepHistogram& more);
  // The smallest recorded time at or above the given share of all samples (0.5 for the median),
  // within the histogram's resolution; 0 when empty.
  double Percentile(double fraction) const;
  double Max() const { return max; }
  std::uint64_t Count() const { return count; }

 private:
  // Bins grow geometrically by this ratio: every figure is within 0.1 % of the true value.
  static constexpr double kRatio = 1.001;
  static constexpr double kSmallest = 0.01;    // microseconds; smaller times share the first bin
  static constexpr std::size_t kBins = 20000;  // up to about 5 seconds; longer ones share the last

  static std::size_t BinOf(double microseconds);
  static double Representative(std::size_t bin);

  std::vector<std::uint64_t> bins = std::vector<std::uint64_t>(kBins);
  std::uint64_t count = 0;
  double max = 0.0;
};
