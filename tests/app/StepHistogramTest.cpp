// The step-time histogram must report what a sorted list of every sample would, to its resolution.
#include "app/run/StepHistogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double ExactPercentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

TEST(StepHistogram, EmptyReportsZero) {
  const StepHistogram histogram;
  EXPECT_EQ(histogram.Percentile(0.5), 0.0);
  EXPECT_EQ(histogram.Max(), 0.0);
  EXPECT_EQ(histogram.Count(), 0u);
}

TEST(StepHistogram, PercentilesMatchTheSortedSamplesWithinATenthOfAPercent) {
  StepHistogram histogram;
  std::vector<double> samples;
  // A skewed spread like a battle's steps: most short, a long tail, one very long frame.
  for (int i = 0; i < 5000; ++i) samples.push_back(10.0 + (i * 37 % 101) * 0.25);
  for (int i = 0; i < 60; ++i) samples.push_back(100.0 + i * 40.0);
  samples.push_back(22895.3);
  for (double sample : samples) histogram.Add(sample);

  EXPECT_EQ(histogram.Count(), samples.size());
  EXPECT_EQ(histogram.Max(), 22895.3);
  for (double fraction : {0.01, 0.5, 0.9, 0.99, 0.999, 1.0}) {
    const double exact = ExactPercentile(samples, fraction);
    EXPECT_NEAR(histogram.Percentile(fraction), exact, exact * 0.001) << fraction;
  }
}

TEST(StepHistogram, TimesOutsideTheRangeStillCount) {
  StepHistogram histogram;
  histogram.Add(0.0);
  histogram.Add(-1.0);
  histogram.Add(1e9);
  EXPECT_EQ(histogram.Count(), 3u);
  EXPECT_EQ(histogram.Max(), 1e9);
  EXPECT_LT(histogram.Percentile(0.5), 0.02);
  EXPECT_GT(histogram.Percentile(1.0), 1e6) << "a step longer than the last bin is not lost in the middle";
}
