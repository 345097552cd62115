// Where a billboard lands in the window under the transforms GL draws with: the coarse window cells
// it may touch, and whether GL has to clip it. Projected in double from GL's own float matrices, so
// a corner too close to the edge of the view to be sure which side GL puts it on is reported as
// such rather than guessed.
#pragma once

#include <array>

#include "math/Vector3.h"

class BillboardProjection {
 public:
  // Side of the square window cells, in pixels. Coarser cells make neighbours that share no
  // pixel seem to overlap, which costs draw calls: in a battle of 10 002 units 8 pixels take a
  // third more than 4, and 2 hardly fewer.
  static constexpr int kCellPixels = 4;

  enum class Clipping { kNone, kSome, kUnsure };

  // Cells both ends included; no cell at all when a first exceeds its last.
  struct Footprint {
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;

    bool Empty() const { return firstColumn > lastColumn || firstRow > lastRow; }
  };

  struct Landing {
    Footprint footprint;
    Clipping clipping;
    // With kSome: a corner GL certainly clips.
    Vector3 outsideCorner;
  };

  // Takes GL's current modelview, projection and viewport.
  void TakeFromGl();
  int Columns() const { return columns; }
  int Rows() const { return rows; }
  Landing Land(const std::array<Vector3, 4>& corners) const;
  // Whether the ball around a billboard lies beyond one side of the view, so far beyond it that
  // GL's rounding cannot bring a corner back and no footprint reaches into the window: then Land
  // would find the billboard clipped away whole, at a multiple of the cost.
  bool SurelyOutside(const Vector3& centre, double radius) const;

 private:
  struct ClipPoint {
    double x, y, z, w;
    // The size of the terms each coordinate was summed from, which bounds GL's rounding.
    double scale;
  };

  ClipPoint ToClip(const Vector3& point) const;
  Footprint FootprintOf(const std::array<ClipPoint, 4>& clip) const;
  Footprint WholeWindow() const { return {0, columns - 1, 0, rows - 1}; }

  // A plane's value at a world point is a x + b y + c z + d; reach is |(a, b, c)|, by which a
  // ball's radius lowers its least value.
  struct Plane {
    double a, b, c, d, reach;
  };
  static Plane PlaneOf(const std::array<double, 4>& coefficients);
  void TakePlanes();
  static double Least(const Plane& plane, const Vector3& centre, double radius);
  // A hundred times the most that GL's rounding may move any point of the ball in clip space.
  double Tolerance(const Vector3& centre, double radius) const;

  std::array<double, 16> clipFromWorld{};  // row-major, for column vectors
  // Beyond the far plane, before the near one; in front of the eye; beyond the right, left, top
  // and bottom sides widened by more than a footprint's margin and cell.
  Plane farSide{}, nearSide{}, eyeSide{};
  std::array<Plane, 4> beyondSides{};
  // Of each clip row.
  std::array<double, 4> rowReach{};
  double viewportWidth = 0.0;
  double viewportHeight = 0.0;
  int columns = 0;
  int rows = 0;
};
