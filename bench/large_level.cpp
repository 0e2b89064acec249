#include "large_level.h"

#include <cstdio>
#include <string>

namespace quorvel::bench {
namespace {

// A small linear congruential generator: the same level on every run.
class Random {
 public:
  uint32_t next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }
  float unit() { return static_cast<float>(next() & 0xFFFF) / 65535.0f; }

 private:
  uint32_t state_ = 12345;
};

std::string numbered(const char* format, int a, int b = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

void addValues(Mesh& mesh, int count, Random& random) {
  ValueTable* table = ensureValueTable(&mesh);
  setString(table, "Class", random.next() % 2 ? "CTerrainObj" : "CStaticObj");
  int left = count - 2;  // the table and its Class
  const int scalars = left / 2;
  for (int i = 0; i < scalars; ++i) {
    auto value = std::make_unique<Value>(ValueType::Int, numbered("Param%02d", i));
    if (i % 2) value->setFloat(random.unit() * 100);
    else value->setInt(random.range(-1000, 1000));
    table->addChild(std::move(value));
  }
  left -= scalars;
  auto anim = std::make_unique<Value>(ValueType::Group, "Anim");
  for (int i = 0; i < left - 1; ++i)
    anim->addChild(std::make_unique<Value>(ValueType::Int, "Frame"))->setInt(i);
  table->addChild(std::move(anim));
}

std::unique_ptr<Mesh> buildMesh(int index, const LevelSize& size, Random& random) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = numbered("Object%04d", index);
  mesh->layout = index % 2 ? MeshLayout::FaceLists : MeshLayout::VertexRecords;
  mesh->setColor(random.range(0, 255), random.range(0, 255), random.range(0, 255));
  const int faces = random.range(size.minFaces, size.maxFaces);
  const int vertices = faces / 2 + 2;
  for (int i = 0; i < vertices; ++i)
    mesh->vertices.push_back({random.unit() * 50, random.unit() * 50, random.unit() * 10});
  for (int i = 0; i < vertices; ++i) mesh->texCoords.push_back({random.unit(), random.unit()});
  if (index % 10 != 9) {
    const int materials = random.range(1, 3);
    for (int m = 0; m < materials; ++m)
      mesh->materials.push_back({numbered("Map\\large\\tex%03d.bmp", random.range(0, 299)),
                                 m == 1 ? numbered("Map\\large\\alpha%03d.bmp", index % 50) : "", ""});
  }
  for (int f = 0; f < faces; ++f) {
    Face face;
    for (int j = 0; j < 3; ++j) {
      face.vertex[j] = face.texCoord[j] = random.range(0, vertices - 1);
      face.normal[j] = static_cast<int32_t>(mesh->normals.size());
      mesh->normals.push_back({0, 0, 1});
    }
    face.material = mesh->materials.empty() ? 0 : random.range(0, static_cast<int>(mesh->materials.size()) - 1);
    mesh->faces.push_back(face);
  }
  addValues(*mesh, size.valuesPerMesh, random);
  return mesh;
}

}  // namespace

std::unique_ptr<SceneFile> buildLevel(const LevelSize& size) {
  auto scene = std::make_unique<SceneFile>();
  Random random;
  for (int i = 0; i < size.meshes; ++i) scene->meshes.push_back(buildMesh(i, size, random));
  for (int i = 0; i < size.meshes; ++i) {
    for (int k = 0; k < size.instancesPerMesh; ++k) {
      auto instance = std::make_unique<Instance>();
      instance->name = numbered("Object%04d-%02d", i, k);
      instance->mesh = scene->meshes[static_cast<size_t>(i)].get();
      instance->position = {random.unit() * 4000, random.unit() * 4000, random.unit() * 100};
      instance->rotation = {0, 0, random.unit() * 6.28f};
      instance->scale = 0.5f + random.unit();
      scene->instances.push_back(std::move(instance));
    }
  }
  return scene;
}

}  // namespace quorvel::bench
