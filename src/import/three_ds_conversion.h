// 3DS model files, read with the 3DS library after a check of their chunk
// tree, turned into meshes and instances. Every mesh is normalised to a
// unit-sized shape centred on the origin; the instances make up for it, so a
// placed object keeps its size and place from the modelling program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "level/scene.h"

namespace quorvel {

class MessageSink;

// Takes over a finished mesh built from the model at `path`.
using MeshCallback = std::function<void(std::unique_ptr<Mesh> mesh, const std::string& path)>;
// Takes over an instance (position, rotation and scale not yet set) that
// should use the mesh named `meshName`; returns that mesh, or null when the
// instance was rejected and destroyed.
using InstanceCallback =
    std::function<Mesh*(std::unique_ptr<Instance> instance, const std::string& meshName,
                        const std::string& path)>;

// Reads the 3DS file at `path` (found without regard to case) and hands
// every mesh, in the file's mesh order, then an instance for every top-level
// object node, in node order, to the callbacks. A file that cannot be read
// or fails the chunk check is reported as an ERROR line, raises the problem
// flag and contributes nothing.
void convert3dsFile(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                    const std::string& path, MessageSink& log);
// The same on the bytes of a 3DS file; `path` names it in messages and is
// handed to the callbacks.
void convert3dsBytes(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                     std::span<const uint8_t> bytes, const std::string& path, MessageSink& log);

}  // namespace quorvel
