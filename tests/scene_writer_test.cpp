#include <gtest/gtest.h>

#include <filesystem>

#include "level/scene.h"
#include "support/scene_bytes.h"
#include "support/scene_fixtures.h"
#include "support/temp_dir.h"
#include "util/byte_io.h"

namespace quorvel {
namespace {

using namespace scene_testing;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

std::vector<uint8_t> serialized(SceneFile& scene) {
  scene.trace = nullptr;
  auto bytes = scene.serialize();
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(std::vector<uint8_t>{});
}

// The names of a written file's name table in file order, with handle and use
// count.
struct NameEntry {
  uint32_t handle;
  uint32_t count;
  std::string name;
};
std::vector<NameEntry> nameTable(const std::vector<uint8_t>& file) {
  std::vector<NameEntry> names;
  size_t at = wordAt(file, 20);
  for (uint32_t i = 0; i < wordAt(file, 12); ++i) {
    uint32_t length = wordAt(file, at + 4);
    names.push_back({wordAt(file, at), wordAt(file, at + 8),
                     std::string(reinterpret_cast<const char*>(&file[at + 12]), length - 1)});
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size());
  return names;
}

uint32_t sectionOffset(const std::vector<uint8_t>& f, int i) { return wordAt(f, 48 + 32 * i + 8); }
uint32_t sectionLength(const std::vector<uint8_t>& f, int i) { return wordAt(f, 48 + 32 * i + 12); }
uint32_t sectionType(const std::vector<uint8_t>& f, int i) { return wordAt(f, 48 + 32 * i + 24); }

Mesh* addTriangleMesh(SceneFile& scene, const std::string& name) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  mesh->vertices = {{0, 0, 0}, {2, 0, 0}, {0, 4, 0}};
  mesh->normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
  mesh->texCoords = {{0.5f, 0.25f}};
  Face face;
  for (int j = 0; j < 3; ++j) face.vertex[j] = face.normal[j] = j;
  face.attribute = 9;
  mesh->faces.push_back(face);
  scene.meshes.push_back(std::move(mesh));
  return scene.meshes.back().get();
}

Instance* addInstance(SceneFile& scene, Mesh* mesh, const std::string& name) {
  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = mesh;
  scene.instances.push_back(std::move(instance));
  return scene.instances.back().get();
}

TEST(SceneWriterRoundTrip, HandBuiltFilesInBothLayoutsAreReproducedByteForByte) {
  for (const auto& file : {faceListsFile(), vertexRecordsFile()}) {
    SceneFile scene;
    scene.trace = nullptr;
    ASSERT_TRUE(scene.loadFromBytes(file));
    EXPECT_EQ(serialized(scene), file);
  }
}

TEST(SceneWriterRoundTrip, WrittenSceneIsReproducedAfterReload) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->materials = {{"tri.bmp", "", "bump.bmp"}};
  ensureValueTable(mesh);
  setString(mesh->values.get(), "Class", "CTerrainObj");
  addInstance(scene, mesh, "Tri01");
  const auto first = serialized(scene);

  SceneFile reloaded;
  reloaded.trace = nullptr;
  ASSERT_TRUE(reloaded.loadFromBytes(first));
  EXPECT_EQ(serialized(reloaded), first);
}

TEST(SceneWriterNames, TableIsSortedByBytesAndHandlesStartAt0xA00000) {
  SceneFile scene;
  for (const char* name : {"box", "Apple", "Box"}) addTriangleMesh(scene, name);
  addInstance(scene, scene.meshes[0].get(), "Box");
  const auto file = serialized(scene);
  auto names = nameTable(file);
  std::vector<std::string> order;
  for (const auto& n : names) order.push_back(n.name);
  EXPECT_EQ(order, (std::vector<std::string>{".geometry", ".header", ".region", ".valuetable",
                                             "Apple", "Box", "box"}));
  EXPECT_EQ(names[0].handle, 0xA00000u);
  EXPECT_EQ(names[0].count, 3u);
  EXPECT_EQ(names[5].handle, 0xA00005u);
  EXPECT_EQ(names[5].count, 2u);  // a mesh and an instance
  EXPECT_EQ(wordAt(file, 16), file.size() - wordAt(file, 20));
}

