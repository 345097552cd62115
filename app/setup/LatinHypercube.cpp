// Nearly orthogonal Latin hypercubes, found by a seeded search: random column permutations,
// improved by swapping two levels within a column while that lowers the sum of squared column
// products; of several such searches the one whose closest two points lie farthest apart wins.
#include "app/setup/LatinHypercube.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>

namespace {
// The standard library's shuffles and distributions differ between implementations; this one does not.
class SplitMix {
 public:
  explicit SplitMix(std::uint64_t seed) : state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }

 private:
  std::uint64_t state;
};

std::vector<int> Shuffled(int points, SplitMix& random) {
  std::vector<int> column(static_cast<std::size_t>(points));
  for (int i = 0; i < points; ++i) column[static_cast<std::size_t>(i)] = i;
  for (int i = points - 1; i > 0; --i)
    std::swap(column[static_cast<std::size_t>(i)], column[static_cast<std::size_t>(random.Below(i + 1))]);
  return column;
}

// Centred levels, doubled so that an even number of points stays whole: the products are exact.
using Columns = std::vector<std::vector<long long>>;

Columns Centred(const LatinHypercube::Matrix& design) {
  const std::size_t points = design.size();
  const std::size_t factors = points == 0 ? 0 : design[0].size();
  Columns columns(factors, std::vector<long long>(points));
  for (std::size_t i = 0; i < points; ++i) {
    for (std::size_t j = 0; j < factors; ++j) columns[j][i] = 2LL * design[i][j] - static_cast<long long>(points - 1);
  }
  return columns;
}

long long Dot(const std::vector<long long>& a, const std::vector<long long>& b) {
  long long sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

// One search from one start: swaps that do not raise the sum of squared products are kept, until
// every product is within the bound or the swaps run out.
class OrthogonalSearch {
 public:
  OrthogonalSearch(int points, int factors, std::uint64_t seed)
      : random(seed), columns(static_cast<std::size_t>(factors)) {
    for (auto& column : columns) {
      for (const int level : Shuffled(points, random)) column.push_back(2LL * level - (points - 1));
    }
    norm = Dot(columns[0], columns[0]);
    products.assign(columns.size(), std::vector<long long>(columns.size(), 0));
    for (std::size_t j = 0; j < columns.size(); ++j) {
      for (std::size_t k = j + 1; k < columns.size(); ++k)
        products[j][k] = products[k][j] = Dot(columns[j], columns[k]);
    }
  }

  bool Run(long long swaps) {
    const auto bound = static_cast<long long>(LatinHypercube::kCorrelationBound * static_cast<double>(norm));
    for (long long swap = 0; swap < swaps; ++swap) {
      if (swap % 1024 == 0 && Largest() <= bound) return true;
      TrySwap();
    }
    return Largest() <= bound;
  }

  LatinHypercube::Matrix Design() const {
    const std::size_t points = columns[0].size();
    LatinHypercube::Matrix design(points, std::vector<int>(columns.size()));
    for (std::size_t j = 0; j < columns.size(); ++j) {
      for (std::size_t i = 0; i < points; ++i)
        design[i][j] = static_cast<int>((columns[j][i] + static_cast<long long>(points - 1)) / 2);
    }
    return design;
  }

 private:
  long long Largest() const {
    long long largest = 0;
    for (std::size_t j = 0; j < columns.size(); ++j) {
      for (std::size_t k = j + 1; k < columns.size(); ++k) largest = std::max(largest, std::llabs(products[j][k]));
    }
    return largest;
  }

  void TrySwap() {
    const int points = static_cast<int>(columns[0].size());
    const auto j = static_cast<std::size_t>(random.Below(static_cast<int>(columns.size())));
    const auto a = static_cast<std::size_t>(random.Below(points));
    const auto b = static_cast<std::size_t>(random.Below(points));
    const long long step = columns[j][b] - columns[j][a];
    // Swapping a and b in column j moves its product with column k by step * (k[a] - k[b]).
    double change = 0.0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      if (k == j) continue;
      const long long moved = products[j][k] + step * (columns[k][a] - columns[k][b]);
      change += static_cast<double>(moved) * static_cast<double>(moved) -
                static_cast<double>(products[j][k]) * static_cast<double>(products[j][k]);
    }
    if (change > 0.0) return;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      if (k == j) continue;
      products[j][k] = products[k][j] = products[j][k] + step * (columns[k][a] - columns[k][b]);
    }
    std::swap(columns[j][a], columns[j][b]);
  }

  SplitMix random;
  Columns columns;
  std::vector<std::vector<long long>> products;
  long long norm = 1;
};

// Squared distances in whole levels: exact, so every machine picks the same search.
long long SmallestSquaredDistance(const LatinHypercube::Matrix& design) {
  long long smallest = std::numeric_limits<long long>::max();
  for (std::size_t a = 0; a < design.size(); ++a) {
    for (std::size_t b = a + 1; b < design.size(); ++b) {
      long long sum = 0;
      for (std::size_t j = 0; j < design[a].size(); ++j) {
        const long long d = design[a][j] - design[b][j];
        sum += d * d;
      }
      smallest = std::min(smallest, sum);
    }
  }
  return smallest;
}

