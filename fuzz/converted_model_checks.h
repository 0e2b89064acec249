// What the fuzz targets of the model converters check of every mesh and
// instance handed over: face indices inside their mesh's lists, and
// instances naming only meshes handed over before them.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "import/three_ds_conversion.h"

namespace quorvel::fuzzing {

class ConvertedModelChecks {
 public:
  // `strict`: an instance naming a mesh not handed over is a fault (else it
  // is dropped, as the import set drops it).
  explicit ConvertedModelChecks(bool strict) : strict_(strict) {}

  MeshCallback onMesh() {
    return [this](std::unique_ptr<Mesh> mesh, const std::string&) {
      for (const Face& f : mesh->faces) {
        for (int j = 0; j < 3; ++j) {
          if (f.vertex[j] < 0 || static_cast<size_t>(f.vertex[j]) >= mesh->vertices.size()) std::abort();
          if (static_cast<size_t>(f.normal[j]) >= mesh->normals.size()) std::abort();
          if (!mesh->texCoords.empty() && static_cast<size_t>(f.texCoord[j]) >= mesh->texCoords.size())
            std::abort();
        }
        if (f.material != 0 && static_cast<size_t>(f.material) >= mesh->materials.size()) std::abort();
      }
      meshes_.push_back(std::move(mesh));
    };
  }

  InstanceCallback onInstance() {
    return [this](std::unique_ptr<Instance> instance, const std::string& meshName,
                  const std::string&) -> Mesh* {
      for (auto& mesh : meshes_) {
        if (mesh->name != meshName) continue;
        instance->mesh = mesh.get();
        instances_.push_back(std::move(instance));
        return mesh.get();
      }
      if (strict_) std::abort();
      return nullptr;  // the instance is destroyed here
    };
  }

 private:
  bool strict_;
  std::vector<std::unique_ptr<Mesh>> meshes_;
  std::vector<std::unique_ptr<Instance>> instances_;
};

}  // namespace quorvel::fuzzing
