#include <gtest/gtest.h>

#include "report/message_log.h"
#include "import/tpm_reader.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

constexpr float kDeg = 0.017453292f;
const char kOldFormatNote[] = "NOTE: Found a '[' in the first line of the file, assuming it is the old file format.\n";

class TpmSectionedFormat : public testing::Test {
 protected:
  TpmSectionedFormat() {
    log.captureText(true);
    log.verbose = false;
  }
  std::unique_ptr<SceneFile> read(const std::string& text) {
    auto scene = readTpmFile(folder.write("old.tpm", text), log);
    messages = log.takeText();
    return scene;
  }
  const Mesh* mesh(const SceneFile& scene, const std::string& name) { return scene.findMesh(name); }

  TempDir folder;
  MessageLog log;
  std::string messages;
};

TEST_F(TpmSectionedFormat, FileInfoHeaderWithAndWithoutBlankBeforeTheBracket) {
  read("[File Info]\nfileversion = \"0.21\"\n");
  EXPECT_EQ(messages, kOldFormatNote);
  EXPECT_FALSE(log.problem);

  read("[ file info]\nFileVersion = \"0.20\"\n");
  EXPECT_EQ(messages, std::string(kOldFormatNote) +
                          "NOTE: File version number not supported, file may not parse correctly\n");
  EXPECT_TRUE(log.problem);

  log.problem = false;
  read("[file info ]\nfileversion = \"0.20\"\n");
  EXPECT_EQ(messages, std::string(kOldFormatNote) + "NOTE: Unsupported section 'file info ' in line 1\n");
}

TEST_F(TpmSectionedFormat, NoValueFileIsLookedFor) {
  auto scene = read("// exported\n[geometry]\n");
  ASSERT_TRUE(scene);
  EXPECT_EQ(messages, kOldFormatNote);
  EXPECT_FALSE(log.problem);
}

TEST_F(TpmSectionedFormat, JointsWithFourOrTwoAnimationNumbers) {
  auto scene = read(
      "[joints]\n"
      "j = \"$JBody00\", (1, 2, 3), 4, 5, 0.25, 0.75\n"
      "j = \"$JBody01\", (0, 0, 0), 7, 8\n"
      "j = \"Plain\", (0,0,0)\n"
      "j = bad\n");
  ASSERT_EQ(scene->meshes.size(), 3u);
  ASSERT_EQ(scene->instances.size(), 3u);
  EXPECT_EQ(scene->instances[0]->position, (Vec3{1, 2, 3}));
  const Value* full = scene->meshes[0]->values.get();
  EXPECT_TRUE(isInt(full, "ext_GeometryType", 1));
  EXPECT_TRUE(isInt(full, "Anim00", 4));
  EXPECT_TRUE(isInt(full, "Anim01", 5));
  EXPECT_EQ(getFloat(full, "Ratio", 0), 0.25f);
  EXPECT_EQ(getFloat(full, "RotationRatio", 0), 0.75f);
  const Value* two = scene->meshes[1]->values.get();
  EXPECT_TRUE(isInt(two, "Anim01", 8));
  EXPECT_EQ(getFloat(two, "Ratio", 0), 0.5f);
  EXPECT_EQ(getFloat(two, "RotationRatio", 0), 0.5f);
  EXPECT_EQ(scene->meshes[2]->values->children.size(), 1u);
  EXPECT_EQ(scene->meshes[2]->layout, MeshLayout::FaceLists);
  EXPECT_EQ(messages, std::string(kOldFormatNote) +
                          "NOTE: expected four values after joint position (line 3)\n"
                          "NOTE: Unrecognised data in line 5\n");
}

