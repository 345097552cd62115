// The conversions every painter of the image tool shares: a 0..1 value to a colour byte, and a
// field of heights to the alpha bytes that carry them in a height map.
#pragma once

#include <vector>

class PixelBytes {
 public:
  // Clamped to 0..1 first.
  static unsigned char FromUnit(double value);
  // The lowest height becomes 0 and the highest 255.
  static std::vector<unsigned char> HeightsToAlpha(const std::vector<double>& heights);
};
