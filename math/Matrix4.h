// 4x4 transform in double precision: row-major, for column vectors (p' = M p). Every builder
// multiplies on the right (M <- M X), so calls read in the order the transforms apply to the
// camera, last call first to a point.
#pragma once

#include <array>

class Matrix4 {
 public:
  // Angles are degrees turned into radians with the constant 3.14159, as everywhere in the
  // program, so that camera and formation turns agree to the last bit.
  static constexpr double kPi = 3.14159;

  Matrix4();  // identity

  void LoadIdentity();
  void Translate(double tx, double ty, double tz);
  void RotateX(double degrees);
  void RotateY(double degrees);
  // a and b are the half-extents of the view window at distance 1; n and f the clip planes.
  void Frustum(double a, double b, double n, double f);
  void Multiply(const Matrix4& other);

  // Maps a 4-component vector; each output is a row's dot product in double, stored as float.
  std::array<float, 4> Transform(const std::array<float, 4>& v) const;
  // The 16 floats in column-major order, as GL loads them.
  std::array<float, 16> ToColumnMajor() const;

  double At(int row, int column) const { return m[row * 4 + column]; }
  double& At(int row, int column) { return m[row * 4 + column]; }

 private:
  std::array<double, 16> m{};
};