TEST_F(TpmSectionedFormat, GeometrySharesMaterialsAndClampsIndices) {
  auto scene = read(
      "[joints]\n"                                              // 1
      "j = \"$JBody00\", (0, 0, 0)\n"                           // 2
      "[materials]\n"                                           // 3
      "m = \"Red\", \"red.bmp\", \"red_o.bmp\", \"x\"\n"        // 4
      "m = \"Blue\", \"blue.bmp\"\n"                            // 5
      "m = \n"                                                  // 6
      "[geometry]\n"                                            // 7
      "v = 9,9,9\n"                                             // 8: no mesh yet
      "m = \"Body\", (0,0,0), (10, 20, 300)\n"                  // 9
      "v = 0,0,0,0\n"                                           // 10
      "v = 1,0,0,5\n"                                           // 11
      "v = 0,1,0,0\n"                                           // 12
      "t = 0,0\n"                                               // 13
      "n = 0,0,1\n"                                             // 14
      "f = 1,2,3, 1,1,1, 1,1,1, \"Blue\"\n"                     // 15
      "f = 3,2,1, 1,1,1, 1,1,1, \"Blue\"\n"                     // 16
      "f = 0,-5,9, 2,2,2, 1,1,1, 0\n"                           // 17
      "f = 1,2,3, 1,1,1, 1,1,1, 7\n"                            // 18
      "f = 1,2,3, 1,1,1, 1,1,1\n"                               // 19
      "f = 1,1,1, 1,1,1, 1,1,1, \"Green\"\n"                    // 20
      "f = 1,2\n");                                             // 21
  const Mesh* body = mesh(*scene, "Body");
  ASSERT_TRUE(body);
  EXPECT_EQ(body->layout, MeshLayout::VertexRecords);
  EXPECT_EQ(body->color.r, 10);
  EXPECT_EQ(body->color.b, 255);
  EXPECT_EQ(body->vertices.size(), 3u);
  ASSERT_EQ(body->materials.size(), 3u);
  EXPECT_EQ(body->materials[0], (Material{"blue.bmp", "", ""}));
  EXPECT_EQ(body->materials[1], (Material{"red.bmp", "red_o.bmp", ""}));
  EXPECT_EQ(body->materials[2], Material{});
  ASSERT_EQ(body->faces.size(), 6u);
  EXPECT_EQ(body->faces[0].material, 0);
  EXPECT_EQ(body->faces[1].material, 0);
  EXPECT_EQ(body->faces[1].vertex[0], 2);
  const Face& clamped = body->faces[2];
  EXPECT_EQ(clamped.material, 1);
  EXPECT_EQ(clamped.vertex[0], 0);
  EXPECT_EQ(clamped.vertex[1], 0);
  EXPECT_EQ(clamped.vertex[2], 2);
  EXPECT_EQ(clamped.texCoord[0], 0);
  EXPECT_EQ(clamped.attribute, 4);
  EXPECT_EQ(body->faces[3].material, 0);  // 7 counts as the last entry, Blue
  EXPECT_EQ(body->faces[4].material, 0);  // no material name
  EXPECT_EQ(body->faces[5].material, 2);

  const Value* bone = scene->meshes[0]->values.get();
  EXPECT_TRUE(isInt(bone, "A00", 0));
  EXPECT_TRUE(isInt(bone, "A01", 2));
  EXPECT_EQ(messages, std::string(kOldFormatNote) +
                          "NOTE: Unrecognised data in line 6\n"
                          "NOTE: Unrecognised data in line 21\n");
}

