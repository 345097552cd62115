// Generates the battlefield height map: alpha is the height, RGB the ground colour. A gentle open
// band across the middle where the armies meet, rolling hills beyond it, steep rocky ridges and
// two rock spires that marching squads must go around.
#pragma once

#include <array>

#include "tools/RgbaImage.h"

class HeightMapPainter {
 public:
  static constexpr int kSide = 256;
  // World (x, z) of the steep spires inside the open band and the radius of ground they steepen.
  static constexpr std::array<std::array<int, 2>, 2> kSpires{{{-50, 26}, {54, -28}}};
  static constexpr int kSpireRadius = 8;

  static RgbaImage Paint();
};
