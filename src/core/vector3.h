#pragma once

#include <cmath>

// Three 32-bit floats. Arithmetic on them is done in double by the callers and rounded on store.
class Vector3 {
 public:
  float x, y, z;  // left unset by default construction, like the design's plain record

  Vector3& set(double new_x, double new_y, double new_z) {
    x = static_cast<float>(new_x);
    y = static_cast<float>(new_y);
    z = static_cast<float>(new_z);
    return *this;
  }

  double length() const {
    const double dx = x, dy = y, dz = z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
};

// Multiplies each component by length / |v|. v must not be the zero vector.
inline void scale_to_length(Vector3& v, float length) {
  const double factor = static_cast<double>(length) / v.length();
  v.set(v.x * factor, v.y * factor, v.z * factor);
}
