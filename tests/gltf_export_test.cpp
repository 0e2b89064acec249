// The glTF export read back through the model library: the nodes and where
// they put their meshes, shared meshes, one part per material, and the
// bitmaps embedded as PNG.
#if QUORVEL_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "import/import_set.h"
#include "import/model_files.h"
#include "level/instance_rotation.h"
#include "support/bmp_builder.h"
#include "support/sample_level.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "tools/gltf_export.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace quorvel {
namespace {

using namespace testing_support;

using Corners = std::vector<std::array<float, 3>>;

// Every corner a node puts into the world, sorted, so that the order of
// parts and faces does not matter.
Corners worldCorners(const aiScene& scene, const aiNode& node) {
  aiMatrix4x4 world = node.mTransformation;
  for (const aiNode* parent = node.mParent; parent; parent = parent->mParent) world = parent->mTransformation * world;
  Corners corners;
  for (const unsigned m : std::vector<unsigned>(node.mMeshes, node.mMeshes + node.mNumMeshes)) {
    const aiMesh& mesh = *scene.mMeshes[m];
    for (const aiFace& face : std::vector<aiFace>(mesh.mFaces, mesh.mFaces + mesh.mNumFaces))
      for (int k = 0; k < 3; ++k) {
        const aiVector3D p = world * mesh.mVertices[face.mIndices[k]];
        corners.push_back({p.x, p.y, p.z});
      }
  }
  std::sort(corners.begin(), corners.end());
  return corners;
}

Corners worldCorners(const Instance& instance) {
  Corners corners;
  for (const Face& face : instance.mesh->faces)
    for (int32_t v : face.vertex) {
      const Vec3 p = placePoint(instance, instance.mesh->vertices[v]);
      corners.push_back({p.x, p.y, p.z});
    }
  std::sort(corners.begin(), corners.end());
  return corners;
}

void expectSameCorners(const Corners& expected, const Corners& actual, const std::string& label) {
  ASSERT_EQ(expected.size(), actual.size()) << label;
  for (size_t i = 0; i < expected.size(); ++i)
    for (int c = 0; c < 3; ++c) ASSERT_NEAR(expected[i][c], actual[i][c], 1e-4) << label << " corner " << i;
}

const aiScene* readBack(Assimp::Importer& importer, const std::string& path) {
  const aiScene* scene = importer.ReadFile(path, 0);
  EXPECT_TRUE(scene) << importer.GetErrorString();
  return scene;
}

TEST(GltfExport, SampleLevelReadsBackWithEveryInstanceInPlaceAndSharedMeshes) {
  SceneFile level;
  ASSERT_TRUE(level.load(QUORVEL_SOURCE_DIR "/data/sample/level/harbor.grf"));
  level.trace = nullptr;
  GltfExportInput input;
  for (const auto& instance : level.instances) input.instances.push_back(instance.get());
  TempDir folder;
  const GltfExportResult result = exportGltf(input, folder.file("harbor.glb"));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.message, "Wrote \"" + folder.file("harbor.glb") + "\": 11 nodes, 9 meshes, 0 textures");
  EXPECT_EQ(result.missingTextures.size(), 7u);  // the sample keeps its textures in the store only

  Assimp::Importer importer;
  const aiScene* scene = readBack(importer, folder.file("harbor.glb"));
  ASSERT_TRUE(scene);
  const aiNode& root = *scene->mRootNode;
  ASSERT_EQ(root.mNumChildren, level.instances.size());
  EXPECT_EQ(scene->mNumMeshes, 9u);
  std::array<float, 3> low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  for (unsigned i = 0; i < root.mNumChildren; ++i) {
    EXPECT_EQ(std::string(root.mChildren[i]->mName.C_Str()), level.instances[i]->name);
    const Corners corners = worldCorners(*scene, *root.mChildren[i]);
    expectSameCorners(worldCorners(*level.instances[i]), corners, level.instances[i]->name);
    for (const auto& p : corners)
      for (int c = 0; c < 3; ++c) low[c] = std::min(low[c], p[c]), high[c] = std::max(high[c], p[c]);
  }
  // The sky box, 500 units each way from the origin, holds the level.
  EXPECT_EQ(low, (std::array<float, 3>{-500, 0, -500}));
  EXPECT_EQ(high, (std::array<float, 3>{500, 500, 500}));
  // The three crates are one mesh.
  for (const char* crate : {"Crate-2", "Crate-3"})
    EXPECT_EQ(root.FindNode(crate)->mMeshes[0], root.FindNode("Crate-1")->mMeshes[0]) << crate;
}

