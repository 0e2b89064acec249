// The game's limits on one mesh: vertex and triangle counts, and face
// indices that point outside the mesh.
#pragma once

#include "report/report_writer.h"
#include "level/scene.h"

namespace quorvel {

// The game rejects a mesh with more than 2048 triangles or 6144 vertices.
inline constexpr size_t kMaxMeshTriangles = 2048;
inline constexpr size_t kMaxMeshVertices = 6144;

// Reports the count errors and the faces with invalid vertex indices,
// degenerate corners or invalid material indices.
void checkMeshLimits(ReportWriter& report, const Mesh& mesh);

}  // namespace quorvel
