// Generates the height maps of the large scenarios at any side: alpha is the height, RGB the
// ground colour. A gentle open band across the middle where the armies meet, rolling ground on
// both halves where their many rows stand, and nothing a march cannot climb.
#pragma once

#include "tools/RgbaImage.h"

class LargeFieldPainter {
 public:
  // Half the depth of the open band: the Generals' march goals lie within 15 of the middle line.
  static constexpr int kBandHalfDepth = 30;
  // Beyond the band the ground rolls up to its full swell within this distance.
  static constexpr int kSwellDistance = 60;
  // Hills keep their size whatever the side, so larger fields carry more of them.
  static constexpr double kHillSpacing = 96.0;

  // A square field of side cells.
  static RgbaImage Paint(int side);
  static RgbaImage Paint256() { return Paint(256); }
  static RgbaImage Paint512() { return Paint(512); }
  static RgbaImage Paint1024() { return Paint(1024); }
};
