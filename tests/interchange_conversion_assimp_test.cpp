// The conversion of models read by the general model library, on small
// glTF and OBJ texts: placement of nested and scaled nodes, the mesh baked
// for an uneven scale with its NOTE, names, and damaged files refused.
#include "import/interchange_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>

#include "import/import_set.h"
#include "import/interchange_textures.h"
#include "import/model_files.h"
#include "report/message_log.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

std::string base64(const std::vector<uint8_t>& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += digits[n >> 18];
    out += digits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return out;
}

// One triangle (0,0,0), (2,0,0), (0,2,0): unit scale 1, centre (1, 1, 0).
// `nodes` is the glTF "nodes" array, `meshes` its "meshes" (all of them
// that one triangle).
std::string triangleGltf(const std::string& nodes, const std::string& sceneNodes,
                         const std::string& meshes = R"([{"name":"Triangle","primitives":[{"attributes":{"POSITION":0}}]}])") {
  const float points[9] = {0, 0, 0, 2, 0, 0, 0, 2, 0};
  std::vector<uint8_t> bytes(sizeof points);
  std::memcpy(bytes.data(), points, sizeof points);
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":)" + sceneNodes + R"(}],"nodes":)" + nodes +
         R"(,"meshes":)" + meshes + R"(,)"
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[2,2,0]}],)"
         R"("bufferViews":[{"buffer":0,"byteLength":36}],)"
         R"("buffers":[{"byteLength":36,"uri":"data:application/octet-stream;base64,)" + base64(bytes) + R"("}]})";
}

struct Converted {
  std::vector<std::unique_ptr<Mesh>> meshes;
  std::vector<std::unique_ptr<Instance>> instances;
  std::string text;
  bool problem = false;
};

Converted convert(const std::string& model, const std::string& name) {
  Converted out;
  MessageLog log;
  log.captureText(true);
  const std::vector<uint8_t> bytes(model.begin(), model.end());
  convertInterchangeBytes([&](std::unique_ptr<Mesh> mesh, const std::string&) { out.meshes.push_back(std::move(mesh)); },
                          [&](std::unique_ptr<Instance> instance, const std::string& meshName, const std::string&) -> Mesh* {
                            for (auto& mesh : out.meshes)
                              if (mesh->name == meshName) {
                                instance->mesh = mesh.get();
                                out.instances.push_back(std::move(instance));
                                return mesh.get();
                              }
                            return nullptr;
                          },
                          bytes, name, log);
  out.text = log.takeText();
  out.problem = log.problem;
  return out;
}

void expectNear(const Vec3& actual, const Vec3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5);
  EXPECT_NEAR(actual.y, expected.y, 1e-5);
  EXPECT_NEAR(actual.z, expected.z, 1e-5);
}

TEST(InterchangeConversion, NodesArePlacedByTheirWorldTransformWithTheUnitCentreMadeUpFor) {
  const Converted c = convert(
      triangleGltf(R"([{"name":"Moved","mesh":0,"translation":[10,20,30]},)"
                   R"({"name":"Turned","mesh":0,"translation":[0,0,5],"scale":[2,2,2],"rotation":[0,0,0.70710678,0.70710678]},)"
                   R"({"name":"Parent","translation":[100,0,0],"scale":[3,3,3],"children":[3]},)"
                   R"({"name":"Child","mesh":0,"translation":[0,1,0]}])",
                   "[0,1,2]"),
      "model.gltf");
  ASSERT_EQ(c.meshes.size(), 1u) << c.text;
  const Mesh& mesh = *c.meshes[0];
  EXPECT_EQ(mesh.name, "Triangle");
  EXPECT_FLOAT_EQ(mesh.unitScale, 1);
  EXPECT_EQ(mesh.unitCentre, (Vec3{1, 1, 0}));
  ASSERT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.faces[0].attribute, 4);
  EXPECT_EQ(mesh.color.r, 100);
  ASSERT_EQ(c.instances.size(), 3u);
  EXPECT_EQ(c.instances[0]->name, "Moved");
  expectNear(c.instances[0]->position, {11, 21, 30});
  EXPECT_FLOAT_EQ(c.instances[0]->scale, 1);
  EXPECT_EQ(c.instances[1]->name, "Turned");
  expectNear(c.instances[1]->position, {-2, 2, 5});  // (0, 0, 5) + 2 * R(1, 1, 0)
  expectNear(c.instances[1]->rotation, {0, 0, std::numbers::pi_v<float> / 2});
  EXPECT_FLOAT_EQ(c.instances[1]->scale, 2);
  // The child's translation is scaled by its parent: (100, 3, 0) + 3 * (1, 1, 0).
  EXPECT_EQ(c.instances[2]->name, "Child");
  expectNear(c.instances[2]->position, {103, 6, 0});
  EXPECT_FLOAT_EQ(c.instances[2]->scale, 3);
  EXPECT_FALSE(c.problem) << c.text;
  EXPECT_EQ(c.text, "");
}

