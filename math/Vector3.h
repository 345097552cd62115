// A point or direction in world units: y is up, the terrain lies in the x-z plane.
// Defined here so that a large army's walk, which measures two lengths per unit and step, pays no
// call for them; the build never fuses a multiply with an add, so inlined they round as before.
#pragma once

#include <cmath>

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float px, float py, float pz) : x(px), y(py), z(pz) {}

  float Length() const { return std::sqrt(x * x + y * y + z * z); }
  // Divides each component by the length; a zero vector becomes NaN, as callers never pass one.
  void Normalize() {
    const float length = Length();
    x /= length;
    y /= length;
    z /= length;
  }
  Vector3& operator+=(const Vector3& other) {
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
  }
  float Dot(const Vector3& other) const { return x * other.x + y * other.y + z * other.z; }

  friend Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
  friend Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend Vector3 operator*(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
  friend bool operator==(const Vector3& a, const Vector3& b) = default;
};
