// Pixel byte conversions.
#include "tools/PixelBytes.h"

#include <algorithm>
#include <cmath>

unsigned char PixelBytes::FromUnit(double value) {
  return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

std::vector<unsigned char> PixelBytes::HeightsToAlpha(const std::vector<double>& heights) {
  const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
  std::vector<unsigned char> alpha(heights.size());
  for (std::size_t i = 0; i < heights.size(); ++i) {
    alpha[i] = static_cast<unsigned char>(std::lround((heights[i] - *low) / (*high - *low) * 255.0));
  }
  return alpha;
}
