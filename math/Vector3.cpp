// Vector arithmetic in 32-bit floats.
#include "math/Vector3.h"

#include <cmath>

float Vector3::Length() const { return std::sqrt(x * x + y * y + z * z); }

void Vector3::Normalize() {
  const float length = Length();
  x /= length;
  y /= length;
  z /= length;
}

Vector3& Vector3::operator+=(const Vector3& other) {
  x += other.x;
  y += other.y;
  z += other.z;
  return *this;
}

float Vector3::Dot(const Vector3& other) const { return x * other.x + y * other.y + z * other.z; }
