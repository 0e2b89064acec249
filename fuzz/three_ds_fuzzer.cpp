// Feeds arbitrary bytes to the 3DS chunk check and, when they pass, to the
// 3DS library and the conversion. Every instance must come back with a mesh
// of the file, and every face index must lie inside its mesh's lists.
// Seed it with fuzz/corpus/three_ds and the sample models of the
// assimp-testmodels package (/usr/share/assimp/models/3DS/*.3ds, *.3DS).
// Faults inside the 3DS library show only as crashes unless the library is
// built with the sanitizers too: compile its sources (apt source lib3ds)
// with clang-14 -fsanitize=address,undefined into a static archive and pass
// it as -DLIB3DS_LIBRARY=/path/lib3ds.a to the fuzz build.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "import/three_ds_conversion.h"
#include "report/message_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::MessageLog log;
  log.captureText(true);
  std::vector<std::unique_ptr<quorvel::Mesh>> meshes;
  std::vector<std::unique_ptr<quorvel::Instance>> instances;
  quorvel::convert3dsBytes(
      [&](std::unique_ptr<quorvel::Mesh> mesh, const std::string&) {
        for (const quorvel::Face& f : mesh->faces) {
          for (int j = 0; j < 3; ++j) {
            if (f.vertex[j] < 0 || static_cast<size_t>(f.vertex[j]) >= mesh->vertices.size()) std::abort();
            if (static_cast<size_t>(f.normal[j]) >= mesh->normals.size()) std::abort();
            if (!mesh->texCoords.empty() && static_cast<size_t>(f.texCoord[j]) >= mesh->texCoords.size())
              std::abort();
          }
          if (f.material != 0 && static_cast<size_t>(f.material) >= mesh->materials.size()) std::abort();
        }
        meshes.push_back(std::move(mesh));
      },
      [&](std::unique_ptr<quorvel::Instance> instance, const std::string& meshName,
          const std::string&) -> quorvel::Mesh* {
        for (auto& mesh : meshes) {
          if (mesh->name != meshName) continue;
          instance->mesh = mesh.get();
          instances.push_back(std::move(instance));
          return mesh.get();
        }
        return nullptr;  // the instance is destroyed here
      },
      std::span<const uint8_t>(data, size), "fuzz.3ds", log);
  (void)log.takeText();
  return 0;
}
