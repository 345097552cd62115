// Generates the battlefield height map: alpha is the height, RGB the ground colour. A gentle open
// band across the middle where the armies meet, rolling hills beyond it, steep rocky ridges and
// two rock spires that marching squads must go around.
#include "tools/HeightMapPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/FixedNoise.h"
#include "tools/PixelBytes.h"

namespace {

constexpr int kSide = HeightMapPainter::kSide;

struct Ridge {
  std::array<std::array<double, 2>, 3> points;  // world (x, z) of the crest line
  double height;
  double halfWidth;
};

// Well outside the band |z| <= 60 and a dozen cells from the map edge, each a single crest
// between open ground, so none closes off a valley. Flanks rise by height / halfWidth per cell,
// well above what a marching squad may climb.
constexpr std::array<Ridge, 5> kRidges{{
    {{{{-108, 90}, {-76, 104}, {-38, 100}}}, 0.70, 8},
    {{{{28, 82}, {62, 100}, {100, 106}}}, 0.62, 7},
    {{{{-100, -100}, {-66, -92}, {-30, -98}}}, 0.60, 7},
    {{{{46, -84}, {64, -98}, {84, -112}}}, 1.00, 10},
    {{{{-14, 114}, {0, 110}, {14, 116}}}, 0.45, 5},
}};

double SmoothStep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

double SegmentDistance(double x, double z, const std::array<double, 2>& a, const std::array<double, 2>& b) {
  const double dx = b[0] - a[0];
  const double dz = b[1] - a[1];
  const double t = std::clamp(((x - a[0]) * dx + (z - a[1]) * dz) / (dx * dx + dz * dz), 0.0, 1.0);
  return std::hypot(x - (a[0] + dx * t), z - (a[1] + dz * t));
}

double CrestDistance(double x, double z, const Ridge& r) {
  return std::min(SegmentDistance(x, z, r.points[0], r.points[1]), SegmentDistance(x, z, r.points[1], r.points[2]));
}

double RidgeHeight(double x, double z, const FixedNoise& rock) {
  double height = 0.0;
  for (const Ridge& r : kRidges) {
    const double width = r.halfWidth * (1.0 + 0.25 * rock.Value(x / 14.0, z / 14.0));
    const double d = CrestDistance(x, z, r) / width;
    const double crest = r.height * (0.85 + 0.15 * rock.Value(x / 6.0 + 40.0, z / 6.0));
    height = std::max(height, crest * std::max(0.0, 1.0 - d));
  }
  return height;
}

double SpireHeight(double x, double z) {
  double height = 0.0;
  for (const auto& spire : HeightMapPainter::kSpires) {
    const double d = std::hypot(x - spire[0], z - spire[1]) / (HeightMapPainter::kSpireRadius - 2.0);
    height = std::max(height, 0.55 * std::max(0.0, 1.0 - d));
  }
  return height;
}

// Rock faces are rough: fine noise only where ridges or spires stand.
double Roughness(double x, double z, double rise, const FixedNoise& rock) {
  return 0.05 * SmoothStep(0.0, 0.2, rise) * rock.Fractal(x / 3.0, z / 3.0, 2);
}

double Height(double x, double z, const FixedNoise& ground, const FixedNoise& hills, const FixedNoise& rock) {
  const double open = 0.20 + 0.06 * ground.Fractal(x / 45.0, z / 45.0, 3);
  const double outside = SmoothStep(58.0, 92.0, std::abs(z)) * (0.20 + 0.16 * hills.Fractal(x / 34.0, z / 34.0, 3));
  const double rise = std::max(RidgeHeight(x, z, rock), SpireHeight(x, z));
  return open + outside + rise + Roughness(x, z, rise, rock);
}

std::vector<double> Heights() {
  const FixedNoise ground(0x5EED01U);
  const FixedNoise hills(0x5EED02U);
  const FixedNoise rock(0x5EED03U);
  std::vector<double> heights(kSide * kSide);
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      heights[row * kSide + col] = Height(col - 128.0, 128.0 - row, ground, hills, rock);
    }
  }
  return heights;
}

// The outermost ring copies its inner neighbours, so it is as flat as the ground beside it.
void FlattenRing(std::vector<double>& heights) {
  for (int i = 0; i < kSide; ++i) {
    const int inner = std::clamp(i, 1, kSide - 2);
    heights[i] = heights[kSide + inner];
    heights[(kSide - 1) * kSide + i] = heights[(kSide - 2) * kSide + inner];
    heights[i * kSide] = heights[inner * kSide + 1];
    heights[i * kSide + kSide - 1] = heights[inner * kSide + kSide - 2];
  }
}

int Steepness(const std::vector<unsigned char>& alpha, int col, int row) {
  int steepest = 0;
  const int here = alpha[row * kSide + col];
  for (const auto& [dc, dr] : {std::array{1, 0}, std::array{-1, 0}, std::array{0, 1}, std::array{0, -1}}) {
    const int c = std::clamp(col + dc, 0, kSide - 1);
    const int r = std::clamp(row + dr, 0, kSide - 1);
    steepest = std::max(steepest, std::abs(alpha[r * kSide + c] - here));
  }
  return steepest;
}

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// Grass low down, dirt where it slopes, rock where it is steep or high; speckled a little.
Rgb GroundColour(int height, int steepness, double meadow, double speckle) {
  const double t = height / 255.0;
  Rgb colour = Mix({0.36, 0.60, 0.25}, {0.52, 0.65, 0.30}, SmoothStep(-0.4, 0.5, meadow));
  colour = Mix(colour, {0.60, 0.53, 0.36}, 0.45 * SmoothStep(0.45, 0.7, -meadow));
  colour = Mix(colour, {0.50, 0.62, 0.33}, SmoothStep(0.25, 0.6, t));
  colour = Mix(colour, {0.62, 0.48, 0.32}, SmoothStep(4.0, 11.0, steepness));
  colour = Mix(colour, {0.64, 0.62, 0.60}, std::max(SmoothStep(12.0, 19.0, steepness), SmoothStep(0.68, 0.85, t)));
  const double shade = 1.0 + 0.06 * speckle;
  return {colour.r * shade, colour.g * shade, colour.b * shade};
}

}  // namespace

RgbaImage HeightMapPainter::Paint() {
  std::vector<double> heights = Heights();
  FlattenRing(heights);
  const std::vector<unsigned char> alpha = PixelBytes::HeightsToAlpha(heights);
  const FixedNoise speckle(0x5EED04U);
  const FixedNoise meadow(0x5EED05U);
  RgbaImage image;
  image.width = kSide;
  image.height = kSide;
  image.bytes.resize(static_cast<std::size_t>(kSide) * kSide * 4);
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      const std::size_t i = static_cast<std::size_t>(row) * kSide + col;
      const Rgb colour = GroundColour(alpha[i], Steepness(alpha, col, row), meadow.Fractal(col / 24.0, row / 24.0, 3),
                                      speckle.Fractal(col / 3.0, row / 3.0, 2));
      image.bytes[i * 4 + 0] = PixelBytes::FromUnit(colour.r);
      image.bytes[i * 4 + 1] = PixelBytes::FromUnit(colour.g);
      image.bytes[i * 4 + 2] = PixelBytes::FromUnit(colour.b);
      image.bytes[i * 4 + 3] = alpha[i];
    }
  }
  return image;
}
