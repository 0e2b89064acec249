// Feeds arbitrary bytes to the general model library and the conversion of
// what it reads, as glTF binary, glTF, OBJ, FBX or Collada (the first byte
// chooses). Every instance must come back with a mesh of the file, and every
// face index must lie inside its mesh's lists. Seed it with the files of the
// assimp-testmodels package (/usr/share/assimp/models/{glTF2,OBJ,FBX,Collada})
// and fuzz/corpus/assimp_model. The library's own faults show as crashes:
// the program reads every file in a child process first for that reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#ifdef QUORVEL_HAVE_ASSIMP
#include "import/interchange_conversion.h"
#include "report/message_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[] = {"fuzz.glb", "fuzz.gltf", "fuzz.obj", "fuzz.fbx", "fuzz.dae"};
  const std::string name = kNames[data[0] % 5];
  quorvel::MessageLog log;
  log.captureText(true);
  std::vector<std::unique_ptr<quorvel::Mesh>> meshes;
  std::vector<std::unique_ptr<quorvel::Instance>> instances;
  quorvel::convertInterchangeBytes(
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
        std::abort();  // the conversion names only meshes it handed over
      },
      std::span<const uint8_t>(data + 1, size - 1), name, log);
  (void)log.takeText();
  return 0;
}
#else
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
#endif
