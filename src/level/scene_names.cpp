#include "level/scene_names.h"

namespace quorvel {

SceneNameIndex::SceneNameIndex(const SceneFile& scene) {
  instances_.reserve(scene.instances.size());
  for (const auto& instance : scene.instances) instances_.insert(instance->name);
  meshes_.reserve(scene.meshes.size());
  for (const auto& mesh : scene.meshes) meshes_.insert(mesh->name);
}

}  // namespace quorvel
