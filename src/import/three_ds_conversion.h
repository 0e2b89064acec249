// 3DS models: every mesh of the file becomes a unit-sized, centred Mesh and
// every top-level object node an Instance that keeps the object's size and
// place. The file's chunk tree is checked before the library reads it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "level/scene.h"
#include "report/message_sink.h"

namespace quorvel {

// Receives each finished mesh, with the model's path.
using MeshCallback = std::function<void(std::unique_ptr<Mesh> mesh, const std::string& path)>;
// Receives each new instance (position, rotation and scale not yet set) and
// the name of the mesh it should use; returns the mesh it now refers to, or
// none when it was rejected.
using InstanceCallback =
    std::function<Mesh*(std::unique_ptr<Instance> instance, const std::string& meshName, const std::string& path)>;

// Converts the 3DS file at `path`: all meshes in the file's order, then all
// top-level object nodes. A file that is not a valid 3DS file is refused
// with one ERROR line and contributes nothing.
void convert3dsFile(const MeshCallback& addMesh, const InstanceCallback& addInstance, const std::string& path,
                    MessageSink& log);

}  // namespace quorvel