TEST_F(TpmSectionedFormat, ObjectsMakePrimitivesAndInstancesOfKnownMeshes) {
  auto scene = read(
      "[geometry]\n"                                          // 1
      "m = \"Body\", (0,0,0), (1,2,3)\n"                     // 2
      "[objects]\n"                                           // 3
      "o = \"Ball\", sphere, (1,2,3), (0,0,90), 2\n"          // 4
      "o = \"Crate\", box, (0,0,0), (0,0,0), 2\n"             // 5
      "o = \"Wide\", Box, (0,0,0), (0,0,0), (2, 4, 6)\n"      // 6
      "o = \"Gem\", DIAMOND, (0,0,0), (0,0,0), 1\n"           // 7
      "o = \"Copy\", \"Body\", (5,5,5), (0,0,0), 3\n"         // 8
      "o = \"Ghost\", \"Nowhere\", (5,5,5), (0,0,0), 3\n"     // 9
      "o = \"Cone\", cone, (0,0,0), (0,0,0), 1\n"             // 10
      "o = \"Short\", box, (0,0,0)\n");                       // 11
  std::vector<std::string> meshNames, instanceNames;
  for (const auto& m : scene->meshes) meshNames.push_back(m->name);
  for (const auto& i : scene->instances) instanceNames.push_back(i->name);
  EXPECT_EQ(meshNames, (std::vector<std::string>{"Body", "Ball", "Crate", "Wide", "Gem"}));
  EXPECT_EQ(instanceNames, (std::vector<std::string>{"Ball", "Crate", "Wide", "Gem", "Copy"}));

  const Instance& ball = *scene->instances[0];
  EXPECT_EQ(ball.scale, 2.0f);
  EXPECT_EQ(ball.rotation, (Vec3{0, 0, 90 * kDeg}));
  EXPECT_EQ(ball.mesh->vertices.size(), 14u);
  EXPECT_EQ(ball.mesh->faces.size(), 24u);
  EXPECT_EQ(ball.mesh->vertices[0], (Vec3{0, 0, 1}));
  EXPECT_EQ(ball.mesh->vertices[7].z, -0.5f);

  const Instance& crate = *scene->instances[1];
  EXPECT_EQ(crate.scale, 1.0f);
  EXPECT_EQ(crate.mesh->vertices[0], (Vec3{1, 1, 1}));
  EXPECT_EQ(crate.mesh->layout, MeshLayout::VertexRecords);
  EXPECT_EQ(scene->instances[2]->mesh->vertices[6], (Vec3{-1, -2, -3}));
  EXPECT_EQ(scene->instances[3]->mesh->vertices.size(), 6u);
  EXPECT_EQ(scene->instances[3]->mesh->faces.size(), 8u);
  EXPECT_EQ(scene->instances[4]->mesh, scene->meshes[0].get());
  EXPECT_EQ(scene->instances[4]->scale, 3.0f);

  EXPECT_EQ(messages, std::string(kOldFormatNote) +
                          "NOTE: Box y and z scale not found in line 5, using uniform scale\n"
                          "NOTE: Unsupported object type in line 10\n"
                          "NOTE: Unrecognised data in line 11\n");
}

TEST_F(TpmSectionedFormat, ValuesSectionBindsAndMayHoldComments) {
  auto scene = read(
      "[joints]\n"
      "j = \"$JA00\", (0,0,0)\n"
      "[geometry]\n"
      "m = \"Body\", (0,0,0), (1,2,3)\n"
      "[values]\n"
      "group Body = {\n"
      "   string Class = \"CTerrainObj\" // the class\n"
      "}\n"
      "group $JA00 = { }\n");
  EXPECT_TRUE(isStringEqual(scene->findMesh("Body")->values.get(), "Class", "CTerrainObj"));
  EXPECT_EQ(messages, std::string(kOldFormatNote) +
                          "NOTE: found multiple copies of the values for mesh \"$JA00\".\n"
                          "NOTE: value \"$JA00\" was not used.\n");
  EXPECT_TRUE(log.problem);
}

TEST_F(TpmSectionedFormat, HeadersAfterTheValuesHeaderAreValueText) {
  auto scene = read(
      "[geometry]\n"
      "m = \"Body\", (0,0,0), (1,2,3)\n"
      "[values]\n"
      "group Body = { }\n"
      "[objects]\n"
      "o = \"Ball\", sphere, (1,2,3), (0,0,90), 2\n");
  EXPECT_EQ(scene->instances.size(), 0u);
  EXPECT_FALSE(scene->findMesh("Body")->values);
  EXPECT_EQ(messages, std::string(kOldFormatNote) + "      ERROR: \"" + folder.file("old.tpm") +
                          "\" is not a valid value file. (skipping)\n"
                          "      The problem is in or near the following lines:\n"
                          "      o = \"Ball\", sphere, (1,2,3), (0,0,90), 2\n"
                          "      "
                          "      \n");
  EXPECT_TRUE(log.problem);
}

TEST_F(TpmSectionedFormat, UnknownSectionLinesAreSkipped) {
  auto scene = read("[cameras]\nm = \"Body\", (0,0,0), (1,2,3)\n[geometry]\nm = \"Real\", (0,0,0), (1,2,3)\n");
  ASSERT_EQ(scene->meshes.size(), 1u);
  EXPECT_EQ(scene->meshes[0]->name, "Real");
  EXPECT_EQ(messages, std::string(kOldFormatNote) + "NOTE: Unsupported section 'cameras' in line 1\n");
}

}  // namespace
}  // namespace quorvel
