// How an instance's rotation is stored: x, y and z angles in radians, the
// turn about x, then about y, then about z. The model importers bring
// quaternions to it and the export takes it back to one.
#pragma once

#include <array>

#include "level/scene.h"

namespace quorvel {

// The angles of a unit quaternion (x, y, z, w).
Vec3 anglesFromQuaternion(const float q[4]);

// The unit quaternion (x, y, z, w) of an instance's rotation.
std::array<float, 4> quaternionFromAngles(Vec3 rotation);

// Where `instance` puts a point `v` of its mesh: position + scale * R * v.
Vec3 placePoint(const Instance& instance, Vec3 v);

}  // namespace quorvel