TEST(SceneWriterNames, ShorterNameSortsBeforeLongerOneWithTheSamePrefix) {
  SceneFile scene;
  addTriangleMesh(scene, "Crate00");
  addTriangleMesh(scene, "Crate");
  auto names = nameTable(serialized(scene));
  EXPECT_EQ(names[4].name, "Crate");
  EXPECT_EQ(names[5].name, "Crate00");
}

TEST(SceneWriterNames, NameLongerThan255BytesCannotBeStored) {
  SceneFile scene;
  scene.trace = nullptr;
  addTriangleMesh(scene, std::string(256, 'x'));
  EXPECT_FALSE(scene.serialize().has_value());
  scene.meshes[0]->name.resize(255);
  EXPECT_TRUE(scene.serialize().has_value());
}

TEST(SceneWriterHeader, HeaderAndDirectoryDescribeTheFile) {
  SceneFile scene;
  addTriangleMesh(scene, "Tri");
  const auto file = serialized(scene);
  EXPECT_EQ(wordAt(file, 0), 0x0ACEBABEu);
  EXPECT_EQ(wordAt(file, 4), file.size());
  EXPECT_EQ(wordAt(file, 8), 5u);  // .header, .region, mesh, .geometry, .valuetable
  EXPECT_EQ(wordAt(file, 24), 0u);
  EXPECT_EQ(wordAt(file, 28), 12u);
  EXPECT_EQ(wordAt(file, 32), 10u);
  const std::vector<uint32_t> types = {1, 2, 4, 8, 8192};
  uint32_t expectedOffset = 48 + 5 * 32;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(sectionType(file, i), types[i]);
    EXPECT_EQ(wordAt(file, 48 + 32 * i + 28), 0x80000000u | i);
    EXPECT_EQ(sectionOffset(file, i), expectedOffset);
    expectedOffset += sectionLength(file, i);
  }
  EXPECT_EQ(wordAt(file, 20), expectedOffset);
  EXPECT_EQ(sectionLength(file, 0), 8u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 0) + 4), 0x8000000Fu);
}

TEST(SceneWriterMeshes, MeshWithoutMaterialsHasNoMappingAndIsUntextured) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->setColor(1, 2, 3);
  mesh->extraHeader = {4, 5, 6};
  const auto file = serialized(scene);
  const size_t header = sectionOffset(file, 2);
  EXPECT_EQ(wordAt(file, header + 4), 0x80000003u);
  EXPECT_EQ(wordAt(file, header + 8), 0u);
  EXPECT_EQ(sectionLength(file, 2), 28u);
  const size_t g = sectionOffset(file, 3);
  // Untextured, colour packed red-green-blue, extra header, P R I 8 G.
  const std::vector<uint32_t> head = {0, 1, 0x010203, 4, 5, 6, 3, 3, 3, 8, 1};
  for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(wordAt(file, g + 4 * i), head[i]) << i;
  EXPECT_EQ(sectionLength(file, 3), 44u + 3 * 12 + 3 * 32 + 3 * 4 + 40 + 96);
}

