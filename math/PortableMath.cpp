// Minimax polynomials on a reduced argument. The compiler may not fuse a multiply and an add here
// (the build turns contraction off), or the last bit would depend on the processor.
#include "math/PortableMath.h"

#include <cmath>
#include <limits>

namespace {
constexpr double kPi = 3.14159265358979311600e+00;
constexpr double kPiLow = 1.22464679914735317720e-16;
constexpr double kHalfPi = 1.57079632679489655800e+00;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
// pi/2 split into three parts; the first two have their low 33 bits zero, so multiples of them by
// counts below 2^20 are exact.
constexpr double kHalfPi1 = 1.57079632673412561417e+00;
constexpr double kHalfPi2 = 6.07710050630396597660e-11;
constexpr double kHalfPi3 = 2.02226624879595063154e-21;
constexpr double kLn2High = 6.93147180369123816490e-01;
constexpr double kLn2Low = 1.90821492927058770002e-10;
constexpr double kOverLn2 = 1.44269504088896338700e+00;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr double kSin[] = {-1.66666666666666324348e-01, 8.33333333332248946124e-03, -1.98412698298579493134e-04,
                           2.75573137070700676789e-06,  -2.50507602534068634195e-08, 1.58969099521155010221e-10};
constexpr double kCos[] = {4.16666666666666019037e-02,  -1.38888888888741095749e-03, 2.48015872894767294178e-05,
                           -2.75573143513906633035e-07, 2.08757232129817482790e-09,  -1.13596475577881948265e-11};
// atan at 0.5, 1, 1.5 and infinity, each in two parts.
constexpr double kAtanHigh[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01, 9.82793723247329054082e-01,
                                1.57079632679489655800e+00};
constexpr double kAtanLow[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17, 1.39033110312309984516e-17,
                               6.12323399573676603587e-17};
constexpr double kAtan[] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
                            -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                            6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
                            -3.65315727442169155270e-02, 1.62858201153657823623e-02};
constexpr double kExp[] = {1.66666666666666019037e-01, -2.77777777770155933842e-03, 6.61375632143793436117e-05,
                           -1.65339022054652515390e-06, 4.13813679705723846039e-08};
constexpr double kLog[] = {6.666666666666735130e-01, 3.999999999940941908e-01, 2.857142874366239149e-01,
                           2.222219843214978396e-01, 1.818357216161805012e-01, 1.531383769920937332e-01,
                           1.479819860511658591e-01};
}  // namespace

// Beyond about 2^19 pi/2 the three-part reduction loses bits; such angles never occur in a
// battle, and the answer stays the same on every machine all the same.
PortableMath::Reduced PortableMath::ReduceByHalfPi(double x) {
  if (std::fabs(x) <= 7.85398163397448278999e-01) return {x, 0};
  const double count = std::nearbyint(x * kTwoOverPi);
  const double r = ((x - count * kHalfPi1) - count * kHalfPi2) - count * kHalfPi3;
  const double quadrant = std::fmod(count, 4.0);
  return {r, static_cast<int>(quadrant < 0.0 ? quadrant + 4.0 : quadrant)};
}

double PortableMath::SinKernel(double x) {
  const double z = x * x;
  const double r = kSin[1] + z * (kSin[2] + z * (kSin[3] + z * (kSin[4] + z * kSin[5])));
  return x + z * x * (kSin[0] + z * r);
}

double PortableMath::CosKernel(double x) {
  const double z = x * x;
  const double r = z * (kCos[0] + z * (kCos[1] + z * (kCos[2] + z * (kCos[3] + z * (kCos[4] + z * kCos[5])))));
  const double half = 0.5 * z;
  const double w = 1.0 - half;
  return w + (((1.0 - w) - half) + z * r);
}

double PortableMath::Sin(double x) {
  if (!std::isfinite(x)) return kNaN;
  const Reduced reduced = ReduceByHalfPi(x);
  switch (reduced.quadrant) {
    case 0: return SinKernel(reduced.r);
    case 1: return CosKernel(reduced.r);
    case 2: return -SinKernel(reduced.r);
    default: return -CosKernel(reduced.r);
  }
}

double PortableMath::Cos(double x) {
  if (!std::isfinite(x)) return kNaN;
  const Reduced reduced = ReduceByHalfPi(x);
  switch (reduced.quadrant) {
    case 0: return CosKernel(reduced.r);
    case 1: return -SinKernel(reduced.r);
    case 2: return -CosKernel(reduced.r);
    default: return SinKernel(reduced.r);
  }
}

