#include "verify/mesh_limits.h"

#include <gtest/gtest.h>

#include "support/verify_fixtures.h"

namespace quorvel {
namespace {

using namespace testing_support;

Mesh sizedMesh(size_t vertices, size_t faces) {
  Mesh mesh;
  mesh.name = "Big";
  mesh.vertices.resize(vertices);
  mesh.materials.resize(1);
  for (size_t i = 0; i < faces; ++i) {
    Face face;
    face.vertex[0] = 0;
    face.vertex[1] = 1;
    face.vertex[2] = 2;
    mesh.faces.push_back(face);
  }
  return mesh;
}

std::string limitsReport(const Mesh& mesh) {
  CapturingApp app;
  ReportWriter writer(app.context.log);
  checkMeshLimits(writer, mesh);
  return app.text();
}

TEST(MeshLimits, TooManyTrianglesHidesTheVertexCount) {
  EXPECT_EQ(limitsReport(sizedMesh(7000, 3000)),
            "ERROR: 3000 triangles in mesh Big (can't be more than 2048)\n");
}

TEST(MeshLimits, TooManyVerticesWithinTheTriangleLimit) {
  EXPECT_EQ(limitsReport(sizedMesh(7000, 2000)),
            "ERROR: 7000 vertices in mesh Big (can't be more than 6144)\n");
}

TEST(MeshLimits, ExactLimitsPass) {
  EXPECT_EQ(limitsReport(sizedMesh(6144, 2048)), "");
}

TEST(MeshLimits, EmptyMeshReportsZeroCounts) {
  EXPECT_EQ(limitsReport(sizedMesh(0, 0)),
            "ERROR: 0 vertices in mesh Big (can't be more than 6144)\n"
            "ERROR: 0 triangles in mesh Big (can't be more than 2048)\n");
}

TEST(MeshLimits, BadFacesAreCountedOncePerKind) {
  Mesh mesh = sizedMesh(9, 0);
  const auto add = [&mesh](int a, int b, int c, int material) {
    Face face;
    face.vertex[0] = a;
    face.vertex[1] = b;
    face.vertex[2] = c;
    face.material = material;
    mesh.faces.push_back(face);
  };
  add(3, 3, 5, 0);    // degenerate
  add(2, 9, 1, 0);    // 9 is one past the last vertex
  add(-1, 9, 20, 0);  // three bad indices, one face
  add(0, 1, 2, 1);    // one material only
  add(0, 1, 2, -1);
  add(0, 1, 2, 0);
  EXPECT_EQ(limitsReport(mesh),
            "ERROR: 2 invalid vertex indices in mesh Big\n"
            "ERROR: 1 degenerate triangles in mesh Big\n"
            "ERROR: 2 invalid material indices in mesh Big\n");
}

TEST(MeshLimits, WithoutMaterialsOnlyIndexZeroIsValid) {
  Mesh mesh = sizedMesh(3, 2);
  mesh.materials.clear();
  mesh.faces[1].material = 1;
  EXPECT_EQ(limitsReport(mesh), "ERROR: 1 invalid material indices in mesh Big\n");
}

}  // namespace
}  // namespace quorvel
