// Real glTF, OBJ, FBX and Collada files of the model library's test set
// imported into a small level: the new meshes, faces and instances are what
// the library itself reads from the file, the level is saved and verified.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>
#include <regex>
#include <set>

#include "app/actions/import.h"
#include "import/interchange_conversion.h"
#include "import/model_files.h"
#include "support/level_paths.h"
#include "support/scripted_run.h"
#include "textures/bmp_reader.h"
#include "textures/texture_database.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing_support::writeBytes;

constexpr const char* kModels = "/usr/share/assimp/models/";

// Picked for meshes with materials, node trees, instanced meshes, external
// and embedded textures, and scales an instance cannot hold.
const char* const kModelFiles[] = {
    "glTF2/BoxTextured-glTF/BoxTextured.gltf",
    "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
    "glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf",
    "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
    "glTF2/ClearCoat-glTF/ClearCoatTest.gltf",
    "glTF2/BoxTexcoords-glTF/boxTexcoords.gltf",
    "OBJ/spider.obj",
    "OBJ/WusonOBJ.obj",
    "OBJ/cube_usemtl.obj",
    "OBJ/regr01.obj",
    "OBJ/concave_polygon.obj",
    "FBX/spider.fbx",
    "FBX/cubes_with_names.fbx",
    "FBX/box.fbx",
    "FBX/phong_cube.fbx",
    "FBX/cubes_with_mirroring_and_pivot.fbx",
    "Collada/duck.dae",
    "Collada/teapots.DAE",
    "Collada/teapot_instancenodes.DAE",
    "Collada/COLLADA.dae",
    "Collada/earthCylindrical.DAE",
};

// What the library reads, with the import's own settings.
struct LibraryCounts {
  size_t meshes = 0, faces = 0, instances = 0, placedFaces = 0;
};

LibraryCounts countWithLibrary(const std::string& path) {
  Assimp::Importer importer;
  configureInterchangeImporter(importer);
  const aiScene* scene = importer.ReadFile(path, interchangePostProcessing());
  LibraryCounts counts;
  if (!scene) {
    ADD_FAILURE() << path << ": " << importer.GetErrorString();
    return counts;
  }
  counts.meshes = scene->mNumMeshes;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) counts.faces += scene->mMeshes[i]->mNumFaces;
  std::vector<const aiNode*> open{scene->mRootNode};
  while (!open.empty()) {
    const aiNode* node = open.back();
    open.pop_back();
    counts.instances += node->mNumMeshes;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) counts.placedFaces += scene->mMeshes[node->mMeshes[i]]->mNumFaces;
    open.insert(open.end(), node->mChildren, node->mChildren + node->mNumChildren);
  }
  return counts;
}

class InterchangeModels : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!fs::exists(kModels)) GTEST_SKIP() << kModels << " is not installed (package assimp-testmodels)";
    level_ = testing_support::levelFilesIn(run_.folder.path(), "lvl");
    // An empty level: no name of it can meet a name of the model.
    SceneFile empty;
    empty.trace = nullptr;
    ASSERT_TRUE(empty.save(level_.grfPath));
    ASSERT_TRUE(writeLevelHeader(level_.scnPath, level_.grfPath, nullptr));
    TextureDatabase store;
    ASSERT_TRUE(store.write(level_.pidPath));
    writeBytes(level_.swpPath, {});
    writeBytes(level_.spzPath, {0, 0, 0, 0});
    run_.app.traceStream = nullptr;
    run_.app.log.verbose = false;
  }

  // The model's folder copied (its companions: buffers, materials, images)
  // into the scratch folder, so the textures can be written beside it.
  std::string copyModel(const std::string& relative) {
    const fs::path source = fs::path(kModels) / relative;
    const std::string folder = run_.folder.makeFolder("models/");
    for (const auto& entry : fs::directory_iterator(source.parent_path()))
      if (entry.is_regular_file()) fs::copy_file(entry.path(), folder + entry.path().filename().string());
    return folder + source.filename().string();
  }

  std::unique_ptr<SceneFile> load(const std::string& path) {
    auto scene = std::make_unique<SceneFile>();
    scene->trace = nullptr;
    EXPECT_TRUE(scene->load(path));
    return scene;
  }

  testing_support::ScriptedRun run_;
  LevelFiles level_;
};

