#include "level/scene.h"

#include <algorithm>

namespace quorvel {

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
