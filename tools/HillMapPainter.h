// Generates the height map of the "archers hold the hill" scenario: alpha is the height, RGB the
// ground colour. Open, gently rolling ground with one broad hill on red's half.
#pragma once

#include "tools/RgbaImage.h"

class HillMapPainter {
 public:
  static constexpr int kSide = 256;
  // World (x, z) of the hilltop and how far its slopes reach. Red stands at positive z, so its
  // archers' line (z = 15) and its General (z = 37) are on the slope; the top is between them.
  static constexpr int kTopX = 0;
  static constexpr int kTopZ = 28;
  static constexpr int kHillRadius = 80;

  static RgbaImage Paint();
};