TEST(SceneWriterMeshes, GeneratedVertexRecordsGeometryIsExact) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->materials = {{"a.bmp", "", ""}, {"b.bmp", "", ""}};
  mesh->faces[0].material = 1;
  const auto file = serialized(scene);
  std::vector<uint32_t> words;
  for (size_t at = sectionOffset(file, 3); at < sectionOffset(file, 4); at += 4)
    words.push_back(wordAt(file, at));
  std::vector<uint32_t> expected = {0x80000005, 0, 0, 0, 0, 0, 3, 3, 3, 8, 1};
  for (float v : {0.f, 0.f, 0.f, 2.f, 0.f, 0.f, 0.f, 4.f, 0.f}) expected.push_back(bitsFromFloat(v));
  const float normals[3][3] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
  for (uint32_t c = 0; c < 3; ++c) {
    expected.push_back(c);
    for (float n : normals[c]) expected.push_back(bitsFromFloat(n));
    expected.push_back(bitsFromFloat(0.5f));  // every corner names coordinate 0
    expected.push_back(bitsFromFloat(0.25f));
    expected.push_back(1);
    expected.push_back(0);
  }
  for (uint32_t i : {0, 1, 2}) expected.push_back(i);
  // The polygon: 3 corners from 0, normal (0,0,1), distance -0, material 1,
  // attribute 9, 0, 0.
  for (uint32_t w : {3u, 0u, bitsFromFloat(0), bitsFromFloat(0), bitsFromFloat(1), bitsFromFloat(-0.0f),
                     1u, 9u, 0u, 0u})
    expected.push_back(w);
  // Bounding box (0,0,0)-(2,4,0) in the game's corner order.
  const float box[8][3] = {{0, 0, 0}, {0, 4, 0}, {0, 0, 0}, {0, 4, 0},
                           {2, 0, 0}, {2, 4, 0}, {2, 0, 0}, {2, 4, 0}};
  for (const auto& corner : box)
    for (float v : corner) expected.push_back(bitsFromFloat(v));
  EXPECT_EQ(words, expected);
  EXPECT_EQ(sectionLength(file, 4), 4u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 4)), 0x80000005u);
}

TEST(SceneWriterMeshes, SingleMaterialWithoutColourMapIsUntexturedButKeepsSections) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->materials = {{"", "alpha.bmp", ""}};
  mesh->faces[0].material = 0;
  const auto file = serialized(scene);
  EXPECT_EQ(wordAt(file, 8), 7u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 3)), 0u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 3) + 4), 1u);
  EXPECT_EQ(sectionType(file, 4), 16u);
  EXPECT_EQ(sectionType(file, 5), 32u);
  const size_t material = sectionOffset(file, 5);
  EXPECT_EQ(sectionLength(file, 5), 4u + 12 + 12 + 20);
  EXPECT_EQ(wordAt(file, material), 1u);
  EXPECT_EQ(wordAt(file, material + 16), 128u);
  EXPECT_EQ(wordAt(file, material + 24), 128u);
}

TEST(SceneWriterMeshes, MaterialSectionKeepsTrailerAndNamesEmptyMapsByTheEmptyName) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->materials = {{"c.bmp", "", "b.bmp"}};
  for (uint8_t i = 0; i < 20; ++i) mesh->materialTrailer[i] = static_cast<uint8_t>(0xA0 + i);
  const auto file = serialized(scene);
  auto names = nameTable(file);
  auto handleOf = [&](const std::string& name) {
    for (const auto& n : names)
      if (n.name == name) return n.handle;
    return 0u;
  };
  EXPECT_EQ(names[0].name, "");
  const size_t material = sectionOffset(file, 5);
  EXPECT_EQ(wordAt(file, material + 4), handleOf("c.bmp"));
  EXPECT_EQ(wordAt(file, material + 8), handleOf(""));
  EXPECT_EQ(wordAt(file, material + 12), handleOf("b.bmp"));
  EXPECT_EQ(file[material + 28], 0xA0);
  EXPECT_EQ(file[material + 47], 0xB3);
}

