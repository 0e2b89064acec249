#include <gtest/gtest.h>

#include <bit>

#include "report/message_log.h"
#include "import/tpm_reader.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

constexpr float kDeg = 0.017453292f;

class TpmBlockFormat : public testing::Test {
 protected:
  TpmBlockFormat() {
    log.captureText(true);
    log.verbose = false;
  }
  // Reads `text` as "model.tpm"; with `values` a value file is written beside it.
  std::unique_ptr<SceneFile> read(const std::string& text, const char* values = "") {
    if (values) folder.write("model.values.txt", values);
    auto scene = readTpmFile(folder.write("model.tpm", text), log);
    messages = log.takeText();
    return scene;
  }
  std::string noValueFileNote() const {
    return "NOTE: Could not find value file \"" + folder.file("model.values.txt") + "\".";
  }

  TempDir folder;
  MessageLog log;
  std::string messages;
};

TEST_F(TpmBlockFormat, MissingFileGivesNothingAndNoMessage) {
  EXPECT_FALSE(readTpmFile(folder.file("absent.tpm"), log));
  EXPECT_EQ(log.takeText(), "");
  EXPECT_FALSE(log.problem);
}

TEST_F(TpmBlockFormat, EmptyFileGivesEmptySceneAndNoProblemWithValueFile) {
  auto scene = read("// nothing here\n\n");
  ASSERT_TRUE(scene);
  EXPECT_TRUE(scene->meshes.empty());
  EXPECT_EQ(messages, "");
  EXPECT_FALSE(log.problem);
}

TEST_F(TpmBlockFormat, MissingValueFileNoteHasNoLineEndAndSetsProblem) {
  auto scene = read("mesh A {\n}\n", nullptr);
  ASSERT_TRUE(scene);
  EXPECT_EQ(messages, noValueFileNote());
  EXPECT_TRUE(log.problem);
}

TEST_F(TpmBlockFormat, VerboseModeNamesBothFilesAndBindsValues) {
  log.verbose = true;
  auto scene = read("mesh Crate {\n}\n", "group Crate = { string Class = \"CTerrainObj\" }\ngroup Other = { }\n");
  ASSERT_EQ(scene->meshes.size(), 1u);
  EXPECT_TRUE(isStringEqual(scene->meshes[0]->values.get(), "Class", "CTerrainObj"));
  EXPECT_EQ(messages, "File: \"" + folder.file("model.tpm") + "\"\nFile: \"" + folder.file("model.values.txt") +
                          "\"\n  Value: Crate\n  Value: Other\nNOTE: value \"Other\" was not used.\n");
  EXPECT_TRUE(log.problem);
}

TEST_F(TpmBlockFormat, FormatVersionNoteDoesNotSetTheProblemFlag) {
  read("FileInfo {\n  formatversion = \"1.0.1\"\n  author = me\n}\n");
  EXPECT_EQ(messages, "NOTE: File format version not supported, file may not load correctly.\n");
  EXPECT_FALSE(log.problem);
  read("fileinfo\n{\n  FormatVersion = 1.0.2\n}\n");
  EXPECT_EQ(messages, "");
}

TEST_F(TpmBlockFormat, MaterialDefinedTwiceKeepsTheSecondAndLateDefinitionDoesNotHelp) {
  auto scene = read(
      "material Wood {\n"
      "  colormap = \"wood1.bmp\"\n"
      "  bumpmap = wood_b.bmp\n"
      "}\n"
      "material \"Wood\"\n"
      "{\n"
      "  colormap = \"wood2.bmp\"\n"
      "  opacitymap = wood_o.bmp\n"
      "}\n"
      "mesh Plank {\n"
      "  m = Wood\n"
      "  m = Stone\n"
      "  m = default\n"
      "}\n"
      "material Stone {\n"
      "  colormap = stone.bmp\n"
      "}\n");
  ASSERT_EQ(scene->meshes.size(), 1u);
  const auto& materials = scene->meshes[0]->materials;
  ASSERT_EQ(materials.size(), 3u);
  EXPECT_EQ(materials[0], (Material{"wood2.bmp", "wood_o.bmp", ""}));
  EXPECT_EQ(materials[1], Material{});
  EXPECT_EQ(materials[2], Material{});
  EXPECT_EQ(messages, "NOTE: Unknown material \"Stone\" used in line 12\n");
  EXPECT_TRUE(log.problem);
}

