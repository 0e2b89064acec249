#include <gtest/gtest.h>

#if QUORVEL_HAVE_LIB3DS

#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>

#include "import/three_ds_conversion.h"
#include "report/message_log.h"
#include "support/temp_dir.h"
#include "support/three_ds_sample.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

// Builds a 3DS file with the library's own writer.
class ModelBuilder {
 public:
  ModelBuilder() : file_(lib3ds_file_new()) {}
  ~ModelBuilder() { lib3ds_file_free(file_); }

  Lib3dsMesh* mesh(const char* name, std::initializer_list<std::array<float, 3>> points,
                   std::initializer_list<std::pair<std::array<uint16_t, 3>, const char*>> faces = {}) {
    Lib3dsMesh* m = lib3ds_mesh_new(name);
    if (points.size()) lib3ds_mesh_new_point_list(m, points.size());
    int i = 0;
    for (const auto& p : points) std::memcpy(m->pointL[i++].pos, p.data(), sizeof(float) * 3);
    if (faces.size()) lib3ds_mesh_new_face_list(m, faces.size());
    i = 0;
    for (const auto& [corners, material] : faces) {
      for (int j = 0; j < 3; ++j) m->faceL[i].points[j] = corners[j];
      std::strcpy(m->faceL[i++].material, material);
    }
    lib3ds_file_insert_mesh(file_, m);
    return m;
  }
  void material(const char* name, const char* texture, const char* bump = "") {
    Lib3dsMaterial* mat = lib3ds_material_new();
    std::strcpy(mat->name, name);
    std::strcpy(mat->texture1_map.name, texture);
    std::strcpy(mat->bump_map.name, bump);
    lib3ds_file_insert_material(file_, mat);
  }
  Lib3dsNode* node(const char* name, uint16_t id, uint16_t parent = LIB3DS_NO_PARENT, const char* instance = "") {
    Lib3dsNode* n = lib3ds_node_new_object();
    std::strcpy(n->name, name);
    std::strcpy(n->data.object.instance, instance);
    n->node_id = id;
    n->parent_id = parent;
    lib3ds_file_insert_node(file_, n);
    return n;
  }
  static void place(Lib3dsNode* n, std::array<float, 3> pos, std::array<float, 3> axis, float angle,
                    float scale) {
    Lib3dsLin3Key* p = lib3ds_lin3_key_new();
    std::memcpy(p->value, pos.data(), sizeof p->value);
    lib3ds_lin3_track_insert(&n->data.object.pos_track, p);
    Lib3dsQuatKey* r = lib3ds_quat_key_new();
    std::memcpy(r->axis, axis.data(), sizeof r->axis);
    r->angle = angle;
    lib3ds_quat_track_insert(&n->data.object.rot_track, r);
    Lib3dsLin3Key* s = lib3ds_lin3_key_new();
    s->value[0] = s->value[1] = s->value[2] = scale;
    lib3ds_lin3_track_insert(&n->data.object.scl_track, s);
  }
  Lib3dsFile* file() { return file_; }
  std::string save(const TempDir& dir, const char* name = "model.3ds") {
    std::string path = dir.file(name);
    EXPECT_TRUE(lib3ds_file_save(file_, path.c_str()));
    return path;
  }

 private:
  Lib3dsFile* file_;
};

// What the two callbacks received.
struct Received {
  std::vector<std::unique_ptr<Mesh>> meshes;
  std::vector<std::unique_ptr<Instance>> instances;
  std::vector<std::string> instanceMeshNames;

  void convert(const std::string& path, MessageSink& log) {
    convert3dsFile(
        [&](std::unique_ptr<Mesh> mesh, const std::string&) { meshes.push_back(std::move(mesh)); },
        [&](std::unique_ptr<Instance> instance, const std::string& meshName, const std::string&) -> Mesh* {
          instanceMeshNames.push_back(meshName);
          for (auto& mesh : meshes) {
            if (mesh->name != meshName) continue;
            instance->mesh = mesh.get();
            instances.push_back(std::move(instance));
            return mesh.get();
          }
          return nullptr;
        },
        path, log);
  }
};

