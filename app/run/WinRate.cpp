// Win rates and their intervals.
#include "app/run/WinRate.h"

#include <cmath>

// The Wilson interval stays inside [0, 1] and is honest for few battles and for rates near 0 or
// 1, where the textbook normal interval is not.
WinRate WinRate::Of(int wins, int battles) {
  if (battles <= 0) return WinRate{};
  constexpr double z = 1.959963984540054;  // two-sided 95%
  const double n = battles;
  const double p = wins / n;
  const double z2 = z * z;
  const double centre = (p + z2 / (2.0 * n)) / (1.0 + z2 / n);
  const double half = z * std::sqrt(p * (1.0 - p) / n + z2 / (4.0 * n * n)) / (1.0 + z2 / n);
  return WinRate{p, std::fmax(0.0, centre - half), std::fmin(1.0, centre + half), true};
}