// A model of two materials, placed twice (turned and scaled once), with a
// part no instance places.
void buildModel(SceneFile& model) {
  Mesh& hull = addBox(model, "Hull", "CInstance", "hull.bmp", 2.0f);
  hull.materials.push_back({"deck.bmp", "", ""});
  for (size_t f = 0; f < hull.faces.size(); f += 3) hull.faces[f].material = 1;
  addBox(model, "Mast", "-", "", 0.5f).materials.clear();
  addInstance(model, "Hull-1", hull).position = {1, 2, 3};
  Instance& turned = addInstance(model, "Hull-2", hull, 2.5f);
  turned.position = {-4, 0.5f, 10};
  turned.rotation = {0.3f, -1.1f, 2.0f};
}

// The model saved as ship.grf, read into `set` as a GRF model and exported
// as ship.glb with its unplaced mast.
void exportShip(const TempDir& folder, ImportSet& set, MessageSink& log) {
  SceneFile model;
  model.trace = nullptr;
  buildModel(model);
  ASSERT_TRUE(model.save(folder.file("ship.grf")));
  importModelFile(folder.file("ship.grf"), set, log, nullptr);
  ASSERT_EQ(set.meshes.size(), 2u);
  GltfExportInput input;
  for (const auto& instance : set.instances) input.instances.push_back(instance.get());
  input.unplacedMeshes.push_back(set.meshes.at("Mast").get());
  ASSERT_TRUE(exportGltf(input, folder.file("ship.glb")).ok);
}

TEST(GltfExport, GrfModelReadsBackWithTheSameTrianglesWhereItsInstancesPutThem) {
  TempDir folder;
  CapturingApp app;
  ImportSet set(app.context.log);
  ASSERT_NO_FATAL_FAILURE(exportShip(folder, set, app.context.log));

  Assimp::Importer importer;
  const aiScene* scene = readBack(importer, folder.file("ship.glb"));
  ASSERT_TRUE(scene);
  const aiNode& root = *scene->mRootNode;
  ASSERT_EQ(root.mNumChildren, 3u);
  for (size_t i = 0; i < 2; ++i)
    expectSameCorners(worldCorners(*set.instances[i]), worldCorners(*scene, *root.mChildren[i]), "Hull");
  Instance mastAtOrigin;
  mastAtOrigin.mesh = set.meshes.at("Mast").get();
  expectSameCorners(worldCorners(mastAtOrigin), worldCorners(*scene, *root.FindNode("Mast")), "Mast");
  // The hull is two parts, one per material, shared by both instances.
  const aiNode &first = *root.mChildren[0], &second = *root.mChildren[1];
  ASSERT_EQ(first.mNumMeshes, 2u);
  EXPECT_EQ(std::vector(first.mMeshes, first.mMeshes + 2), std::vector(second.mMeshes, second.mMeshes + 2));
  EXPECT_STREQ(scene->mMaterials[scene->mMeshes[first.mMeshes[0]]->mMaterialIndex]->GetName().C_Str(), "hull.bmp");
  EXPECT_STREQ(scene->mMaterials[scene->mMeshes[first.mMeshes[1]]->mMaterialIndex]->GetName().C_Str(), "deck.bmp");
}

// Every corner of every triangle the instances of an import set put into
// the world, sorted.
Corners worldCorners(const ImportSet& set) {
  Corners corners;
  for (const auto& instance : set.instances) {
    const Corners one = worldCorners(*instance);
    corners.insert(corners.end(), one.begin(), one.end());
  }
  std::sort(corners.begin(), corners.end());
  return corners;
}

