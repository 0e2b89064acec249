// Models from today's modelling tools (glTF, OBJ, FBX, Collada), read with
// the general model library and converted the way 3DS files are: one mesh
// per library mesh, normalised to unit size, and one instance per mesh a
// node carries, placed by the node's world transform. Built only where the
// library is (the console program off Windows).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "import/three_ds_conversion.h"

namespace Assimp {
class Importer;
}

namespace quorvel {

class MessageSink;

// The largest model file, and the largest file it draws in (a glTF's
// buffers, an OBJ's materials, a texture), the reader opens.
inline constexpr uint64_t kMaxInterchangeFileSize = uint64_t{64} << 20;

// The library's settings and post-processing steps of every read: faces
// triangulated, points and lines dropped, normals made where missing,
// animation, bones, cameras and lights left out.
void configureInterchangeImporter(Assimp::Importer& importer);
unsigned interchangePostProcessing();

// Reads the model file at `path` and hands every mesh, in the file's mesh
// order, and then an instance for every mesh of every node (depth first,
// each node before its children) to the callbacks. Embedded textures, and
// textures in other formats than BMP, are written as BMP files beside the
// model. The file is read once in a child process first; a file the library
// fails on, refuses or that is beyond the bounds is reported as one ERROR
// line, raises the problem flag and contributes nothing.
void convertInterchangeFile(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                            const std::string& path, MessageSink& log);
// The same on a model held in memory, without the trial read and without
// writing textures (for the fuzzer: the library's OBJ reader can crash on
// hostile bytes read from memory); `path` names it in messages and its
// extension tells the format.
void convertInterchangeBytes(const MeshCallback& onMesh, const InstanceCallback& onInstance,
                             std::span<const uint8_t> bytes, const std::string& path, MessageSink& log);

}  // namespace quorvel