TEST_P(InterchangeModels, ImportGivesTheLibrarysMeshesFacesAndInstancesAndTheSavedLevelVerifies) {
  const std::string model = copyModel(GetParam());
  const LibraryCounts expected = countWithLibrary(model);
  const std::unique_ptr<SceneFile> before = load(level_.grfPath);
  std::set<std::string> old;
  for (const auto& mesh : before->meshes) old.insert(mesh->name);

  run_.ui.queueFile(model);
  run_.ui.queueImportOptions(true, [](ImportOptions& o) { o.NormalizeTextureNames = false; });
  run_.ui.setStandingAnswer("Confirm", Answer::No);
  run_.ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  ASSERT_TRUE(runImport(run_.app, level_, false));
  const std::string text = run_.app.log.takeText();
  EXPECT_EQ(text.find("could not be read as a model"), std::string::npos) << text;
  EXPECT_TRUE(run_.app.lastVerification.has_value()) << text;

  // Meshes baked for a scale an instance cannot hold are named in NOTEs.
  std::set<std::string> baked;
  const std::regex note("NOTE: node .* scales mesh .* unevenly, which an instance cannot; the scaled shape is mesh (.*) of its own\\.");
  for (std::sregex_iterator it(text.begin(), text.end(), note), end; it != end; ++it) baked.insert((*it)[1]);

  const std::unique_ptr<SceneFile> after = load(level_.grfPath);
  size_t meshes = 0, faces = 0, placedFaces = 0;
  for (const auto& mesh : after->meshes) {
    if (old.count(mesh->name) || baked.count(mesh->name)) continue;
    ++meshes;
    faces += mesh->faces.size();
  }
  for (size_t i = before->instances.size(); i < after->instances.size(); ++i)
    placedFaces += after->instances[i]->mesh->faces.size();
  EXPECT_EQ(meshes, expected.meshes) << text;
  EXPECT_EQ(faces, expected.faces);
  EXPECT_EQ(after->instances.size() - before->instances.size(), expected.instances) << text;
  EXPECT_EQ(placedFaces, expected.placedFaces);
}

INSTANTIATE_TEST_SUITE_P(TestModels, InterchangeModels, ::testing::ValuesIn(kModelFiles),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = std::to_string(info.index) + "_" + info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The texture of a .glb lies inside it; the texture phase needs a BMP beside
// the model, of at most 256 x 256 pixels.
TEST_F(InterchangeModels, EmbeddedTextureIsWrittenAsBitmapBesideTheModelAndNamedByTheMaterial) {
  const std::string model = copyModel("glTF2/BoxTextured-glTF-Binary/BoxTextured.glb");
  ImportSet set(run_.app.log);
  importModelFile(model, set, run_.app.log, nullptr);
  ASSERT_EQ(set.meshes.size(), 1u);
  const Mesh& mesh = *set.meshes.begin()->second;
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0], (Material{"BoxTextured_texture0.bmp", "", ""}));
  const std::optional<TextureBitmap> bitmap = readBitmap((fs::path(model).parent_path() / "BoxTextured_texture0.bmp").string(), false);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->bitsPerPixel, 24u);
  EXPECT_EQ(bitmap->width, 211);  // the image as it is: it fits
  EXPECT_EQ(bitmap->height, 211);
}

TEST_F(InterchangeModels, PngTextureBecomesABitmapOfTheSameNameBesideTheModel) {
  const std::string model = copyModel("glTF2/BoxTextured-glTF/BoxTextured.gltf");
  ImportSet set(run_.app.log);
  importModelFile(model, set, run_.app.log, nullptr);
  ASSERT_EQ(set.meshes.size(), 1u);
  EXPECT_EQ(set.meshes.begin()->second->materials[0].colorMap, "CesiumLogoFlat.bmp");
  EXPECT_TRUE(readBitmap((fs::path(model).parent_path() / "CesiumLogoFlat.bmp").string(), false));
}

}  // namespace
}  // namespace quorvel
