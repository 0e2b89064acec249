// The unit primitives of the TPM readers: the box that stands for a bone or
// a "box" object, and the diamond and sphere of placed objects. Each empties
// the mesh's geometry (not its materials) and fills it with one texture
// coordinate (0, 0), vertices with their normalised directions as normals,
// and faces using material 0 and attribute 4.
#pragma once

#include "level/scene.h"

namespace quorvel {

// Faces of TPM meshes carry this attribute.
constexpr int32_t kTpmFaceAttribute = 4;

// A box of half-extents x, y, z: eight vertices, twelve faces.
void buildBox(Mesh& mesh, float x, float y, float z);
// Six vertices on the axes, eight faces.
void buildDiamond(Mesh& mesh);
// Fourteen vertices on the unit sphere, twenty-four faces.
void buildSphere(Mesh& mesh);

}  // namespace quorvel
