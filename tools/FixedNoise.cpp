// Smooth value noise from a fixed seed, for generated images that must come out the same every run.
#include "tools/FixedNoise.h"

#include <cmath>

namespace {

std::uint32_t Mix(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x7feb352dU;
  h ^= h >> 15;
  h *= 0x846ca68bU;
  h ^= h >> 16;
  return h;
}

double Fade(double t) { return t * t * (3.0 - 2.0 * t); }

}  // namespace

double FixedNoise::Lattice(std::int32_t x, std::int32_t y) const {
  const std::uint32_t h =
      Mix(seed_ ^ Mix(static_cast<std::uint32_t>(x) * 0x9E3779B1U ^ Mix(static_cast<std::uint32_t>(y) + 0x632BE5ABU)));
  return static_cast<double>(h >> 8) / 16777216.0;
}

double FixedNoise::Value(double x, double y) const {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto ix = static_cast<std::int32_t>(fx);
  const auto iy = static_cast<std::int32_t>(fy);
  const double u = Fade(x - fx);
  const double v = Fade(y - fy);
  const double top = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * u;
  const double bottom = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * u;
  return (top + (bottom - top) * v) * 2.0 - 1.0;
}

double FixedNoise::Fractal(double x, double y, int octaves) const {
  double sum = 0.0;
  double amplitude = 0.5;
  double frequency = 1.0;
  double total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += Value(x * frequency + 17.0 * i, y * frequency - 31.0 * i) * amplitude;
    total += amplitude;
    amplitude *= 0.5;
    frequency *= 2.0;
  }
  return sum / total;
}
