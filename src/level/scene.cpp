#include "level/scene.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

Vec3 faceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
  const Vec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
  const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (!(length > 0)) return {};
  return {n.x / length, n.y / length, n.z / length};
}

void Mesh::reset() { *this = Mesh{}; }

void Mesh::setColor(int r, int g, int b) {
  color.r = static_cast<uint8_t>(std::clamp(r, 0, 255));
  color.g = static_cast<uint8_t>(std::clamp(g, 0, 255));
  color.b = static_cast<uint8_t>(std::clamp(b, 0, 255));
}

ValueTable* ensureValueTable(Mesh* mesh) {
  if (!mesh->values) mesh->values = std::make_unique<ValueTable>(ValueType::Group, mesh->name);
  return mesh->values.get();
}

bool Instance::attachValues(std::unique_ptr<ValueTable>& table) {
  if (!table) return attachValues(nullptr);
  if (!mesh) return false;
  if (!mesh->values) {
    mesh->values = std::move(table);
    return true;
  }
  return mesh->values.get() == table.get();
}

void SceneFile::clear() {
  instances.clear();
  meshes.clear();
}

void SceneFile::releaseAll() {
  for (auto& instance : instances) (void)instance.release();
  for (auto& mesh : meshes) (void)mesh.release();
  instances.clear();
  meshes.clear();
}

Instance* SceneFile::findInstance(std::string_view name) const {
  for (const auto& instance : instances)
    if (instance->name == name) return instance.get();
  return nullptr;
}

Mesh* SceneFile::findMesh(std::string_view name) const {
  for (const auto& mesh : meshes)
    if (mesh->name == name) return mesh.get();
  return nullptr;
}

}  // namespace quorvel
