// Matrix builders for the camera.
#include "math/Matrix4.h"

#include <cmath>

#include "math/PortableMath.h"

namespace {
struct Turn {
  float c;
  float s;
};

// The angle is rounded to float before its cosine and sine, which are rounded to float too.
// They are taken in double, by our own functions: the C library's may round otherwise elsewhere. Kept out of line because GCC 12's SLP vectorizer at -O2, once this
// is inlined into a builder, drops the rounding to float for some of the four elements.
[[gnu::noinline]] Turn TurnOf(double degrees) {
  const float radians = static_cast<float>(degrees * Matrix4::kPi / 180.0);
  return {static_cast<float>(PortableMath::Cos(static_cast<double>(radians))),
          static_cast<float>(PortableMath::Sin(static_cast<double>(radians)))};
}
}  // namespace

Matrix4::Matrix4() { LoadIdentity(); }

void Matrix4::LoadIdentity() {
  m.fill(0.0);
  for (int i = 0; i < 4; ++i) At(i, i) = 1.0;
}

void Matrix4::Multiply(const Matrix4& other) {
  std::array<double, 16> product{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      for (int k = 0; k < 4; ++k) product[r * 4 + c] += At(r, k) * other.At(k, c);
  m = product;
}

void Matrix4::Translate(double tx, double ty, double tz) {
  Matrix4 x;
  x.At(0, 3) = tx;
  x.At(1, 3) = ty;
  x.At(2, 3) = tz;
  Multiply(x);
}

void Matrix4::RotateX(double degrees) {
  const Turn turn = TurnOf(degrees);
  Matrix4 x;
  x.At(1, 1) = turn.c;
  x.At(1, 2) = -turn.s;
  x.At(2, 1) = turn.s;
  x.At(2, 2) = turn.c;
  Multiply(x);
}

void Matrix4::RotateY(double degrees) {
  const Turn turn = TurnOf(degrees);
  Matrix4 x;
  x.At(0, 0) = turn.c;
  x.At(0, 2) = turn.s;
  x.At(2, 0) = -turn.s;
  x.At(2, 2) = turn.c;
  Multiply(x);
}

void Matrix4::Frustum(double a, double b, double n, double f) {
  Matrix4 x;
  x.At(0, 0) = 1.0 / a;
  x.At(1, 1) = 1.0 / b;
  x.At(2, 2) = -(f + n) / (f - n);
  x.At(2, 3) = -2.0 * f * n / (f - n);
  x.At(3, 2) = -1.0;
  x.At(3, 3) = 0.0;
  Multiply(x);
}

std::array<float, 4> Matrix4::Transform(const std::array<float, 4>& v) const {
  std::array<float, 4> out{};
  for (int r = 0; r < 4; ++r) {
    double sum = 0.0;
    for (int c = 0; c < 4; ++c) sum += At(r, c) * static_cast<double>(v[c]);
    out[r] = static_cast<float>(sum);
  }
  return out;
}

std::array<float, 16> Matrix4::ToColumnMajor() const {
  std::array<float, 16> out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[c * 4 + r] = static_cast<float>(At(r, c));
  return out;
}
