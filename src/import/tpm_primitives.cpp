#include "import/tpm_primitives.h"

#include <cmath>

namespace quorvel {

namespace {

void prepare(Mesh& mesh) {
  mesh.faces.clear();
  mesh.vertices.clear();
  mesh.texCoords.clear();
  mesh.normals.clear();
  mesh.texCoords.push_back(Vec2{0.0f, 0.0f});
}

void addVertex(Mesh& mesh, Vec3 v) {
  mesh.vertices.push_back(v);
  float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  mesh.normals.push_back(length > 0.0f ? Vec3{v.x / length, v.y / length, v.z / length} : Vec3{});
}

// Vertex and normal numbers alike; texture coordinate 0 at every corner.
void addFace(Mesh& mesh, int32_t a, int32_t b, int32_t c) {
  Face face;
  face.vertex[0] = face.normal[0] = a;
  face.vertex[1] = face.normal[1] = b;
  face.vertex[2] = face.normal[2] = c;
  face.material = 0;
  face.attribute = kTpmFaceAttribute;
  mesh.faces.push_back(face);
}

}  // namespace

void buildBox(Mesh& mesh, float x, float y, float z) {
  prepare(mesh);
  addVertex(mesh, {x, y, z});
  addVertex(mesh, {-x, y, z});
  addVertex(mesh, {-x, -y, z});
  addVertex(mesh, {x, -y, z});
  addVertex(mesh, {x, y, -z});
  addVertex(mesh, {-x, y, -z});
  addVertex(mesh, {-x, -y, -z});
  addVertex(mesh, {x, -y, -z});
  addFace(mesh, 0, 1, 2);
  addFace(mesh, 0, 2, 3);
  for (int32_t i = 0; i < 4; ++i) {
    int32_t j = (i + 1) % 4;
    addFace(mesh, i, i + 4, j + 4);
    addFace(mesh, i, j + 4, j);
  }
  addFace(mesh, 4, 7, 6);
  addFace(mesh, 4, 6, 5);
}

void buildDiamond(Mesh& mesh) {
  prepare(mesh);
  addVertex(mesh, {0, 0, 1});
  addVertex(mesh, {1, 0, 0});
  addVertex(mesh, {0, 1, 0});
  addVertex(mesh, {-1, 0, 0});
  addVertex(mesh, {0, -1, 0});
  addVertex(mesh, {0, 0, -1});
  addFace(mesh, 0, 1, 2);
  addFace(mesh, 0, 2, 3);
  addFace(mesh, 0, 3, 4);
  addFace(mesh, 0, 4, 1);
  addFace(mesh, 5, 2, 1);
  addFace(mesh, 5, 3, 2);
  addFace(mesh, 5, 4, 3);
  addFace(mesh, 5, 1, 4);
}

void buildSphere(Mesh& mesh) {
  prepare(mesh);
  constexpr float kSixtyDegrees = 1.0471976f;
  const float r = std::sin(kSixtyDegrees);
  Vec3 upper[6];
  Vec3 lower[6];
  for (int k = 1; k <= 6; ++k) {
    float a = static_cast<float>(k - 1) * kSixtyDegrees;
    upper[k - 1] = {r * std::cos(a), r * std::sin(a), 0.5f};
    lower[k - 1] = {r * std::cos(a), r * std::sin(a), -0.5f};
  }
  addVertex(mesh, {0, 0, 1});
  for (const Vec3& v : upper) addVertex(mesh, v);
  for (const Vec3& v : lower) addVertex(mesh, v);
  addVertex(mesh, {0, 0, -1});
  for (int32_t k = 1; k <= 6; ++k) {
    int32_t next = k % 6 + 1;
    addFace(mesh, 0, k, next);
    addFace(mesh, k, k + 6, next + 6);
    addFace(mesh, k, next + 6, next);
    addFace(mesh, 13, next + 6, k + 6);
  }
}

}  // namespace quorvel