class ThreeDsConversion : public testing::Test {
 protected:
  ThreeDsConversion() {
    log.captureText(true);
    log.verbose = false;
  }
  void convert(const std::string& path) {
    got.convert(path, log);
    messages = log.takeText();
  }
  TempDir dir;
  ModelBuilder model;
  MessageLog log;
  Received got;
  std::string messages;
};

void expectNear(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

TEST_F(ThreeDsConversion, MeshIsNormalisedAndTheInstanceMakesUpForIt) {
  model.mesh("Box", {{0, -2, -1}, {10, 2, 1}, {5, 0, 0}}, {{{0, 1, 2}, "Default"}});
  ModelBuilder::place(model.node("Box", 0), {0, 0, 0}, {0, 0, 1}, 0, 1);
  convert(model.save(dir));
  ASSERT_EQ(got.meshes.size(), 1u);
  const Mesh& m = *got.meshes[0];
  EXPECT_EQ(m.unitScale, 5.0f);
  expectNear(m.unitCentre, 1, 0, 0);
  ASSERT_EQ(m.vertices.size(), 3u);
  expectNear(m.vertices[0], -1, -0.4f, -0.2f);
  expectNear(m.vertices[1], 1, 0.4f, 0.2f);
  expectNear(m.vertices[2], 0, 0, 0);
  EXPECT_EQ(m.color.r, 100);
  EXPECT_EQ(m.color.b, 100);
  ASSERT_EQ(m.faces.size(), 1u);
  EXPECT_EQ(m.faces[0].attribute, 4);
  EXPECT_EQ(m.faces[0].texCoord[2], 2);
  EXPECT_EQ(m.normals.size(), 3u);
  ASSERT_EQ(got.instances.size(), 1u);
  EXPECT_EQ(got.instances[0]->scale, 5.0f);
  expectNear(got.instances[0]->position, 5, 0, 0);
  EXPECT_EQ(messages, "");
  EXPECT_FALSE(log.problem);
}

TEST_F(ThreeDsConversion, MeshWithoutPointsKeepsUnitScale) {
  model.mesh("Empty", {});
  convert(model.save(dir));
  ASSERT_EQ(got.meshes.size(), 1u);
  EXPECT_EQ(got.meshes[0]->unitScale, 1.0f);
  EXPECT_TRUE(got.meshes[0]->vertices.empty());
  EXPECT_EQ(got.meshes[0]->unitCentre, Vec3{});
}

TEST_F(ThreeDsConversion, MaterialsAreNumberedInTheOrderFacesMeetThem) {
  model.material("Blue", "blue.bmp", "bumpy.bmp");
  model.material("Red", "red.bmp");
  model.mesh("Box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
             {{{0, 1, 2}, "Blue"}, {{0, 1, 2}, "Default"}, {{0, 1, 2}, "Red"}, {{0, 1, 2}, "Blue"},
              {{0, 1, 2}, "Nowhere"}, {{0, 1, 2}, "Red"}});
  convert(model.save(dir));
  ASSERT_EQ(got.meshes.size(), 1u);
  const Mesh& m = *got.meshes[0];
  ASSERT_EQ(m.materials.size(), 2u);
  EXPECT_EQ(m.materials[0], (Material{"blue.bmp", "", "bumpy.bmp"}));
  EXPECT_EQ(m.materials[1], (Material{"red.bmp", "", ""}));
  std::vector<int> numbers;
  for (const Face& f : m.faces) numbers.push_back(f.material);
  EXPECT_EQ(numbers, (std::vector<int>{0, 0, 1, 0, 0, 1}));
}

TEST_F(ThreeDsConversion, OnlyTopLevelObjectNodesBecomeInstances) {
  model.mesh("Box", {{0, 0, 0}, {2, 2, 2}});
  model.mesh("Lid", {{0, 0, 0}, {2, 2, 2}});
  model.node("$$$DUMMY", 0);
  model.node("Lid", 1, 0);
  model.node("Box", 2, LIB3DS_NO_PARENT, "Box01");
  model.node("Box", 3);
  convert(model.save(dir));
  EXPECT_EQ(got.meshes.size(), 2u);
  EXPECT_EQ(got.instanceMeshNames, (std::vector<std::string>{"Box", "Box"}));
  ASSERT_EQ(got.instances.size(), 2u);
  std::vector<std::string> names = {got.instances[0]->name, got.instances[1]->name};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Box", "Box01"}));
}

TEST_F(ThreeDsConversion, RotationAndPositionComeFromTheNodeAtFrameZero) {
  model.mesh("Box", {{0, -2, -1}, {10, 2, 1}});
  ModelBuilder::place(model.node("Box", 0), {1, 2, 3}, {0, 0, 1}, static_cast<float>(std::numbers::pi / 2), 2);
  convert(model.save(dir));
  ASSERT_EQ(got.instances.size(), 1u);
  const Instance& i = *got.instances[0];
  EXPECT_NEAR(std::fabs(i.rotation.z), std::numbers::pi / 2, 1e-5);
  EXPECT_NEAR(i.rotation.x, 0, 1e-5);
  EXPECT_NEAR(i.rotation.y, 0, 1e-5);
  EXPECT_EQ(i.scale, 10.0f);
  // The mesh centre, 5 units along x, turned a quarter about z and doubled.
  EXPECT_NEAR(i.position.x, 1, 1e-4);
  EXPECT_NEAR(std::fabs(i.position.y - 2), 10, 1e-4);
  EXPECT_NEAR(i.position.z, 3, 1e-4);
}

TEST_F(ThreeDsConversion, MissingTextureCoordinatesBecomeZeroWithANote) {
  Lib3dsMesh* m = model.mesh("Box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}, "Default"}});
  lib3ds_mesh_new_texel_list(m, 2);
  m->texelL[0][0] = 0.5f;
  m->texelL[1][1] = 0.25f;
  convert(model.save(dir, "Mixed.3DS"));
  ASSERT_EQ(got.meshes.size(), 1u);
  EXPECT_EQ(got.meshes[0]->texCoords, (std::vector<Vec2>{{0.5f, 0}, {0, 0.25f}, {0, 0}}));
  EXPECT_EQ(messages, "  NOTE: mesh Box in file \"" + dir.file("Mixed.3DS") +
                          "\" has 2 texture coordinates for 3 points; the missing ones are (0, 0).\n");
  EXPECT_TRUE(log.problem);
}

TEST_F(ThreeDsConversion, PathIsFoundWithoutRegardToCase) {
  model.mesh("Box", {{0, 0, 0}});
  model.save(dir, "Crate.3DS");
  convert(dir.file("crate.3ds"));
  EXPECT_EQ(got.meshes.size(), 1u);
  EXPECT_EQ(messages, "");
}

TEST_F(ThreeDsConversion, DamagedFileIsRefusedWithOneLine) {
  model.mesh("Box", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}, "Default"}});
  std::string path = model.save(dir);
  auto bytes = testing_support::readBytes(path);
  bytes.pop_back();
  testing_support::writeBytes(path, bytes);
  convert(path);
  EXPECT_TRUE(got.meshes.empty());
  EXPECT_EQ(messages, "ERROR: \"" + path + "\" is not a valid 3DS file: chunk 0x4D4D at offset 0 runs past the end of the file\n");
  EXPECT_TRUE(log.problem);
}