TEST(SceneWriterMeshes, GeneratedFaceListsSectionsAreExact) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->layout = MeshLayout::FaceLists;
  mesh->materials = {{"t.bmp", "", ""}};
  mesh->setColor(7, 8, 9);
  mesh->texCoords = {{0.5f, 0.25f}, {1, 1}};
  mesh->faces[0].texCoord[1] = 1;
  const auto file = serialized(scene);
  const size_t g = sectionOffset(file, 3);
  const std::vector<uint32_t> head = {0, 0, 0, 3, 1, 3, 8, 9, 8, 7};
  for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(wordAt(file, g + 4 * i), head[i]) << i;
  EXPECT_EQ(sectionLength(file, 3), 40u + 36 + 12 + 12 + 36 + 96);
  const size_t m = sectionOffset(file, 4);
  const std::vector<uint32_t> mapping = {0x80000005, 2, 1, 0x3f000000, 0x3e800000,
                                         0x3f800000, 0x3f800000, 0, 1, 0, 0};
  ASSERT_EQ(sectionLength(file, 4), mapping.size() * 4);
  for (size_t i = 0; i < mapping.size(); ++i) EXPECT_EQ(wordAt(file, m + 4 * i), mapping[i]) << i;
}

TEST(SceneWriterMeshes, FaceListsWithoutTexCoordsWritesZeroIndices) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  mesh->layout = MeshLayout::FaceLists;
  mesh->texCoords.clear();
  mesh->materials = {{"t.bmp", "", ""}};
  const auto file = serialized(scene);
  const size_t m = sectionOffset(file, 4);
  const std::vector<uint32_t> mapping = {0x80000005, 0, 1, 0, 0, 0, 0};
  ASSERT_EQ(sectionLength(file, 4), mapping.size() * 4);
  for (size_t i = 0; i < mapping.size(); ++i) EXPECT_EQ(wordAt(file, m + 4 * i), mapping[i]) << i;
}

TEST(SceneWriterMeshes, RawMeshGivenMaterialsAfterLoadGetsAGeneratedMapping) {
  // Box was read without a mapping; once it has a material, its mapping
  // section is generated and its geometry becomes textured.
  SceneFile scene;
  scene.trace = nullptr;
  ASSERT_TRUE(scene.loadFromBytes(vertexRecordsFile()));
  Mesh& box = *scene.meshes[1];
  box.materials = {{"box.bmp", "", ""}};
  const auto file = serialized(scene);
  // Box's header is section 6; its geometry, mapping and material follow.
  EXPECT_EQ(wordAt(file, sectionOffset(file, 6) + 8), 0x80000008u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 7)), 0x80000009u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 7) + 4), 0u);
  EXPECT_EQ(sectionLength(file, 8), 4u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 8)), 0x80000009u);

  SceneFile reloaded;
  reloaded.trace = nullptr;
  ASSERT_TRUE(reloaded.loadFromBytes(file));
  EXPECT_EQ(reloaded.meshes[1]->materials, box.materials);
}

TEST(SceneWriterMeshes, FaceListsWithoutMaterialsWhoseSecondWordIsOneKeepAMapping) {
  // Without a mapping a reader would take the geometry's second word, 1, for
  // the untextured flag of vertex records. Such a mesh, new or read from a
  // file, keeps a mapping and an empty material list, and reads back as
  // face lists.
  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "read from a file" : "new");
    SceneFile scene;
    scene.trace = nullptr;
    if (fromFile) {
      auto file = faceListsFile();
      setWordAt(file, sectionOffset(file, 3) + 4, 1);  // Crate's geometry, second word
      ASSERT_TRUE(scene.loadFromBytes(file));
    } else {
      addTriangleMesh(scene, "Tri")->layout = MeshLayout::FaceLists;
      scene.meshes[0]->extraHeader = {4, 1, 6};
    }
    scene.meshes[0]->materials.clear();
    const auto file = serialized(scene);
    // The mesh header (section 2) names its mapping; the material list is empty.
    EXPECT_EQ(wordAt(file, sectionOffset(file, 2) + 8), 0x80000004u);
    EXPECT_EQ(sectionType(file, 5), 32u);
    EXPECT_EQ(wordAt(file, sectionOffset(file, 5)), 0u);

    SceneFile reloaded;
    reloaded.trace = nullptr;
    ASSERT_TRUE(reloaded.loadFromBytes(file));
    EXPECT_EQ(reloaded.meshes[0]->layout, MeshLayout::FaceLists);
    EXPECT_EQ(reloaded.meshes[0]->faces.size(), scene.meshes[0]->faces.size());
    EXPECT_TRUE(reloaded.meshes[0]->materials.empty());
    EXPECT_EQ(serialized(reloaded), file);
  }
}

