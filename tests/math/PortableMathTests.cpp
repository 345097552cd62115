// Our own sine, cosine, arc tangent, exponential and logarithm: the same bits in every build (the
// values below were recorded once and must come out of every compiler, library and processor),
// and as accurate as the C library's, so battles and scripts read the same numbers as before.
#include "math/PortableMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
struct Pinned {
  double x;
  double sin, cos, atan2, exp, log;
};

const Pinned kPinned[] = {
    {0.5, 0x1.eaee8744b05fp-2, 0x1.c1528065b7d5p-1, 0x1.2d0ead6066395p-1, 0x1.1082b577d34eep+0, -0x1.62e42fefa39efp-1},
    {1, 0x1.aed548f090ceep-1, 0x1.14a280fb5068cp-1, 0x1.dac670561bb4fp-1, 0x1.2216045b6f5cdp+0, 0x0p+0},
    {2.5, 0x1.326af0dcfcabp-1, -0x1.9a2f7ef858b7dp-1, 0x1.4782cbabc8157p+0, 0x1.5de9176045ff5p+0,
     0x1.d5240f0e0e078p-1},
    {-3, -0x1.210386db6d55bp-3, -0x1.fae04be85e5d2p-1, -0x1.5368c951e9cfdp+0, 0x1.5fe4615e98e8ep-1,
     0x1.193ea7aad030ap+0},
    {100, -0x1.03425b78c4db8p-1, 0x1.b981dbf665fdfp-1, 0x1.90343281801a6p+0, 0x1.060c52565ba66p+18,
     0x1.26bb1bbb55516p+2},
};

TEST(PortableMath, GivesTheRecordedBitsInEveryBuild) {
  for (const Pinned& p : kPinned) {
    EXPECT_EQ(PortableMath::Sin(p.x), p.sin) << p.x;
    EXPECT_EQ(PortableMath::Cos(p.x), p.cos) << p.x;
    EXPECT_EQ(PortableMath::Atan2(p.x, 0.75), p.atan2) << p.x;
    EXPECT_EQ(PortableMath::Exp(p.x / 8), p.exp) << p.x;
    EXPECT_EQ(PortableMath::Log(std::fabs(p.x)), p.log) << p.x;
  }
}

std::int64_t UlpsApart(double a, double b) {
  return std::llabs(std::bit_cast<std::int64_t>(a) - std::bit_cast<std::int64_t>(b));
}

// Within two units in the last place of the C library over angles a battle meets and beyond.
TEST(PortableMath, IsAsAccurateAsTheCLibrary) {
  std::int64_t worst = 0;
  for (int i = -20000; i <= 20000; ++i) {
    const double x = i * 0.0123456789;
    const double y = 1.0 + (i % 17) * 0.25;
    worst = std::max({worst, UlpsApart(PortableMath::Sin(x), std::sin(x)), UlpsApart(PortableMath::Cos(x), std::cos(x)),
                      UlpsApart(PortableMath::Atan2(x, y), std::atan2(x, y)),
                      UlpsApart(PortableMath::Atan2(y, x), std::atan2(y, x)),
                      UlpsApart(PortableMath::Exp(x / 4), std::exp(x / 4)),
                      UlpsApart(PortableMath::Log(std::fabs(x) + 1e-3), std::log(std::fabs(x) + 1e-3))});
  }
  EXPECT_LE(worst, 2);
}

// Both halves of each quadrant, below and above zero and past a whole turn: the sign and the size.
TEST(PortableMath, TanIsTheCLibrarysInEveryQuadrant) {
  constexpr double kHalfPi = 1.57079632679489661923;
  std::int64_t worst = 0;
  int checked = 0;
  for (int quadrant = -8; quadrant < 8; ++quadrant) {
    for (const double within : {0.05, 0.3, 0.7, 1.2, 1.5}) {
      const double x = quadrant * kHalfPi + within;
      const double tan = PortableMath::Tan(x);
      EXPECT_EQ(std::signbit(tan), std::signbit(std::tan(x))) << x;
      worst = std::max(worst, UlpsApart(tan, std::tan(x)));
      ++checked;
    }
  }
  EXPECT_LE(worst, 2);
  EXPECT_EQ(checked, 80);
}

TEST(PortableMath, AnswersTheEdgesAsTheCLibraryDoes) {
  EXPECT_EQ(PortableMath::Atan2(0.0, -1.0), std::atan2(0.0, -1.0));
  EXPECT_EQ(PortableMath::Atan2(-0.0, -1.0), std::atan2(-0.0, -1.0));
  EXPECT_EQ(PortableMath::Atan2(1.0, 0.0), std::atan2(1.0, 0.0));
  EXPECT_EQ(PortableMath::Exp(1000.0), HUGE_VAL);
  EXPECT_EQ(PortableMath::Log(0.0), -HUGE_VAL);
  EXPECT_TRUE(std::isnan(PortableMath::Log(-1.0)));
  EXPECT_TRUE(std::isnan(PortableMath::Sin(HUGE_VAL)));
  EXPECT_TRUE(std::isnan(PortableMath::Acos(1.5)));
  EXPECT_EQ(PortableMath::Acos(1.0), 0.0);
}
}  // namespace