TEST_F(ThreeDsConversion, SampleModelIsTexturedFromItsBitmap) {
  ASSERT_TRUE(testing_support::writeSample3ds(dir.file("crate.3ds"), "crate.bmp"));
  convert(dir.file("crate.3ds"));
  ASSERT_EQ(got.meshes.size(), 1u);
  const Mesh& m = *got.meshes[0];
  EXPECT_EQ(m.materials, (std::vector<Material>{{"crate.bmp", "", ""}}));
  EXPECT_EQ(m.faces.size(), 12u);
  EXPECT_EQ(m.texCoords.size(), 8u);
  EXPECT_EQ(m.unitScale, 1.0f);
  expectNear(m.unitCentre, 0, 0, 1);
  ASSERT_EQ(got.instances.size(), 1u);
  expectNear(got.instances[0]->position, 0, 0, 1);
  EXPECT_EQ(messages, "");
}

// The library's own normal calculation keeps at most 128 distinct normals
// around a point; the tip of a finer cone takes the conversion's own.
TEST_F(ThreeDsConversion, PointOfMoreThan128FacesGetsItsSmoothedNormal) {
  Lib3dsMesh* m = lib3ds_mesh_new("Cone");
  const int sides = 200;
  lib3ds_mesh_new_point_list(m, sides + 1);
  m->pointL[0].pos[2] = 1;
  for (int i = 0; i < sides; ++i) {
    m->pointL[i + 1].pos[0] = static_cast<float>(std::cos(2 * std::numbers::pi * i / sides));
    m->pointL[i + 1].pos[1] = static_cast<float>(std::sin(2 * std::numbers::pi * i / sides));
  }
  lib3ds_mesh_new_face_list(m, sides);
  for (int i = 0; i < sides; ++i) {
    m->faceL[i].points[0] = 0;
    m->faceL[i].points[1] = static_cast<uint16_t>(i + 1);
    m->faceL[i].points[2] = static_cast<uint16_t>((i + 1) % sides + 1);
    m->faceL[i].smoothing = 1;
  }
  ModelBuilder cone;
  lib3ds_file_insert_mesh(cone.file(), m);
  convert(cone.save(dir));
  ASSERT_EQ(got.meshes.size(), 1u);
  const Vec3 tip = got.meshes[0]->normals[0];
  EXPECT_NEAR(tip.x, 0, 1e-4);
  EXPECT_NEAR(tip.y, 0, 1e-4);
  EXPECT_NEAR(std::fabs(tip.z), 1, 1e-4);
}