TEST(GltfExport, GrfModelComesBackThroughTheGltfImportWithItsMeshesAndPlaces) {
  TempDir folder;
  CapturingApp app;
  ImportSet original(app.context.log);
  ASSERT_NO_FATAL_FAILURE(exportShip(folder, original, app.context.log));

  ImportSet back(app.context.log);
  importModelFile(folder.file("ship.glb"), back, app.context.log, nullptr);
  // One mesh per material part: the hull's two, the mast's one; one
  // instance per part a node places.
  ASSERT_EQ(back.meshes.size(), 3u);
  ASSERT_EQ(back.instances.size(), 5u);

  // Each mesh read back holds, once its unit normalisation is undone, the
  // vertices of the mesh it came from.
  std::vector<Vec3> originalVertices;
  for (const auto& [name, mesh] : original.meshes)
    originalVertices.insert(originalVertices.end(), mesh->vertices.begin(), mesh->vertices.end());
  for (const auto& [name, mesh] : back.meshes) {
    const float s = mesh->unitScale;
    for (const Vec3& v : mesh->vertices) {
      const Vec3 p{(v.x + mesh->unitCentre.x) * s, (v.y + mesh->unitCentre.y) * s, (v.z + mesh->unitCentre.z) * s};
      EXPECT_TRUE(std::any_of(originalVertices.begin(), originalVertices.end(), [&](const Vec3& o) {
        return std::abs(o.x - p.x) <= 1e-5 && std::abs(o.y - p.y) <= 1e-5 && std::abs(o.z - p.z) <= 1e-5;
      })) << name << " " << p.x << " " << p.y << " " << p.z;
    }
  }
  // The instances put the same triangles at the same places, the mast at
  // the origin.
  Corners expected = worldCorners(original);
  Instance mastAtOrigin;
  mastAtOrigin.mesh = original.meshes.at("Mast").get();
  const Corners mast = worldCorners(mastAtOrigin);
  expected.insert(expected.end(), mast.begin(), mast.end());
  std::sort(expected.begin(), expected.end());
  expectSameCorners(expected, worldCorners(back), "ship");
}

TEST(GltfExport, FoundBitmapIsEmbeddedAsPngTopRowFirst) {
  TempDir folder;
  SceneFile model;
  Mesh& mesh = addBox(model, "Sign", "-", "Map\\level\\sign.bmp", 1.0f);
  // Two rows: the bottom one (first in the file) palette entry 1, the top one 2.
  const std::vector<uint8_t> bmp = buildIndexedBmp(2, 2, 4, [](int32_t, int32_t y) { return uint8_t(1 + y); });
  folder.write("sign.bmp", std::string(bmp.begin(), bmp.end()));
  GltfExportInput input;
  input.unplacedMeshes.push_back(&mesh);
  input.textureFolder = folder.path();
  const GltfExportResult result = exportGltf(input, folder.file("sign.glb"));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.textures, 1u);

  Assimp::Importer importer;
  const aiScene* scene = readBack(importer, folder.file("sign.glb"));
  ASSERT_TRUE(scene);
  const aiMaterial& material = *scene->mMaterials[scene->mMeshes[0]->mMaterialIndex];
  EXPECT_STREQ(material.GetName().C_Str(), "Map\\level\\sign.bmp");
  aiString path;
  ASSERT_EQ(material.GetTexture(aiTextureType_DIFFUSE, 0, &path), aiReturn_SUCCESS);
  const aiTexture* png = scene->GetEmbeddedTexture(path.C_Str());
  ASSERT_TRUE(png && png->mHeight == 0);  // compressed: PNG bytes
  int width = 0, height = 0, channels = 0;
  unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(png->pcData),
                                                static_cast<int>(png->mWidth), &width, &height, &channels, 3);
  ASSERT_TRUE(pixels && width == 2 && height == 2);
  // Colour i is stored blue i, green 255 - i, red i / 2; PNG keeps the top
  // row first, red first.
  EXPECT_EQ(std::vector<int>(pixels, pixels + 3), (std::vector<int>{1, 253, 2}));
  EXPECT_EQ(std::vector<int>(pixels + 6, pixels + 9), (std::vector<int>{0, 254, 1}));
  stbi_image_free(pixels);
}

TEST(GltfExport, RotationGoesOutAsTheQuaternionTheImportersTurnBackIntoTheSameAngles) {
  const Vec3 rotations[] = {{0, 0, 0},        {0.5f, 0, 0},         {0, -1.2f, 0},
                            {0, 0, 3.0f},     {0.3f, -1.1f, 2.0f},  {-2.5f, 0.7f, -0.4f}};
  for (const Vec3& rotation : rotations) {
    const Vec3 back = anglesFromQuaternion(quaternionFromAngles(rotation).data());
    EXPECT_NEAR(std::abs(back.x - rotation.x) + std::abs(back.y - rotation.y) + std::abs(back.z - rotation.z), 0, 1e-5)
        << rotation.x << " " << rotation.y << " " << rotation.z;
  }
}

}  // namespace
}  // namespace quorvel
#endif  // QUORVEL_HAVE_ASSIMP