TEST(SceneWriterMeshes, RawSectionsGetTheirReferencesRewrittenWhenMeshesMove) {
  SceneFile scene;
  scene.trace = nullptr;
  ASSERT_TRUE(scene.loadFromBytes(vertexRecordsFile()));
  std::swap(scene.meshes[0], scene.meshes[1]);
  const auto file = serialized(scene);
  // Box is now first (2 sections), Lamp's sections start at index 4.
  EXPECT_EQ(wordAt(file, sectionOffset(file, 5)), 0x80000007u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 6)), 0x80000007u);
  SceneFile reloaded;
  reloaded.trace = nullptr;
  ASSERT_TRUE(reloaded.loadFromBytes(file));
  EXPECT_EQ(reloaded.meshes[1]->materials.size(), 2u);
  EXPECT_EQ(reloaded.instances[0]->mesh->name, "Lamp");
}

TEST(SceneWriterInstances, InstanceWithoutValuesEndsInTwoZeros) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  Instance* instance = addInstance(scene, mesh, "Tri01");
  instance->position = {1, 2, 3};
  instance->rotation = {4, 5, 6};
  instance->scale = 0.5f;
  const auto file = serialized(scene);
  const size_t r = sectionOffset(file, 1);
  EXPECT_EQ(sectionLength(file, 1), 4u + 44 + 4);
  EXPECT_EQ(wordAt(file, r), 1u);
  EXPECT_EQ(wordAt(file, r + 4), 0x80000002u);
  EXPECT_EQ(wordAt(file, r + 4 + 16), 0x40400000u);  // position z = 3
  EXPECT_EQ(wordAt(file, r + 4 + 28), 0x40c00000u);  // rotation c = 6
  EXPECT_EQ(wordAt(file, r + 4 + 32), 0x3f000000u);  // scale
  EXPECT_EQ(wordAt(file, r + 4 + 36), 0u);
  EXPECT_EQ(wordAt(file, r + 4 + 40), 0u);
  EXPECT_EQ(wordAt(file, r + 48), 0x80000004u);  // the value table section
}

TEST(SceneWriterInstances, InstanceOfAMeshOutsideTheSceneIsLeftOut) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "Tri");
  Mesh stranger;
  addInstance(scene, &stranger, "Lost");
  addInstance(scene, mesh, "Kept");
  const auto file = serialized(scene);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 1)), 1u);
}

TEST(SceneWriterValues, SceneWithoutValuesHasAnEmptyValueTable) {
  SceneFile scene;
  const auto file = serialized(scene);
  ASSERT_EQ(wordAt(file, 8), 3u);
  EXPECT_EQ(sectionType(file, 2), 8192u);
  const size_t v = sectionOffset(file, 2);
  ASSERT_EQ(sectionLength(file, 2), 38u);
  std::vector<uint8_t> expected(38, 0);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + v, file.begin() + v + 38), expected);
}

