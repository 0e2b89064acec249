#include "import/unit_normalisation.h"

#include <algorithm>

namespace quorvel {

void normaliseToUnit(Mesh& mesh) {
  if (mesh.vertices.empty()) return;
  Vec3 low{1e10f, 1e10f, 1e10f}, high{-1e10f, -1e10f, -1e10f};
  for (const Vec3& p : mesh.vertices) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  float s = std::max({high.x - low.x, high.y - low.y, high.z - low.z}) / 2.0f;
  if (!(s >= 1e-6f)) s = 1.0f;
  const Vec3 c{(low.x + high.x) / 2.0f, (low.y + high.y) / 2.0f, (low.z + high.z) / 2.0f};
  for (Vec3& v : mesh.vertices) v = {v.x / s - c.x / s, v.y / s - c.y / s, v.z / s - c.z / s};
  mesh.unitScale = s;
  mesh.unitCentre = {c.x / s, c.y / s, c.z / s};
}

}  // namespace quorvel
