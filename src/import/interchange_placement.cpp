#include "import/interchange_placement.h"

#include <algorithm>
#include <cmath>

#include "level/instance_rotation.h"

namespace quorvel {

namespace {

// Agreement of the axes' scales below which they count as one.
constexpr double kUniformTolerance = 1e-5;

double length(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// The columns of the linear part, made orthonormal in order (x, then y, then
// z = x cross y): a proper rotation even when the matrix mirrors. False when
// the columns are too close to dependent to give one.
bool rotationOf(const Matrix4& m, Matrix3& r) {
  double x[3] = {m[0][0], m[1][0], m[2][0]}, y[3] = {m[0][1], m[1][1], m[2][1]};
  const double lx = length(x);
  if (!(lx > 1e-12)) return false;
  for (double& c : x) c /= lx;
  const double d = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
  for (int i = 0; i < 3; ++i) y[i] -= d * x[i];
  const double ly = length(y);
  if (!(ly > 1e-12 * lx)) return false;
  for (double& c : y) c /= ly;
  const double z[3] = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
  for (int i = 0; i < 3; ++i) {
    r[i][0] = x[i];
    r[i][1] = y[i];
    r[i][2] = z[i];
  }
  return true;
}

void quaternionOf(const Matrix3& r, float q[4]) {
  double x, y, z, w;
  const double trace = r[0][0] + r[1][1] + r[2][2];
  if (trace > 0) {
    const double s = 2.0 * std::sqrt(trace + 1.0);
    w = s / 4;
    x = (r[2][1] - r[1][2]) / s;
    y = (r[0][2] - r[2][0]) / s;
    z = (r[1][0] - r[0][1]) / s;
  } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
    const double s = 2.0 * std::sqrt(1.0 + r[0][0] - r[1][1] - r[2][2]);
    w = (r[2][1] - r[1][2]) / s;
    x = s / 4;
    y = (r[0][1] + r[1][0]) / s;
    z = (r[0][2] + r[2][0]) / s;
  } else if (r[1][1] > r[2][2]) {
    const double s = 2.0 * std::sqrt(1.0 + r[1][1] - r[0][0] - r[2][2]);
    w = (r[0][2] - r[2][0]) / s;
    x = (r[0][1] + r[1][0]) / s;
    y = s / 4;
    z = (r[1][2] + r[2][1]) / s;
  } else {
    const double s = 2.0 * std::sqrt(1.0 + r[2][2] - r[0][0] - r[1][1]);
    w = (r[1][0] - r[0][1]) / s;
    x = (r[0][2] + r[2][0]) / s;
    y = (r[1][2] + r[2][1]) / s;
    z = s / 4;
  }
  q[0] = static_cast<float>(x);
  q[1] = static_cast<float>(y);
  q[2] = static_cast<float>(z);
  q[3] = static_cast<float>(w);
}

}  // namespace

std::optional<NodePlacement> placementOf(const Matrix4& world) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!std::isfinite(world[i][j])) return std::nullopt;
  NodePlacement p;
  p.translation = {static_cast<float>(world[0][3]), static_cast<float>(world[1][3]), static_cast<float>(world[2][3])};
  if (!rotationOf(world, p.rotation)) {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) p.rotation[i][j] = i == j;
  }
  quaternionOf(p.rotation, p.quaternion);
  // B = R^T A: what is left of the linear part A once the rotation is out.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += p.rotation[k][i] * world[k][j];
      p.residual[i][j] = sum;
    }
  const double k = (p.residual[0][0] + p.residual[1][1] + p.residual[2][2]) / 3;
  double off = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) off = std::max(off, std::fabs(p.residual[i][j] - (i == j ? k : 0.0)));
  p.uniform = k > 1e-8 && off <= kUniformTolerance * k;
  p.scale = p.uniform ? static_cast<float>(k) : 1.0f;
  return p;
}

void placeInstance(const NodePlacement& placement, float scale, const Mesh& mesh, Instance& instance) {
  instance.rotation = anglesFromQuaternion(placement.quaternion);
  const float k = mesh.unitScale * scale;
  instance.scale = k;
  const double c[3] = {mesh.unitCentre.x, mesh.unitCentre.y, mesh.unitCentre.z};
  double turned[3];
  for (int i = 0; i < 3; ++i)
    turned[i] = placement.rotation[i][0] * c[0] + placement.rotation[i][1] * c[1] + placement.rotation[i][2] * c[2];
  instance.position = {placement.translation.x + static_cast<float>(k * turned[0]),
                       placement.translation.y + static_cast<float>(k * turned[1]),
                       placement.translation.z + static_cast<float>(k * turned[2])};
}

}  // namespace quorvel
