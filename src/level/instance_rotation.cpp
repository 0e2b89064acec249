#include "level/instance_rotation.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

Vec3 anglesFromQuaternion(const float q[4]) {
  const double x = q[0], y = q[1], z = q[2], w = q[3];
  const double t = std::clamp(-2.0 * (z * x - w * y), -1.0, 1.0);
  Vec3 angles;
  angles.y = static_cast<float>(std::asin(t));
  if (std::fabs(t) < 0.999999) {
    const double p = 2.0 * (w * x + y * z), qq = w * w - x * x - y * y + z * z;
    const double r = 2.0 * (x * y + w * z), u = w * w + x * x - y * y - z * z;
    if ((std::fabs(p) >= 1e-6 || std::fabs(qq) >= 1e-6) && (std::fabs(r) >= 1e-6 || std::fabs(u) >= 1e-6)) {
      angles.x = static_cast<float>(std::atan2(p, qq));
      angles.z = static_cast<float>(std::atan2(r, u));
      return angles;
    }
  }
  angles.x = 0;
  angles.z = static_cast<float>(std::atan2(-2.0 * (x * y - w * z), w * w + y * y - x * x - z * z));
  return angles;
}

std::array<float, 4> quaternionFromAngles(Vec3 rotation) {
  const double cx = std::cos(rotation.x / 2.0), sx = std::sin(rotation.x / 2.0);
  const double cy = std::cos(rotation.y / 2.0), sy = std::sin(rotation.y / 2.0);
  const double cz = std::cos(rotation.z / 2.0), sz = std::sin(rotation.z / 2.0);
  return {static_cast<float>(sx * cy * cz - cx * sy * sz), static_cast<float>(cx * sy * cz + sx * cy * sz),
          static_cast<float>(cx * cy * sz - sx * sy * cz), static_cast<float>(cx * cy * cz + sx * sy * sz)};
}

Vec3 placePoint(const Instance& instance, Vec3 v) {
  const Vec3 a = instance.rotation;
  double x = v.x, y = v.y, z = v.z, t;
  t = std::cos(a.x) * y - std::sin(a.x) * z;  // about x
  z = std::sin(a.x) * y + std::cos(a.x) * z;
  y = t;
  t = std::cos(a.y) * x + std::sin(a.y) * z;  // about y
  z = -std::sin(a.y) * x + std::cos(a.y) * z;
  x = t;
  t = std::cos(a.z) * x - std::sin(a.z) * y;  // about z
  y = std::sin(a.z) * x + std::cos(a.z) * y;
  x = t;
  const double s = instance.scale;
  return {static_cast<float>(instance.position.x + s * x), static_cast<float>(instance.position.y + s * y),
          static_cast<float>(instance.position.z + s * z)};
}

}  // namespace quorvel