TEST(InterchangeConversion, UnevenScaleIsBakedIntoAMeshOfItsOwnWithANote) {
  const Converted c = convert(triangleGltf(R"([{"name":"Stretched","mesh":0,"scale":[1,3,1]},)"
                                           R"({"name":"Mirrored","mesh":0,"scale":[-1,1,1]}])",
                                           "[0,1]"),
                              "dir/model.gltf");
  ASSERT_EQ(c.meshes.size(), 3u) << c.text;
  EXPECT_EQ(c.text,
            "  NOTE: node Stretched in file \"dir/model.gltf\" scales mesh Triangle unevenly, which an instance "
            "cannot; the scaled shape is mesh Triangle_Stretched of its own.\n"
            "  NOTE: node Mirrored in file \"dir/model.gltf\" scales mesh Triangle unevenly, which an instance "
            "cannot; the scaled shape is mesh Triangle_Mirrored of its own.\n");
  EXPECT_TRUE(c.problem);
  // Stretched: y spans 0 .. 6, so unit scale 3 and centre (1, 3, 0) / 3.
  const Mesh& stretched = *c.meshes[1];
  EXPECT_EQ(stretched.name, "Triangle_Stretched");
  EXPECT_FLOAT_EQ(stretched.unitScale, 3);
  expectNear(stretched.vertices[2], {-1.0f / 3, 1, 0});
  ASSERT_EQ(c.instances.size(), 2u);
  EXPECT_EQ(c.instances[0]->mesh, &stretched);
  EXPECT_FLOAT_EQ(c.instances[0]->scale, 3);
  expectNear(c.instances[0]->position, {1, 3, 0});
  // Mirrored: the corners turn round so the face still faces out.
  const Mesh& mirrored = *c.meshes[2];
  EXPECT_EQ(mirrored.name, "Triangle_Mirrored");
  EXPECT_EQ(c.instances[1]->mesh, &mirrored);
  const Face& face = mirrored.faces[0];
  EXPECT_EQ(face.vertex[0], c.meshes[0]->faces[0].vertex[0]);
  EXPECT_EQ(face.vertex[1], c.meshes[0]->faces[0].vertex[2]);
  EXPECT_EQ(face.vertex[2], c.meshes[0]->faces[0].vertex[1]);
}

TEST(InterchangeConversion, NamesAreMadeUniqueWithinTheFile) {
  const std::string primitive = R"("primitives":[{"attributes":{"POSITION":0}}])";
  const Converted c = convert(triangleGltf(R"([{"name":"Crate","mesh":0},{"name":"Crate","mesh":1},{"mesh":2}])",
                                           "[0,1,2]",
                                           "[{\"name\":\"Box\"," + primitive + "},{\"name\":\"Box\"," + primitive +
                                               "},{" + primitive + "}]"),
                              "dir/crates.glb.gltf");
  ASSERT_EQ(c.meshes.size(), 3u) << c.text;
  EXPECT_EQ(c.meshes[0]->name, "Box");
  EXPECT_EQ(c.meshes[1]->name, "Box_2");
  EXPECT_EQ(c.meshes[2]->name, "meshes[2]");  // the library's name for an unnamed glTF mesh
  ASSERT_EQ(c.instances.size(), 3u);
  EXPECT_EQ(c.instances[0]->name, "Crate");
  EXPECT_EQ(c.instances[1]->name, "Crate_2");
  EXPECT_EQ(c.instances[1]->mesh, c.meshes[1].get());
  EXPECT_EQ(c.instances[2]->mesh, c.meshes[2].get());
}