LatinHypercube::Matrix Search(int points, int factors) {
  constexpr int kStarts = 12;
  constexpr long long kSwaps = 400000;
  LatinHypercube::Matrix best;
  long long bestSpread = -1;
  for (int start = 0; start < kStarts; ++start) {
    OrthogonalSearch search(points, factors,
                            0x6261747465ULL * 1000003ULL + static_cast<std::uint64_t>(start) * 7919ULL +
                                static_cast<std::uint64_t>(points));
    if (!search.Run(kSwaps)) continue;
    LatinHypercube::Matrix design = search.Design();
    const long long spread = SmallestSquaredDistance(design);
    if (spread > bestSpread) {
      bestSpread = spread;
      best = std::move(design);
    }
  }
  assert(!best.empty() && "the search must find a design within the bound for every offered size");
  return best;
}
}  // namespace

const std::vector<LatinHypercube::Size>& LatinHypercube::NearlyOrthogonalSizes() {
  static const std::vector<Size> sizes{{17, 7}, {33, 11}, {65, 16}, {129, 22}, {257, 29}};
  return sizes;
}

LatinHypercube::Matrix LatinHypercube::NearlyOrthogonalBase(int points) {
  // Found once per size and process: a study's threads and the Python module share them.
  static std::mutex mutex;
  static std::map<int, Matrix> found;
  const std::lock_guard lock(mutex);
  const auto known = found.find(points);
  if (known != found.end()) return known->second;
  const auto size = std::find_if(NearlyOrthogonalSizes().begin(), NearlyOrthogonalSizes().end(),
                                 [points](const Size& each) { return each.points == points; });
  assert(size != NearlyOrthogonalSizes().end() && "only the offered sizes are nearly orthogonal");
  return found[points] = Search(size->points, size->mostFactors);
}

int LatinHypercube::NearlyOrthogonalPoints(int factors) {
  for (const Size& size : NearlyOrthogonalSizes()) {
    if (factors <= size.mostFactors) return size.points;
  }
  return NearlyOrthogonalSizes().back().points;
}

LatinHypercube::Matrix LatinHypercube::NearlyOrthogonal(int factors, int copies) {
  assert(factors >= 1 && factors <= kMostNearlyOrthogonalFactors && copies >= 1);
  const auto size = std::find_if(NearlyOrthogonalSizes().begin(), NearlyOrthogonalSizes().end(),
                                 [factors](const Size& each) { return factors <= each.mostFactors; });
  const Matrix base = NearlyOrthogonalBase(size->points);
  const auto columns = static_cast<std::size_t>(size->mostFactors);
  Matrix design;
  for (int copy = 0; copy < copies; ++copy) {
    for (const std::vector<int>& row : base) {
      std::vector<int> point;
      for (std::size_t j = 0; j < static_cast<std::size_t>(factors); ++j)
        point.push_back(row[(j + static_cast<std::size_t>(copy)) % columns]);
      design.push_back(std::move(point));
    }
  }
  return design;
}

LatinHypercube::Matrix LatinHypercube::Random(int points, int factors, std::uint64_t seed) {
  SplitMix random(seed);
  Matrix design(static_cast<std::size_t>(points), std::vector<int>(static_cast<std::size_t>(factors)));
  for (std::size_t j = 0; j < static_cast<std::size_t>(factors); ++j) {
    const std::vector<int> column = Shuffled(points, random);
    for (std::size_t i = 0; i < column.size(); ++i) design[i][j] = column[i];
  }
  return design;
}

double LatinHypercube::LargestCorrelation(const Matrix& design) {
  const Columns columns = Centred(design);
  const auto n = static_cast<long long>(design.size());
  std::vector<long long> sums;
  for (const auto& column : columns) {
    long long sum = 0;
    for (const long long value : column) sum += value;
    sums.push_back(sum);
  }
  // n * (sum of products) less the product of sums: exact, whatever the columns' means.
  const auto spread = [&](std::size_t j, std::size_t k) {
    return static_cast<double>(n * Dot(columns[j], columns[k]) - sums[j] * sums[k]);
  };
  double largest = 0.0;
  for (std::size_t j = 0; j < columns.size(); ++j) {
    for (std::size_t k = j + 1; k < columns.size(); ++k) {
      largest = std::max(largest, std::fabs(spread(j, k) / std::sqrt(spread(j, j) * spread(k, k))));
    }
  }
  return largest;
}

double LatinHypercube::MaximinDistance(const Matrix& design) {
  int highest = 0;
  for (const std::vector<int>& point : design) {
    for (const int level : point) highest = std::max(highest, level);
  }
  if (design.size() < 2 || highest == 0) return 0.0;
  return std::sqrt(static_cast<double>(SmallestSquaredDistance(design))) / highest;
}
