// Log-spaced step-time histogram of the headless runner.
#include "app/run/StepHistogram.h"

#include <algorithm>
#include <cmath>

std::size_t StepHistogram::BinOf(double microseconds) {
  if (!(microseconds > kSmallest)) return 0;
  const double bin = std::floor(std::log(microseconds / kSmallest) / std::log(kRatio));
  return static_cast<std::size_t>(std::min(bin, static_cast<double>(kBins - 1)));
}

// The bin's geometric middle: at most half a bin from any time it holds.
double StepHistogram::Representative(std::size_t bin) {
  return kSmallest * std::pow(kRatio, static_cast<double>(bin) + 0.5);
}

void StepHistogram::Add(double microseconds) {
  ++bins[BinOf(microseconds)];
  ++count;
  max = std::max(max, microseconds);
}

StepHistogram& StepHistogram::operator+=(const StepHistogram& more) {
  for (std::size_t bin = 0; bin < kBins; ++bin) bins[bin] += more.bins[bin];
  count += more.count;
  max = std::max(max, more.max);
  return *this;
}

double StepHistogram::Percentile(double fraction) const {
  if (count == 0) return 0.0;
  const auto rank =
      std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(fraction * static_cast<double>(count))));
  std::uint64_t seen = 0;
  for (std::size_t bin = 0; bin < kBins; ++bin) {
    seen += bins[bin];
    if (seen >= rank) return std::min(Representative(bin), max);
  }
  return max;
}