// The textures of a material as the texture phase finds them: a BMP beside
// the model is used as it is, other images become BMPs beside it, and what
// cannot be brought along is a WARNING.
TEST(InterchangeFile, MaterialTexturesAreBroughtBesideTheModelAsBitmaps) {
  TempDir folder;
  folder.write("m.mtl", "newmtl skin\nmap_Kd missing.png\nmap_d alpha.BMP\nmap_bump sub/bump.jpg\n");
  folder.write("alpha.bmp", "not read: it is only named");
  folder.write("sub/bump.jpg", "not an image");
  const std::string model = folder.write("crate.obj", "mtllib m.mtl\nusemtl skin\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  MessageLog log;
  log.captureText(true);
  log.verbose = false;
  ImportSet set(log);
  importModelFile(model, set, log, nullptr);
  ASSERT_EQ(set.meshes.size(), 1u);
  const Mesh& mesh = *set.meshes.begin()->second;
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0], (Material{"missing.png", "alpha.BMP", "bump.jpg"}));
  const std::string text = log.takeText();
  const std::string warning = "  WARNING: texture \"%s\" of mesh " + mesh.name + " in file \"" + model + "\" cannot be brought along: ";
  auto line = [&](const char* reference, const char* reason) {
    std::string w = warning;
    return w.replace(w.find("%s"), 2, reference) + reason + ".\n";
  };
  EXPECT_NE(text.find(line("missing.png", "the file is missing")), std::string::npos) << text;
  EXPECT_NE(text.find(line("sub/bump.jpg", "it is not an image in a known format")), std::string::npos) << text;
  EXPECT_TRUE(log.problem);
}

// Halving keeps a texture within 256 x 256: each pixel the mean of four.
TEST(InterchangeTextures, LargeImageIsHalvedIntoA24BitBitmap) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 258; ++x) rgba.insert(rgba.end(), {uint8_t(x % 2 * 100), uint8_t(y * 50), 7, 255});
  const std::vector<uint8_t> bmp = bitmapFileOf(rgba.data(), 258, 2);
  const uint32_t row = 388;  // 129 pixels of 3 bytes, padded to 4
  ASSERT_EQ(bmp.size(), 54u + row);
  const std::vector<uint8_t> header(bmp.begin(), bmp.begin() + 30);
  const std::vector<uint8_t> expected = {'B', 'M', 0xBA, 1, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 129, 0,
                                         0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
  EXPECT_EQ(header, expected);
  for (uint32_t x = 0; x < 129; ++x) {
    EXPECT_EQ(bmp[54 + 3 * x], 7);       // blue
    EXPECT_EQ(bmp[54 + 3 * x + 1], 25);  // green: (0 + 0 + 50 + 50) / 4
    EXPECT_EQ(bmp[54 + 3 * x + 2], 50);  // red: (0 + 100 + 0 + 100) / 4
  }
  EXPECT_EQ(bmp.back(), 0);
}

// Damaged files: one ERROR line, the problem flag, nothing converted.
class DamagedModel : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DamagedModel, IsRefusedWithOneErrorLine) {
  const auto [name, content] = GetParam();
  const Converted c = convert(content, name);
  EXPECT_TRUE(c.meshes.empty());
  EXPECT_TRUE(c.instances.empty());
  EXPECT_TRUE(c.problem);
  const std::string start = std::string("ERROR: \"") + name + "\" could not be read as a model: ";
  EXPECT_EQ(c.text.rfind(start, 0), 0u) << c.text;
  EXPECT_EQ(c.text.find('\n'), c.text.size() - 1) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedModel,
    ::testing::Values(std::pair{"cut.glb", "glTF\x02\x01\x01\x01\xff\xff\xff\x7f"}, std::pair{"empty.obj", ""},
                      std::pair{"index.obj", "v 0 0 0\nv 1 0 0\nf 1 2 99999999\n"},
                      std::pair{"broken.gltf", "{\"asset\":{\"version\":\"2.0\"},\"meshes\":[{\"primitives\":7}]}"},
                      std::pair{"noise.fbx", "Kaydara FBX Binary  \x01\x1a\x01\xe8\x1c\x01\x01\xff\xff\xff\xff"},
                      std::pair{"bad.dae", "<?xml version=\"1.0\"?><COLLADA><library_geometries><geometry>"}));

// Import Directory reads every GRF, then every 3DS, then every TPM file, and
// the formats of the general model library last.
TEST(InterchangeFolder, ModelsOfTheLibraryComeAfterTheTpmFiles) {
  TempDir folder;
  const std::string models = QUORVEL_SOURCE_DIR "/data/sample/models/";
  for (const char* file : {"boat.grf", "net.tpm", "pier.3ds"})
    std::filesystem::copy_file(models + file, folder.file(file));
  folder.write("a_frame.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  MessageLog log;
  log.captureText(true);
  log.verbose = true;
  ImportSet set(log);
  importModelFolder(folder.path(), set, log, nullptr);
  const std::string text = log.takeText();
  std::vector<std::string> order;
  for (size_t at = text.find("File: \""); at != std::string::npos; at = text.find("File: \"", at + 1))
    order.push_back(text.substr(at + 7, text.find('"', at + 7) - at - 7));
  EXPECT_EQ(order, (std::vector<std::string>{folder.file("boat.grf"), folder.file("pier.3ds"), folder.file("net.tpm"),
                                             folder.file("a_frame.obj")}))
      << text;
}

}  // namespace
}  // namespace quorvel