TEST_F(TpmBlockFormat, BadMaterialAndVertexIndicesAreReportedAndTheFaceKept) {
  auto scene = read(
      "mesh A {\n"
      "  m = Default\n"
      "  m = DUMMY\n"
      "  v = 0,0,0\n"
      "  v = 1,0,0\n"
      "  v = 0,1,0\n"
      "  t = 0,0\n"
      "  n = 0,0,1\n"
      "  f = 1,2,4, 1,1,2, 1,1,1, 3\n"
      "  f = (3,2,1), (1,1,1), (0,1,1), 2\n"
      "}\n");
  const Mesh& mesh = *scene->meshes[0];
  ASSERT_EQ(mesh.faces.size(), 2u);
  const Face& bad = mesh.faces[0];
  EXPECT_EQ(bad.material, 0);
  EXPECT_EQ(bad.attribute, 4);
  EXPECT_EQ(bad.vertex[0], 0);
  EXPECT_EQ(bad.vertex[1], 1);
  EXPECT_EQ(bad.vertex[2], 0);
  EXPECT_EQ(bad.texCoord[2], 0);
  const Face& good = mesh.faces[1];
  EXPECT_EQ(good.vertex[0], 2);
  EXPECT_EQ(good.material, 1);
  EXPECT_EQ(messages,
            "ERROR: Bad material index \"3\" in line 9.\n"
            "ERROR: Bad vertex index \"4\" in line 9.\n"
            "ERROR: Bad tvert index \"2\" in line 9.\n"
            "ERROR: Bad normal index \"0\" in line 10.\n");
}

TEST_F(TpmBlockFormat, MeshWithoutMaterialLinesGetsOneEmptyMaterialSilently) {
  auto scene = read("mesh A {\n v = 0,0,0\n t = 0,0\n n = 0,0,1\n f = 1,1,1,1,1,1,1,1,1,7\n f = 1,1,1,1,1,1,1,1,1,1\n}\n");
  const Mesh& mesh = *scene->meshes[0];
  EXPECT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.faces.size(), 2u);
  EXPECT_EQ(messages, "");
}

TEST_F(TpmBlockFormat, MissingJointIsPrintedWithTwoDigitsAndItsVertexStays) {
  auto scene = read(
      "bone $JSkin00 {\n"
      "  position = (1, 2, 3)\n"
      "}\n"
      "bone $JSkin02 {\n"
      "}\n"
      "skin Skin {\n"
      "  v = 0,0,0,1\n"
      "  v = 0,0,0,-1\n"
      "  v = 0,0,0,3\n"
      "}\n");
  ASSERT_EQ(scene->meshes.size(), 3u);
  EXPECT_EQ(scene->meshes[2]->vertices.size(), 3u);
  EXPECT_EQ(messages,
            "ERROR: Missing joint \"$JSkin01\" in skin \"Skin\"\n"
            "ERROR: Bad joint index in line 7\n"
            "ERROR: Bad joint index in line 8\n"
            "ERROR: Bad joint index in line 9\n");
}

TEST_F(TpmBlockFormat, VerticesBoundToAJointAreCountedPerJoint) {
  auto scene = read(
      "bone $JS00 {\n"
      "  Anim00 = 5\n"
      "  anim01 = 6\n"
      "  Ratio = 0.25\n"
      "  RotationRatio = (0.75)\n"
      "  rotation = 90, 0, -180\n"
      "}\n"
      "skin S {\n"
      "  v = 0,0,0\n"
      "  v = 1,0,0\n"
      "  v = (2,0,0)\n"
      "  v = (3,0,0), 0\n"
      "  v = 4,0,0,0\n"
      "}\n");
  ASSERT_EQ(scene->meshes.size(), 2u);
  const Mesh& bone = *scene->meshes[0];
  EXPECT_EQ(bone.layout, MeshLayout::FaceLists);
  EXPECT_EQ(bone.vertices.size(), 8u);
  EXPECT_EQ(bone.faces.size(), 12u);
  const Value* values = bone.values.get();
  ASSERT_TRUE(values);
  EXPECT_EQ(values->name, "$JS00");
  std::vector<std::string> names;
  for (const auto& child : values->children) names.push_back(child->name);
  EXPECT_EQ(names, (std::vector<std::string>{"ext_GeometryType", "Anim00", "Ratio", "RotationRatio", "A00", "A01"}));
  EXPECT_TRUE(isInt(values, "ext_GeometryType", 1));
  EXPECT_TRUE(isInt(values, "Anim00", 5));
  EXPECT_EQ(getFloat(values, "Ratio", 0), 0.25f);
  EXPECT_EQ(getFloat(values, "RotationRatio", 0), 0.75f);
  EXPECT_TRUE(isInt(values, "A00", 3));
  EXPECT_TRUE(isInt(values, "A01", 4));

  ASSERT_EQ(scene->instances.size(), 1u);
  const Instance& instance = *scene->instances[0];
  EXPECT_EQ(instance.mesh, &bone);
  EXPECT_EQ(std::bit_cast<uint32_t>(instance.scale), 0x3C5BA909u);
  EXPECT_EQ(instance.rotation.x, 90.0f * kDeg);
  EXPECT_EQ(instance.rotation.z, -180.0f * kDeg);
  EXPECT_EQ(messages, "");
  EXPECT_EQ(scene->meshes[1]->layout, MeshLayout::VertexRecords);
}