double PortableMath::Tan(double x) {
  if (!std::isfinite(x)) return kNaN;
  const Reduced reduced = ReduceByHalfPi(x);
  const double s = SinKernel(reduced.r);
  const double c = CosKernel(reduced.r);
  return reduced.quadrant % 2 == 0 ? s / c : -c / s;
}

// The argument is moved near 0, 0.5, 1 or 1.5 (or its reciprocal taken), where the arc tangent
// is known in two parts, and the polynomial covers the rest.
double PortableMath::AtanOfNonNegative(double x) {
  if (x >= 7.378697629483820646e+19) return kAtanHigh[3] + kAtanLow[3];
  int id = -1;
  if (x >= 0.4375) {
    if (x < 0.6875) {
      id = 0;
      x = (2.0 * x - 1.0) / (2.0 + x);
    } else if (x < 1.1875) {
      id = 1;
      x = (x - 1.0) / (x + 1.0);
    } else if (x < 2.4375) {
      id = 2;
      x = (x - 1.5) / (1.0 + 1.5 * x);
    } else {
      id = 3;
      x = -1.0 / x;
    }
  }
  const double z = x * x;
  const double w = z * z;
  const double odd = z * (kAtan[0] + w * (kAtan[2] + w * (kAtan[4] + w * (kAtan[6] + w * (kAtan[8] + w * kAtan[10])))));
  const double even = w * (kAtan[1] + w * (kAtan[3] + w * (kAtan[5] + w * (kAtan[7] + w * kAtan[9]))));
  if (id < 0) return x - x * (odd + even);
  return kAtanHigh[id] - ((x * (odd + even) - kAtanLow[id]) - x);
}

double PortableMath::Atan(double x) {
  if (std::isnan(x)) return x;
  return std::signbit(x) ? -AtanOfNonNegative(-x) : AtanOfNonNegative(x);
}

double PortableMath::Atan2(double y, double x) {
  if (std::isnan(x) || std::isnan(y)) return kNaN;
  const bool below = std::signbit(y);
  const bool behind = std::signbit(x);
  double angle = 0.0;
  if (y == 0.0) {
    angle = behind ? kPi : 0.0;
  } else if (x == 0.0) {
    angle = kHalfPi;
  } else if (std::isinf(x) && std::isinf(y)) {
    angle = behind ? 3.0 * kPi / 4.0 : kPi / 4.0;
  } else if (std::isinf(x)) {
    angle = behind ? kPi : 0.0;
  } else if (std::isinf(y)) {
    angle = kHalfPi;
  } else {
    // The quotient may overflow to infinity or vanish to zero; the arc tangent of either is right.
    const double a = AtanOfNonNegative(std::fabs(y / x));
    angle = behind ? kPi - (a - kPiLow) : a;
  }
  return below ? -angle : angle;
}

double PortableMath::Asin(double x) {
  if (!(std::fabs(x) <= 1.0)) return kNaN;
  return Atan2(x, std::sqrt((1.0 - x) * (1.0 + x)));
}

double PortableMath::Acos(double x) {
  if (!(std::fabs(x) <= 1.0)) return kNaN;
  return Atan2(std::sqrt((1.0 - x) * (1.0 + x)), x);
}

double PortableMath::Exp(double x) {
  if (std::isnan(x)) return x;
  if (x > 709.782712893383973096) return kInfinity;
  if (x < -745.13321910194110842) return 0.0;
  const double count = std::nearbyint(x * kOverLn2);
  const double high = x - count * kLn2High;
  const double low = count * kLn2Low;
  const double r = high - low;
  const double z = r * r;
  const double c = r - z * (kExp[0] + z * (kExp[1] + z * (kExp[2] + z * (kExp[3] + z * kExp[4]))));
  const double y = 1.0 - ((low - (r * c) / (2.0 - c)) - high);
  return std::ldexp(y, static_cast<int>(count));
}

// x = 2^k (1 + f) with 1 + f between sqrt(1/2) and sqrt(2); log(1 + f) from s = f / (2 + f).
double PortableMath::Log(double x) {
  if (std::isnan(x) || x < 0.0) return kNaN;
  if (x == 0.0) return -kInfinity;
  if (std::isinf(x)) return x;
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // in [0.5, 1)
  if (m < 7.07106781186547524401e-01) {
    m *= 2.0;
    exponent -= 1;
  }
  const double f = m - 1.0;
  const double k = exponent;
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double w = z * z;
  const double even = w * (kLog[1] + w * (kLog[3] + w * kLog[5]));
  const double odd = z * (kLog[0] + w * (kLog[2] + w * (kLog[4] + w * kLog[6])));
  const double halfSquare = 0.5 * f * f;
  return k * kLn2High - ((halfSquare - (s * (halfSquare + odd + even) + k * kLn2Low)) - f);
}
