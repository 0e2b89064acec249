// A node's world transform turned into what an instance holds: position,
// rotation (the angles of the 3DS path) and one uniform scale. What a
// uniform scale cannot say (scales that differ by axis, mirroring, shear) is
// left over as a matrix to bake into a mesh of its own.
#pragma once

#include <optional>

#include "level/scene.h"

namespace quorvel {

// Row-major, applied to column vectors: world = m * (x, y, z, 1).
using Matrix4 = double[4][4];
using Matrix3 = double[3][3];

struct NodePlacement {
  Vec3 translation;
  Matrix3 rotation{};   // a proper rotation R
  float quaternion[4]{};  // R as x, y, z, w
  bool uniform = false;
  float scale = 1.0f;   // when uniform: the linear part is scale * R
  Matrix3 residual{};   // otherwise: B with linear part = R * B, to bake
};

// Nothing when the matrix holds a number that is not finite.
std::optional<NodePlacement> placementOf(const Matrix4& world);

// Sets the instance's rotation, scale and position so that it shows `mesh`
// (normalised to unit size) where the node shows the mesh's original
// vertices, scaled by `scale`.
void placeInstance(const NodePlacement& placement, float scale, const Mesh& mesh, Instance& instance);

}  // namespace quorvel
