// Draws the unit and effect billboards: light, outlined figures on transparent ground, upright
// (row 0 is the top), so the team tint multiplies them into red or blue.
#pragma once

#include "tools/RgbaImage.h"

class BillboardPainter {
 public:
  static RgbaImage Soldier();
  static RgbaImage Archer();
  static RgbaImage Berserker();
  static RgbaImage SquadLeader();
  static RgbaImage General();
  static RgbaImage Blood();
  static RgbaImage Arrow();
};
