#include "verify/mesh_limits.h"

#include <string>

namespace quorvel {

void checkMeshLimits(ReportWriter& report, const Mesh& mesh) {
  const std::string label = "mesh " + mesh.name;
  const size_t vertexCount = mesh.vertices.size();
  const size_t faceCount = mesh.faces.size();
  const size_t materialCount = mesh.materials.size();

  // Too many vertices matter only once the triangle count is within bounds:
  // a mesh over both limits gets the triangle error alone.
  if (vertexCount == 0 || (vertexCount > kMaxMeshVertices && faceCount <= kMaxMeshTriangles))
    report.line("ERROR: %d vertices in %s (can't be more than 6144)\n",
                static_cast<int>(vertexCount), label.c_str());
  if (faceCount == 0 || faceCount > kMaxMeshTriangles)
    report.line("ERROR: %d triangles in %s (can't be more than 2048)\n",
                static_cast<int>(faceCount), label.c_str());

  int invalidVertices = 0;
  int degenerate = 0;
  int invalidMaterials = 0;
  const auto outOfRange = [](int32_t index, size_t count) {
    return index < 0 || static_cast<size_t>(index) >= count;
  };
  for (const Face& face : mesh.faces) {
    const int32_t* v = face.vertex;
    if (outOfRange(v[0], vertexCount) || outOfRange(v[1], vertexCount) ||
        outOfRange(v[2], vertexCount))
      ++invalidVertices;
    if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) ++degenerate;
    if (face.material < 0 || (materialCount > 0 && static_cast<size_t>(face.material) >= materialCount) ||
        (materialCount == 0 && face.material != 0))
      ++invalidMaterials;
  }
  if (invalidVertices > 0)
    report.line("ERROR: %d invalid vertex indices in %s\n", invalidVertices, label.c_str());
  if (degenerate > 0)
    report.line("ERROR: %d degenerate triangles in %s\n", degenerate, label.c_str());
  if (invalidMaterials > 0)
    report.line("ERROR: %d invalid material indices in %s\n", invalidMaterials, label.c_str());
}

}  // namespace quorvel