TEST(SceneWriterValues, ValuesAreNumberedChildrenFirstAndCountedByName) {
  SceneFile scene;
  Mesh* a = addTriangleMesh(scene, "A");
  Mesh* b = addTriangleMesh(scene, "B");
  ValueTable* tableA = ensureValueTable(a);
  auto inner = std::make_unique<Value>(ValueType::Group, "Anim");
  inner->addChild(std::make_unique<Value>(ValueType::Int, "Frame"))->setInt(4);
  Value* innerRaw = tableA->addChild(std::move(inner));
  tableA->addChild(std::make_unique<Value>(ValueType::Int, "Frame"))->setInt(5);
  ValueTable* tableB = ensureValueTable(b);
  tableB->addChild(std::make_unique<Value>(ValueType::Bool, "Frame"))->setBool(true);
  addInstance(scene, b, "B01");
  const auto file = serialized(scene);

  EXPECT_EQ(innerRaw->children[0]->tableIndex, 0);
  EXPECT_EQ(innerRaw->tableIndex, 1);
  EXPECT_EQ(tableA->children[1]->tableIndex, 2);
  EXPECT_EQ(tableA->tableIndex, 3);
  EXPECT_EQ(tableB->children[0]->tableIndex, 4);
  EXPECT_EQ(tableB->tableIndex, 5);
  // Occurrences count in the order a group comes before its children.
  EXPECT_EQ(innerRaw->children[0]->nameOccurrence, 0);
  EXPECT_EQ(tableA->children[1]->nameOccurrence, 1);
  EXPECT_EQ(tableB->children[0]->nameOccurrence, 2);
  EXPECT_EQ(tableB->nameOccurrence, 0);

  const size_t v = sectionOffset(file, 6);
  EXPECT_EQ(wordAt(file, v + 6), 4u);
  EXPECT_EQ(wordAt(file, v + 16), 4u);
  std::string names(reinterpret_cast<const char*>(&file[v + 20]), 2 + 8 + 5 + 8 + 2 + 8 + 6 + 8);
  EXPECT_EQ(names, std::string("A\0\0\0\0\0\1\0\0\0", 10) + std::string("Anim\0\1\0\0\0\1\0\0\0", 13) +
                       std::string("B\0\2\0\0\0\1\0\0\0", 10) +
                       std::string("Frame\0\3\0\0\0\3\0\0\0", 14));
  const size_t counts = v + 20 + names.size();
  EXPECT_EQ(wordAt(file, counts + 5), 6u);
  EXPECT_EQ(wordAt(file, counts + 14), 6u);
  // The region record of B01 names B's table by its index.
  EXPECT_EQ(wordAt(file, sectionOffset(file, 1) + 4 + 36), 5u);
  EXPECT_EQ(wordAt(file, sectionOffset(file, 1) + 4 + 40), 1u);
}

TEST(SceneWriterValues, GroupRecordListsItsChildrenIndices) {
  SceneFile scene;
  Mesh* mesh = addTriangleMesh(scene, "M");
  ValueTable* table = ensureValueTable(mesh);
  setString(table, "S", "txt");
  const auto file = serialized(scene);
  const size_t v = sectionOffset(file, 4);
  // Names "M" (id 0) and "S" (id 1), then the counts, then the records.
  size_t at = v + 20 + 10 + 10 + 18;
  std::vector<uint8_t> stringRecord = {0x05, 0x01, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  stringRecord.insert(stringRecord.end(), 12, 0);
  for (char c : std::string("txt")) stringRecord.push_back(static_cast<uint8_t>(c));
  stringRecord.insert(stringRecord.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + at, file.begin() + at + stringRecord.size()),
            stringRecord);
  at += stringRecord.size();
  std::vector<uint8_t> groupRecord = {0x06, 0x01, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  groupRecord.insert(groupRecord.end(), 12, 0);
  groupRecord.insert(groupRecord.end(), {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + at, file.end() - (file.size() - wordAt(file, 20))),
            groupRecord);
}

TEST(SceneWriterTrace, WritesProgressLinesInOrder) {
  TempDir folder;
  const std::string text = captureStream([&folder](std::FILE* stream) {
    SceneFile scene;
    scene.trace = stream;
    EXPECT_TRUE(scene.save(folder.file("t.grf")));
  });
  EXPECT_EQ(text, "Saving: '" + folder.file("t.grf") +
                      "'\nWriting name table\nWriting meshes\nWriting values\nWriting instances\n");
}

TEST(SceneWriterSave, ReplacesTheFileAndLeavesItIntactWhenTheSceneCannotBeStored) {
  TempDir folder;
  const std::string path = folder.file("level.grf");
  writeBytes(path, {1, 2, 3});
  SceneFile scene;
  scene.trace = nullptr;
  addTriangleMesh(scene, std::string(300, 'L'));
  EXPECT_FALSE(scene.save(path));
  EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2, 3}));
  scene.meshes[0]->name = "L";
  ASSERT_TRUE(scene.save(path));
  EXPECT_EQ(readBytes(path), *scene.serialize());
}

