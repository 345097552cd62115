// A point or direction in world units: y is up, the terrain lies in the x-z plane.
#pragma once

struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3() = default;
  Vector3(float px, float py, float pz) : x(px), y(py), z(pz) {}

  float Length() const;
  // Divides each component by the length; a zero vector becomes NaN, as callers never pass one.
  void Normalize();
  Vector3& operator+=(const Vector3& other);
  float Dot(const Vector3& other) const;

  friend Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
  friend Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend Vector3 operator*(const Vector3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
  friend bool operator==(const Vector3& a, const Vector3& b) = default;
};