const char kInvalid[] = "/usr/share/assimp/models/invalid/empty.3ds";
const char kModels[] = "/usr/share/assimp/models/3DS/";

TEST_F(ThreeDsConversion, EmptyFileIsRefused) {
  if (!std::filesystem::exists(kInvalid)) GTEST_SKIP() << "no sample 3DS models installed";
  convert(kInvalid);
  EXPECT_EQ(messages, std::string("ERROR: \"") + kInvalid + "\" is not a valid 3DS file: the file is shorter than a chunk header\n");
  EXPECT_TRUE(got.meshes.empty());
}

TEST_F(ThreeDsConversion, RealFilesGiveTheLibrarysCounts) {
  if (!std::filesystem::is_directory(kModels)) GTEST_SKIP() << "no sample 3DS models installed";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kModels)) {
    std::string ext = entry.path().extension().string();
    if (ext != ".3ds" && ext != ".3DS") continue;
    ++files;
    const std::string path = entry.path().string();
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    ASSERT_TRUE(file) << path;
    size_t meshes = 0, faces = 0, nodes = 0;
    for (Lib3dsMesh* m = file->meshes; m; m = m->next, ++meshes) faces += m->faces;
    for (Lib3dsNode* n = file->nodes; n; n = n->next)
      nodes += n->type == LIB3DS_OBJECT_NODE && std::strcmp(n->name, "$$$DUMMY") != 0;
    lib3ds_file_free(file);

    Received received;
    received.convert(path, log);
    EXPECT_EQ(received.meshes.size(), meshes) << path;
    size_t convertedFaces = 0;
    for (const auto& m : received.meshes) {
      convertedFaces += m->faces.size();
      for (const Face& f : m->faces)
        for (int j = 0; j < 3; ++j) ASSERT_LT(static_cast<size_t>(f.vertex[j]), m->vertices.size()) << path;
    }
    EXPECT_EQ(convertedFaces, faces) << path;
    EXPECT_EQ(received.instanceMeshNames.size(), nodes) << path;
  }
  EXPECT_EQ(files, 9);
  EXPECT_EQ(log.takeText().find("ERROR"), std::string::npos);
}

}  // namespace
}  // namespace quorvel

#endif  // QUORVEL_HAVE_LIB3DS