TEST(SceneWriterSave, LargeKeptSectionsAreWrittenAsRead) {
  // Geometry long enough to be written from the mesh's own words rather
  // than copied into the output.
  SceneFile scene;
  scene.trace = nullptr;
  Mesh* mesh = addTriangleMesh(scene, "Big");
  mesh->materials = {{"big.bmp", "", ""}};
  for (int i = 0; i < 200; ++i) mesh->faces.push_back(mesh->faces.front());
  addInstance(scene, mesh, "Big01");
  const auto first = serialized(scene);
  SceneFile reloaded;
  reloaded.trace = nullptr;
  ASSERT_TRUE(reloaded.loadFromBytes(first));
  ASSERT_GT(reloaded.meshes[0]->rawGeometry.size(), 1000u);
  TempDir folder;
  ASSERT_TRUE(reloaded.save(folder.file("big.grf")));
  EXPECT_EQ(readBytes(folder.file("big.grf")), first);
  EXPECT_EQ(serialized(reloaded), first);
}

TEST(SceneWriterSave, FailsWhenTheFolderDoesNotExist) {
  SceneFile scene;
  scene.trace = nullptr;
  TempDir folder;
  EXPECT_FALSE(scene.save(folder.file("missing/level.grf")));
}

TEST(LevelHeader, NamesTheGrfPathAfterTheWord22) {
  auto bytes = levelHeaderBytes("c:\\games\\be.grf");
  ASSERT_TRUE(bytes);
  const auto& file = *bytes;
  ASSERT_EQ(file.size(), 48u + 32 + 1348 + 12 + 7);
  const std::vector<uint32_t> header = {0x0ACEBABE, 1447, 1, 1, 19, 1428, 0, 12, 10, 0, 0, 0};
  for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(wordAt(file, 4 * i), header[i]) << i;
  const std::vector<uint32_t> entry = {0xA00000, 0, 80, 1348, 0, 0, 0x80000000, 0x80000000};
  for (size_t i = 0; i < entry.size(); ++i) EXPECT_EQ(wordAt(file, 48 + 4 * i), entry[i]) << i;
  EXPECT_EQ(wordAt(file, 80), 22u);
  const std::string path = "c:\\games\\be.grf";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[84]), path.size()), path);
  for (size_t i = 84 + path.size(); i < 80 + 1348; ++i) ASSERT_EQ(file[i], 0) << i;
  const std::vector<uint8_t> names = {0, 0, 0xA0, 0, 7, 0, 0, 0, 1, 0, 0, 0, 'H', 'e', 'a', 'd', 'e', 'r', 0};
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 1428, file.end()), names);
}

TEST(LevelHeader, PathMustFitTheSection) {
  EXPECT_TRUE(levelHeaderBytes(std::string(1343, 'p')));
  EXPECT_FALSE(levelHeaderBytes(std::string(1344, 'p')));
  TempDir folder;
  const std::string scn = folder.file("be.scn");
  EXPECT_FALSE(writeLevelHeader(scn, std::string(1344, 'p'), nullptr));
  EXPECT_FALSE(std::filesystem::exists(scn));
  ASSERT_TRUE(writeLevelHeader(scn, "c:\\games\\be.grf", nullptr));
  EXPECT_EQ(readBytes(scn), *levelHeaderBytes("c:\\games\\be.grf"));
}

}  // namespace
}  // namespace quorvel
