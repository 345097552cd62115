// Smooth value noise from a fixed seed, for generated images that must come out the same every run.
#pragma once

#include <cstdint>

class FixedNoise {
 public:
  explicit FixedNoise(std::uint32_t seed) : seed_(seed) {}
  // Smooth noise in [-1, 1] with features about one unit apart.
  double Value(double x, double y) const;
  // Sum of octaves, each of twice the frequency and half the amplitude; about [-1, 1].
  double Fractal(double x, double y, int octaves) const;
  // Pseudo-random value in [0, 1) for an integer lattice point.
  double Lattice(std::int32_t x, std::int32_t y) const;

 private:
  std::uint32_t seed_;
};
