// The unit normalisation of converted meshes: vertices divided into a
// unit-sized shape centred on the origin, the factor and the centre kept on
// the mesh so its instances can make up for it.
#pragma once

#include "level/scene.h"

namespace quorvel {

// s = half the largest extent of the vertices' bounding box (1.0 below
// 1e-6), c = the box centre; every vertex v becomes v / s - c / s, and
// `unitScale` = s, `unitCentre` = c / s. A mesh without vertices is left as
// it is.
void normaliseToUnit(Mesh& mesh);

}  // namespace quorvel
