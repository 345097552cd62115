// Generates the large scenarios' height maps: one painter for every side.
#include "tools/LargeFieldPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/FixedNoise.h"
#include "tools/PixelBytes.h"

namespace {

// 0 inside the open band, rising smoothly to 1 one swell distance beyond it.
double Swell(double z) {
  const double beyond = (std::fabs(z) - LargeFieldPainter::kBandHalfDepth) / LargeFieldPainter::kSwellDistance;
  const double t = std::clamp(beyond, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Two octaves only: finer ones would add slopes without adding anything a battle notices.
std::vector<double> Heights(int side) {
  const FixedNoise ground(0x1A46EU);
  std::vector<double> heights(static_cast<std::size_t>(side) * side);
  const double spacing = LargeFieldPainter::kHillSpacing;
  for (int row = 0; row < side; ++row) {
    const double z = side / 2.0 - row;
    const double swell = 0.15 + 0.85 * Swell(z);
    for (int col = 0; col < side; ++col) {
      const double x = col - side / 2.0;
      heights[static_cast<std::size_t>(row) * side + col] = swell * ground.Fractal(x / spacing, z / spacing, 2);
    }
  }
  return heights;
}

// The colour follows the height alone (meadow in the hollows, drier grass on the rises), so the
// large images stay smooth and compress to a small share of their pixels.
void Colour(unsigned char height, unsigned char* rgb) {
  const double t = height / 255.0;
  rgb[0] = PixelBytes::FromUnit(0.30 + 0.28 * t);
  rgb[1] = PixelBytes::FromUnit(0.52 + 0.12 * t);
  rgb[2] = PixelBytes::FromUnit(0.22 + 0.08 * t);
}

}  // namespace

RgbaImage LargeFieldPainter::Paint(int side) {
  const std::vector<unsigned char> alpha = PixelBytes::HeightsToAlpha(Heights(side));
  RgbaImage image;
  image.width = side;
  image.height = side;
  image.bytes.resize(alpha.size() * 4);
  for (std::size_t i = 0; i < alpha.size(); ++i) {
    Colour(alpha[i], &image.bytes[i * 4]);
    image.bytes[i * 4 + 3] = alpha[i];
  }
  return image;
}