TEST_F(TpmBlockFormat, InstancesFindOnlyEarlierMeshesAndTakeTheFirstScale) {
  auto scene = read(
      "instance Early {\n"
      "  mesh = Later\n"
      "  position = (1,2,3)\n"
      "}\n"
      "mesh Later {\n"
      "  c = (1.0, 0.5, 2)\n"
      "}\n"
      "instance NoMesh {\n"
      "  position = 1,2,3\n"
      "}\n"
      "instance \"Placed One\" {\n"
      "  MESH = \"Later\"\n"
      "  position = 1, 2, 3\n"
      "  rotation = (90, 0, 180)\n"
      "  scale = (2, 3, 4)\n"
      "}\n"
      "instance Plain {\n"
      "  mesh = Later\n"
      "  mesh = Missing\n"
      "  scale=0.5\n"
      "}\n");
  ASSERT_EQ(scene->instances.size(), 2u);
  const Instance& placed = *scene->instances[0];
  EXPECT_EQ(placed.name, "Placed One");
  EXPECT_EQ(placed.mesh, scene->meshes[0].get());
  EXPECT_EQ(placed.scale, 2.0f);
  EXPECT_EQ(placed.position, (Vec3{1, 2, 3}));
  EXPECT_EQ(placed.rotation, (Vec3{90 * kDeg, 0, 180 * kDeg}));
  EXPECT_EQ(scene->instances[1]->scale, 0.5f);
  EXPECT_EQ(scene->instances[1]->mesh, scene->meshes[0].get());
  const Color color = scene->meshes[0]->color;
  EXPECT_EQ(color.r, 255);
  EXPECT_EQ(color.g, 127);
  EXPECT_EQ(color.b, 255);
  EXPECT_EQ(messages,
            "NOTE: Mesh \"Later\" not found, used in line 2\n"
            "NOTE: Mesh \"Missing\" not found, used in line 19\n");
}

TEST_F(TpmBlockFormat, UnsupportedBlocksAndFailedHeadersAreSkipped) {
  auto scene = read(
      "camera One {\n"
      "  mesh = x\n"
      "}\n"
      "meshes Two {\n"
      "  v = 1,2,3\n"
      "}\n"
      "mesh\n"
      "{ stuff }\n"
      "Mesh Kept {\n"
      "  q = 1\n"
      "}\n");
  ASSERT_EQ(scene->meshes.size(), 1u);
  EXPECT_EQ(scene->meshes[0]->name, "Kept");
  EXPECT_EQ(messages,
            "NOTE: Unsupported root-level block \"camera\" in line 1\n"
            "NOTE: Unsupported root-level block \"meshes\" in line 4\n"
            "NOTE: Unsupported root-level block \"mesh\" in line 7\n"
            "NOTE: Unrecognised data in line 10\n");
}

TEST_F(TpmBlockFormat, LastLineWithoutLineEndIsRead) {
  auto scene = read("mesh M {\r\n  v = 1,2,3\r\n  v = 4,5,6");
  ASSERT_EQ(scene->meshes.size(), 1u);
  EXPECT_EQ(scene->meshes[0]->vertices.size(), 2u);
}

TEST_F(TpmBlockFormat, HugeOrNegativeJointNumberInABoneNameIsNotAJoint) {
  auto scene = read("bone $JS99999999 {\n}\nbone $JS-1 {\n}\nbone $JT00 {\n}\nskin S {\n v = 0,0,0,0\n}\n");
  EXPECT_EQ(messages,
            "NOTE: Bone \"$JS99999999\" gives no usable joint number for skin \"S\"\n"
            "NOTE: Bone \"$JS-1\" gives no usable joint number for skin \"S\"\n"
            "ERROR: Bad joint index in line 8\n");
  EXPECT_TRUE(log.problem);
}

}  // namespace
}  // namespace quorvel
