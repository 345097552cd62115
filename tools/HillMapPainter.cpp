// Generates the height map of the "archers hold the hill" scenario: alpha is the height, RGB the
// ground colour. Open, gently rolling ground with one broad hill on red's half.
#include "tools/HillMapPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/FixedNoise.h"
#include "tools/PixelBytes.h"

namespace {

constexpr int kSide = HillMapPainter::kSide;

// (1 - t^2)^2 out to the radius: flat on top and at the foot, its steepest slope under a fifth
// of what a marching squad may climb.
double Hill(double x, double z) {
  const double t = std::hypot(x - HillMapPainter::kTopX, z - HillMapPainter::kTopZ) / HillMapPainter::kHillRadius;
  const double rest = std::max(0.0, 1.0 - t * t);
  return rest * rest;
}

std::vector<double> Heights() {
  const FixedNoise ground(0x4111A1U);
  std::vector<double> heights(static_cast<std::size_t>(kSide) * kSide);
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      const double x = col - kSide / 2.0;
      const double z = kSide / 2.0 - row;
      heights[static_cast<std::size_t>(row) * kSide + col] = 0.12 * ground.Fractal(x / 40.0, z / 40.0, 3) + Hill(x, z);
    }
  }
  return heights;
}

// Meadow green at the foot, drier and paler towards the top, speckled a little.
void Colour(unsigned char height, double speckle, unsigned char* rgb) {
  const double t = height / 255.0;
  const double shade = 1.0 + 0.06 * speckle;
  rgb[0] = PixelBytes::FromUnit((0.34 + 0.30 * t) * shade);
  rgb[1] = PixelBytes::FromUnit((0.58 + 0.10 * t) * shade);
  rgb[2] = PixelBytes::FromUnit((0.24 + 0.08 * t) * shade);
}

}  // namespace

RgbaImage HillMapPainter::Paint() {
  const std::vector<unsigned char> alpha = PixelBytes::HeightsToAlpha(Heights());
  const FixedNoise speckle(0x4111A2U);
  RgbaImage image;
  image.width = kSide;
  image.height = kSide;
  image.bytes.resize(alpha.size() * 4);
  for (int row = 0; row < kSide; ++row) {
    for (int col = 0; col < kSide; ++col) {
      const std::size_t i = static_cast<std::size_t>(row) * kSide + col;
      Colour(alpha[i], speckle.Fractal(col / 3.0, row / 3.0, 2), &image.bytes[i * 4]);
      image.bytes[i * 4 + 3] = alpha[i];
    }
  }
  return image;
}
