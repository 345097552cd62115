// Tests of the large scenarios' fields: at every shipped side no step between neighbouring cells
// is too steep to march, and the band where the armies meet is flatter than the ground behind.
#include "tools/LargeFieldPainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The large scenarios scale their maps onto heights 0 to 8; a march stops at a rise of 0.6
// between neighbouring cells.
constexpr double kBlockingRise = 0.6 * 255.0 / 8.0;

int AlphaAt(const RgbaImage& image, int col, int row) {
  return image.bytes[(static_cast<std::size_t>(row) * image.width + col) * 4 + 3];
}

// The largest height difference between orthogonal neighbours within rows first to last.
int SteepestStep(const RgbaImage& image, int firstRow, int lastRow) {
  int steepest = 0;
  for (int row = firstRow; row < lastRow; ++row) {
    for (int col = 0; col + 1 < image.width; ++col) {
      const int here = AlphaAt(image, col, row);
      steepest = std::max({steepest, std::abs(AlphaAt(image, col + 1, row) - here),
                           std::abs(AlphaAt(image, col, row + 1) - here)});
    }
  }
  return steepest;
}

}  // namespace

TEST(LargeFieldPainter, EveryStepIsClimbableAtEveryShippedSide) {
  for (const int side : {256, 512, 1024}) {
    const RgbaImage image = LargeFieldPainter::Paint(side);
    ASSERT_EQ(image.width, side);
    EXPECT_LE(SteepestStep(image, 0, side - 1), kBlockingRise) << "side " << side;
  }
}

TEST(LargeFieldPainter, MiddleBandIsGentlerThanTheGroundBehindTheArmies) {
  const RgbaImage image = LargeFieldPainter::Paint(512);
  const int middle = 256;
  const int band = LargeFieldPainter::kBandHalfDepth;
  const int bandSteepest = SteepestStep(image, middle - band, middle + band);
  EXPECT_LT(2 * bandSteepest, SteepestStep(image, 0, middle - band - LargeFieldPainter::kSwellDistance));
}
