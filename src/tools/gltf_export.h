// Export to glTF binary (.glb): a level or a model as an ordinary 3D viewer
// shows it. Every instance becomes a node placing its mesh; instances of one
// mesh share one glTF mesh. Built only where the model library is found
// (the console program off Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "level/scene.h"
#include "textures/bmp_reader.h"

namespace quorvel {

struct GltfExportInput {
  // One node each, in this order, named after the instance.
  std::vector<const Instance*> instances;
  // Meshes no instance places (the parts of a model file) get one node each
  // at the origin, named after the mesh.
  std::vector<const Mesh*> unplacedMeshes;
  // Where the BMPs the materials name are looked for (by their file name
  // part); ends in a separator. Found ones are embedded as PNG.
  std::string textureFolder;
  // Where a texture without a BMP comes from, when set: the image a level's
  // texture store holds under the texture's identifier.
  std::function<std::optional<TextureBitmap>(uint32_t textureId)> storedTexture;
};

struct GltfExportResult {
  bool ok = false;
  std::string message;  // the reason of a failure, or what was written
  size_t nodes = 0;
  size_t meshes = 0;    // glTF meshes: one per mesh and material used
  size_t textures = 0;  // bitmaps embedded
  std::vector<std::string> missingTextures;  // file names found neither as BMP nor in the store
};

// Writes `input` as a glTF binary at `outputPath`, replacing the file.
GltfExportResult exportGltf(const GltfExportInput& input, const std::string& outputPath);

}  // namespace quorvel
