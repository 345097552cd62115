// Latin hypercubes for designed studies: each factor's column a permutation of the levels 0 to
// n-1. Nearly orthogonal ones keep the factors' effects apart (every pair of columns nearly
// uncorrelated) while spreading the points; random ones serve any number of points.
#pragma once

#include <cstdint>
#include <vector>

class LatinHypercube {
 public:
  // points x factors, each entry a level 0..points-1; every column holds each level once.
  using Matrix = std::vector<std::vector<int>>;

  struct Size {
    int points;
    int mostFactors;
  };
  // The nearly orthogonal designs offered, smallest first: 17 points up to 7 factors, ... 257 up to 29.
  static const std::vector<Size>& NearlyOrthogonalSizes();
  static constexpr int kMostNearlyOrthogonalFactors = 29;
  // The correlation every pair of a nearly orthogonal design's columns stays within.
  static constexpr double kCorrelationBound = 0.03;

  // The smallest nearly orthogonal size for factors (1..29) points, copies times over: each copy
  // after the first takes the base design's columns rotated, so its points differ while every
  // pair of columns stays within the bound. The same matrix on every machine.
  static Matrix NearlyOrthogonal(int factors, int copies = 1);
  // The points of one copy of that design.
  static int NearlyOrthogonalPoints(int factors);
  // The full base design of one offered size, all its columns.
  static Matrix NearlyOrthogonalBase(int points);
  // Each column an independent shuffle drawn from seed.
  static Matrix Random(int points, int factors, std::uint64_t seed);

  // The largest absolute correlation between two columns (0 for a single column).
  static double LargestCorrelation(const Matrix& design);
  // The smallest distance between two points, the levels scaled onto 0..1.
  static double MaximinDistance(const Matrix& design);
};
