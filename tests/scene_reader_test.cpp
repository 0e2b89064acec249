#include <gtest/gtest.h>

#include <functional>

#include "level/scene.h"
#include "level/scene_dump.h"
#include "support/scene_bytes.h"
#include "support/scene_fixtures.h"

namespace quorvel {
namespace {

using namespace scene_testing;

std::unique_ptr<SceneFile> loaded(const std::vector<uint8_t>& bytes, bool expectOk = true) {
  auto scene = std::make_unique<SceneFile>();
  scene->trace = nullptr;
  EXPECT_EQ(scene->loadFromBytes(bytes), expectOk);
  return scene;
}

// Directory entry i of a file: offset of its data and its length.
uint32_t sectionOffset(const std::vector<uint8_t>& f, int i) { return wordAt(f, 48 + 32 * i + 8); }
uint32_t sectionLength(const std::vector<uint8_t>& f, int i) { return wordAt(f, 48 + 32 * i + 12); }

TEST(SceneReaderFaceLists, ReadsGeometryMappingAndMaterials) {
  auto scene = loaded(faceListsFile());
  ASSERT_EQ(scene->meshes.size(), 1u);
  const Mesh& mesh = *scene->meshes[0];
  EXPECT_EQ(mesh.name, "Crate");
  EXPECT_EQ(mesh.layout, MeshLayout::FaceLists);
  EXPECT_EQ(mesh.extraHeader, (std::array<uint32_t, 3>{7, 8, 9}));
  EXPECT_EQ(mesh.color.r, 10);
  EXPECT_EQ(mesh.color.g, 20);
  EXPECT_EQ(mesh.color.b, 30);
  ASSERT_EQ(mesh.vertices.size(), 4u);
  EXPECT_EQ(mesh.vertices[2], (Vec3{1, 1, 0}));
  ASSERT_EQ(mesh.faces.size(), 2u);
  const Face& second = mesh.faces[1];
  EXPECT_EQ(std::vector<int32_t>(second.vertex, second.vertex + 3), (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(std::vector<int32_t>(second.normal, second.normal + 3), (std::vector<int32_t>{3, 4, 5}));
  EXPECT_EQ(std::vector<int32_t>(second.texCoord, second.texCoord + 3),
            (std::vector<int32_t>{0, 2, 3}));
  ASSERT_EQ(mesh.normals.size(), 6u);
  EXPECT_EQ(mesh.normals[5], (Vec3{0, 0.625f, 1}));
  ASSERT_EQ(mesh.texCoords.size(), 4u);
  EXPECT_EQ(mesh.texCoords[1], (Vec2{1, 0}));
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0], (Material{"crate.bmp", "", ""}));
  EXPECT_EQ(mesh.materialTrailer[0], 1);
  EXPECT_EQ(mesh.materialTrailer[19], 20);
}

TEST(SceneReaderFaceLists, MappingWithoutTexCoordsGivesIndexZeroAndMaterialZero) {
  SceneBytes file;
  for (const char* name : {".header", ".region", ".valuetable", ".geometry", "M", ".mapping",
                           ".material", "a.bmp", ""})
    file.useName(name);
  file.assignHandles();
  file.addSection(".header", 1, Bytes().u32(0x0ACEBABE).u32(0x8000000F));
  file.addSection(".region", 2, Bytes().u32(0).u32(0x80000006));
  file.addSection("M", 4, Bytes().u32(file.handle("M")).u32(0x80000003).u32(0x80000004).zeros(16));
  Bytes geometry;
  geometry.zeros(12).u32(3).u32(1).u32(3).u32(8).zeros(12).zeros(36).u32(0).u32(1).u32(2);
  geometry.zeros(12 + 36 + 96);
  file.addSection(".geometry", 8, geometry);
  // T = 0: zeros in place of indices, then material indices the reader ignores.
  file.addSection(".mapping", 16, Bytes().u32(0x80000005).u32(0).u32(1).zeros(12).u32(1));
  file.addSection(".material", 32,
                  Bytes().u32(1).u32(file.handle("a.bmp")).u32(file.handle("")).u32(file.handle(""))
                      .zeros(12 + 20));
  file.addSection(".valuetable", 8192, Bytes().zeros(6).u32(0).zeros(6).u32(0).zeros(5).u32(0).zeros(5).u32(0));
  auto scene = loaded(file.build());
  ASSERT_EQ(scene->meshes.size(), 1u);
  const Mesh& mesh = *scene->meshes[0];
  EXPECT_EQ(mesh.layout, MeshLayout::FaceLists);
  EXPECT_TRUE(mesh.texCoords.empty());
  ASSERT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.faces[0].texCoord[1], 0);
  EXPECT_EQ(mesh.faces[0].material, 0);
}

TEST(SceneReaderVertexRecords, PolygonFanSharesFirstCornerAndSkipsShortPolygons) {
  auto scene = loaded(vertexRecordsFile());
  ASSERT_EQ(scene->meshes.size(), 2u);
  const Mesh& lamp = *scene->meshes[0];
  EXPECT_EQ(lamp.layout, MeshLayout::VertexRecords);
  ASSERT_EQ(lamp.faces.size(), 3u);
  const int32_t expected[3][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}};
  for (int f = 0; f < 3; ++f) {
    for (int j = 0; j < 3; ++j) {
      EXPECT_EQ(lamp.faces[f].vertex[j], expected[f][j]);
      EXPECT_EQ(lamp.faces[f].texCoord[j], expected[f][j]);
      EXPECT_EQ(lamp.faces[f].normal[j], expected[f][j]);
    }
    EXPECT_EQ(lamp.faces[f].material, 1);
    EXPECT_EQ(lamp.faces[f].attribute, 77);
  }
  // Vertex record 5 reuses position 0 with its own normal and coordinates.
  ASSERT_EQ(lamp.vertices.size(), 6u);
  EXPECT_EQ(lamp.vertices[5], (Vec3{0, 0, 0.5f}));
  EXPECT_EQ(lamp.vertices[3], (Vec3{3, 9, 0.5f}));
  EXPECT_EQ(lamp.normals[5], (Vec3{0, 0, -1}));
  EXPECT_EQ(lamp.texCoords[5], (Vec2{1.25f, -0.25f}));
  EXPECT_EQ(lamp.color.r, 0x0A);
  EXPECT_EQ(lamp.color.g, 0x14);
  EXPECT_EQ(lamp.color.b, 0x1E);
  EXPECT_EQ(lamp.extraHeader, (std::array<uint32_t, 3>{1, 2, 3}));
  ASSERT_EQ(lamp.materials.size(), 2u);
  EXPECT_EQ(lamp.materials[1], (Material{"glow.bmp", "glow_a.bmp", ""}));
}

TEST(SceneReaderVertexRecords, MeshWithoutMappingIsUntexturedVertexRecords) {
  auto scene = loaded(vertexRecordsFile());
  const Mesh& box = *scene->meshes[1];
  EXPECT_EQ(box.name, "Box");
  EXPECT_EQ(box.layout, MeshLayout::VertexRecords);
  EXPECT_TRUE(box.materials.empty());
  EXPECT_TRUE(box.rawMapping.empty());
  EXPECT_EQ(box.faces.size(), 1u);
  EXPECT_EQ(box.color.r, 0xFF);
  EXPECT_EQ(box.color.g, 0x80);
}

TEST(SceneReaderValues, ReadsTypesIndicesAndUntypedValues) {
  auto scene = loaded(vertexRecordsFile());
  const Mesh& box = *scene->meshes[1];
  ASSERT_TRUE(box.values);
  EXPECT_EQ(box.values->name, "Box");
  EXPECT_EQ(box.values->tableIndex, 3);
  ASSERT_EQ(box.values->children.size(), 3u);
  EXPECT_TRUE(isBool(box.values.get(), "Solid", true));
  EXPECT_EQ(getFloat(box.values.get(), "Mass", 0), 1.5f);
  const Value& marker = *box.values->children[2];
  EXPECT_EQ(marker.type, ValueType::Untyped);
  EXPECT_EQ(marker.tableIndex, 2);
  EXPECT_FALSE(scene->meshes[0]->values);
}

TEST(SceneReaderInstances, ReadsPlacementAndSharesTheMeshTable) {
  auto scene = loaded(faceListsFile());
  ASSERT_EQ(scene->instances.size(), 2u);
  const Instance& first = *scene->instances[0];
  const Instance& second = *scene->instances[1];
  EXPECT_EQ(first.name, "Crate01");
  EXPECT_EQ(first.mesh, scene->meshes[0].get());
  EXPECT_EQ(second.position, (Vec3{-4.5f, 2, 3}));
  EXPECT_EQ(second.rotation, (Vec3{0, 0.5f, -0.25f}));
  EXPECT_EQ(second.scale, 2.0f);
  EXPECT_EQ(getClass(first.mesh->values.get()), "CTerrainObj");
  EXPECT_TRUE(isInt(first.mesh->values.get(), "Height", 2));
}

// The Box01 record in vertexRecordsFile(): region is section 1, records start
// after the count.
constexpr size_t kBoxRecord = 4 + 44;

TEST(SceneReaderInstances, RecordPointingAtNonMeshSectionIsSkipped) {
  auto file = vertexRecordsFile();
  setWordAt(file, sectionOffset(file, 1) + kBoxRecord, 0x80000003);  // a geometry section
  auto scene = loaded(file);
  ASSERT_EQ(scene->instances.size(), 1u);
  EXPECT_EQ(scene->instances[0]->name, "Lamp01");
}

TEST(SceneReaderInstances, RecordWithUnknownNameHandleIsSkipped) {
  auto file = vertexRecordsFile();
  setWordAt(file, sectionOffset(file, 1) + kBoxRecord + 4, 0x1234);
  auto scene = loaded(file);
  ASSERT_EQ(scene->instances.size(), 1u);
}

TEST(SceneReaderInstances, FirstInstanceDecidesTheTableOfItsMesh) {
  // Give Lamp01 a table of its own: the Box table (index 3). Box01 then names
  // the same table: Box gets a copy, so both meshes keep their values.
  auto file = vertexRecordsFile();
  setWordAt(file, sectionOffset(file, 1) + 4 + 36, 3);
  setWordAt(file, sectionOffset(file, 1) + 4 + 40, 1);
  auto scene = loaded(file);
  const Mesh& lamp = *scene->meshes[0];
  const Mesh& box = *scene->meshes[1];
  ASSERT_TRUE(lamp.values);
  ASSERT_TRUE(box.values);
  EXPECT_NE(lamp.values.get(), box.values.get());
  EXPECT_TRUE(isBool(box.values.get(), "Solid", true));
  EXPECT_TRUE(isBool(lamp.values.get(), "Solid", true));
}

// `meshes` meshes with one instance each; only the first has a table (the
// table and `values` strings), written by the writer. Then the instances of
// all the others name that table too.
std::vector<uint8_t> fileSharingOneTable(int meshes, int values) {
  SceneFile scene;
  scene.trace = nullptr;
  for (int i = 0; i < meshes; ++i) {
    scene.meshes.push_back(std::make_unique<Mesh>());
    scene.meshes.back()->name = "M" + std::to_string(i);
    auto instance = std::make_unique<Instance>();
    instance->name = scene.meshes.back()->name + "-1";
    instance->mesh = scene.meshes.back().get();
    scene.instances.push_back(std::move(instance));
  }
  ValueTable* table = ensureValueTable(scene.meshes[0].get());
  for (int i = 0; i < values; ++i) setString(table, "v" + std::to_string(i), "x");
  auto file = scene.serialize().value();
  const size_t records = sectionOffset(file, 1) + 4;
  const uint32_t tableIndex = static_cast<uint32_t>(values);  // children come first
  for (int i = 1; i < meshes; ++i) {
    setWordAt(file, records + 44 * i + 36, tableIndex);
    setWordAt(file, records + 44 * i + 40, 1);
  }
  return file;
}

TEST(SceneReaderInstances, EveryMeshSharingOneTableGetsItsValues) {
  // The copies hold more values than the whole file: a small model reads.
  auto scene = loaded(fileSharingOneTable(3, 3));
  for (const auto& mesh : scene->meshes) {
    ASSERT_TRUE(mesh->values) << mesh->name;
    EXPECT_EQ(mesh->values->children.size(), 3u) << mesh->name;
    EXPECT_TRUE(isStringEqual(mesh->values.get(), "v2", "x")) << mesh->name;
  }
}

TEST(SceneReaderInstances, CopiesOfASharedTableAreBoundedInMemory) {
  // 299 copies of a table of 1,001 values would pass 262,144 values copied.
  EXPECT_TRUE(loaded(fileSharingOneTable(300, 1000), false)->instances.empty());
  EXPECT_TRUE(loaded(fileSharingOneTable(250, 1000))->meshes[249]->values);
}

TEST(SceneReaderInstances, IndexOfAValueThatIsNotTopLevelAttachesNothing) {
  // Crate01 names value 0 (a child of the table): nothing is attached, and
  // Crate02 then gives the mesh its table.
  auto file = faceListsFile();
  setWordAt(file, sectionOffset(file, 1) + 4 + 36, 0);
  auto scene = loaded(file);
  ASSERT_TRUE(scene->meshes[0]->values);
  EXPECT_EQ(scene->meshes[0]->values->name, "Crate");
  EXPECT_EQ(scene->meshes[0]->values->children.size(), 2u);
}

TEST(SceneReaderInstances, TableNamedByNoInstanceIsNotAttached) {
  auto file = vertexRecordsFile();
  setWordAt(file, sectionOffset(file, 1) + kBoxRecord + 40, 0);
  auto scene = loaded(file);
  EXPECT_FALSE(scene->meshes[1]->values);
}

TEST(SceneReaderLayout, FourByteMappingMeansVertexRecords) {
  // A FaceLists-shaped mesh whose mapping is one word is read as vertex
  // records: the layout follows the mapping length alone.
  auto scene = loaded(vertexRecordsFile());
  EXPECT_EQ(scene->meshes[0]->rawMapping, (std::vector<uint32_t>{0x80000005}));
  EXPECT_EQ(scene->meshes[0]->rawGeometry.size() * 4, sectionLength(vertexRecordsFile(), 3));
}

TEST(SceneReaderRejects, WrongMagic) {
  auto file = faceListsFile();
  file[0] ^= 1;
  auto scene = loaded(file, false);
  EXPECT_TRUE(scene->meshes.empty());
}

TEST(SceneReaderRejects, MissingRegionOrValueSectionKeepsMeshes) {
  for (int section : {1, 6}) {
    auto file = faceListsFile();
    setWordAt(file, 48 + 32 * section + 24, 64);  // retype the section
    auto scene = loaded(file, false);
    EXPECT_EQ(scene->meshes.size(), 1u) << section;
    EXPECT_TRUE(scene->instances.empty());
  }
}

TEST(SceneReaderRejects, EveryTruncation) {
  for (auto file : {faceListsFile(), vertexRecordsFile()}) {
    for (size_t sixteenth = 0; sixteenth < 16; ++sixteenth) {
      std::vector<uint8_t> cut(file.begin(), file.begin() + file.size() * sixteenth / 16);
      SceneFile scene;
      scene.trace = nullptr;
      EXPECT_FALSE(scene.loadFromBytes(cut)) << sixteenth;
    }
    for (size_t length = 0; length < file.size(); ++length) {
      SceneFile scene;
      scene.trace = nullptr;
      EXPECT_FALSE(scene.loadFromBytes(std::span(file.data(), length))) << length;
    }
  }
}

TEST(SceneReaderRejects, HugeCounts) {
  // Header counts, then counts inside sections (Lamp geometry, material,
  // region, value table), each set to 0xFFFFFFFF.
  const auto base = vertexRecordsFile();
  std::vector<size_t> offsets = {8, 12};
  const size_t lampGeometry = sectionOffset(base, 3);
  for (size_t word : {6, 7, 8, 10}) offsets.push_back(lampGeometry + 4 * word);  // P R I G
  offsets.push_back(sectionOffset(base, 5));        // material count
  offsets.push_back(sectionOffset(base, 1));        // instance count
  offsets.push_back(sectionOffset(base, 8) + 6);    // value-name count
  offsets.push_back(sectionOffset(base, 8) + 20 + 54 + 5);  // value count
  for (size_t offset : offsets) {
    auto file = base;
    setWordAt(file, offset, 0xFFFFFFFF);
    SceneFile scene;
    scene.trace = nullptr;
    EXPECT_FALSE(scene.loadFromBytes(file)) << offset;
  }
}

TEST(SceneReaderRejects, IndicesOutsideTheirLists) {
  const auto base = vertexRecordsFile();
  const size_t lamp = sectionOffset(base, 3);
  const size_t records = lamp + 44 + 5 * 12;
  const size_t indices = records + 6 * 32;
  const size_t polygons = indices + 7 * 4;
  struct Damage {
    size_t offset;
    uint32_t value;
  } damages[] = {
      {records, 5},              // position index
      {indices + 4, 6},          // vertex record number
      {polygons, 8},             // corner count past the index list
      {polygons + 4, 6},         // first corner past the index list
      {sectionOffset(base, 4), 0x80000009},      // material reference
      {sectionOffset(base, 2) + 4, 0x80000040},  // geometry reference
  };
  for (const Damage& d : damages) {
    auto file = base;
    setWordAt(file, d.offset, d.value);
    SceneFile scene;
    scene.trace = nullptr;
    EXPECT_FALSE(scene.loadFromBytes(file)) << d.offset;
  }
  auto file = faceListsFile();
  setWordAt(file, sectionOffset(file, 3) + 40 + 48 + 4, 4);  // face vertex index
  EXPECT_FALSE(loaded(file, false)->meshes.size());
}

// Fields that are unusual but readable: the file loads, the field reads as
// it stands (or as an empty name), and the scene survives saves unchanged.
struct UnusualField {
  const char* what;
  std::vector<uint8_t> file;
  // The resave reproduces the file itself (not only its own resave).
  bool resavedAsRead;
  std::function<void(const SceneFile&)> check;
};

std::vector<uint8_t> patched(std::vector<uint8_t> file, size_t offset, uint32_t value) {
  setWordAt(file, offset, value);
  return file;
}

std::vector<UnusualField> unusualFields() {
  const auto records = vertexRecordsFile();
  const auto lists = faceListsFile();
  const size_t lampPolygons = sectionOffset(records, 3) + 44 + 5 * 12 + 6 * 32 + 7 * 4;
  const size_t boxPolygon = sectionOffset(records, 7) + 44 + 3 * 12 + 3 * 32 + 3 * 4;
  // Value records start after the names Box, Marker, Mass, Solid; Mass is
  // the second record, its name id 11 bytes in.
  const size_t massNameId = sectionOffset(records, 8) + 20 + 54 + 18 + 36 + 11;
  const size_t lampMaterials = sectionOffset(records, 5);
  return {
      {"material index past the materials", patched(records, lampPolygons + 24, 5), true,
       [](const SceneFile& s) { EXPECT_EQ(s.meshes[0]->faces[0].material, 5); }},
      {"material index in a mesh without materials", patched(records, boxPolygon + 24, 5), true,
       [](const SceneFile& s) { EXPECT_EQ(s.meshes[1]->faces[0].material, 5); }},
      {"mapping face count unlike the geometry", patched(lists, sectionOffset(lists, 4) + 8, 7), true,
       [](const SceneFile& s) { EXPECT_EQ(s.meshes[0]->faces[1].texCoord[2], 3); }},
      {"value name id not in the list", patched(records, massNameId, 9), false,
       [](const SceneFile& s) {
         const ValueTable& box = *s.meshes[1]->values;
         EXPECT_EQ(box.children[1]->name, "");
         EXPECT_EQ(box.children[1]->type, ValueType::Float);
       }},
      {"polygons overlapping in the index list",
       patched(patched(records, lampPolygons + 40, 7), lampPolygons + 44, 0), true,
       [](const SceneFile& s) {
         ASSERT_EQ(s.meshes[0]->faces.size(), 8u);
         EXPECT_EQ(s.meshes[0]->faces[3].vertex[2], 2);
       }},
      {"material handle not in the name table", patched(records, lampMaterials + 8, 0x123), false,
       [](const SceneFile& s) {
         EXPECT_EQ(s.meshes[0]->materials[1].colorMap, "");
         EXPECT_EQ(s.meshes[0]->materials[0].colorMap, "lamp.bmp");
       }},
  };
}

TEST(SceneReaderUnusualFields, LoadDumpAndResaveUnchanged) {
  for (const UnusualField& field : unusualFields()) {
    SCOPED_TRACE(field.what);
    auto scene = loaded(field.file);
    ASSERT_EQ(scene->instances.size(), 2u);
    field.check(*scene);
    const std::string dump = sceneToJson(*scene, true, true, true);
    auto first = scene->serialize();
    ASSERT_TRUE(first);
    if (field.resavedAsRead) {
      EXPECT_EQ(*first, field.file);
    }
    auto reloaded = loaded(*first);
    field.check(*reloaded);
    EXPECT_EQ(sceneToJson(*reloaded, true, true, true), dump);
    EXPECT_EQ(reloaded->serialize(), first);
  }
}

TEST(SceneReaderRejects, NameLongerThan255Characters) {
  SceneBytes file;
  const std::string longName(256, 'n');
  for (const std::string& name : {std::string(".header"), std::string(".region"),
                                  std::string(".valuetable"), longName})
    file.useName(name);
  file.assignHandles();
  file.addSection(".header", 1, Bytes().u32(0x0ACEBABE).u32(0x8000000F));
  file.addSection(".region", 2, Bytes().u32(0).u32(0x80000002));
  file.addSection(".valuetable", 8192, Bytes().zeros(6).u32(0).zeros(6).u32(0).zeros(5).u32(0).zeros(5).u32(0));
  auto bytes = file.build();
  SceneFile scene;
  scene.trace = nullptr;
  EXPECT_FALSE(scene.loadFromBytes(bytes));
}

// A value table with the given groups: each is a list of child positions.
std::vector<uint8_t> fileWithGroups(const std::vector<std::vector<uint32_t>>& groups) {
  SceneBytes file;
  for (const char* name : {".header", ".region", ".valuetable"}) file.useName(name);
  file.assignHandles();
  file.addSection(".header", 1, Bytes().u32(0x0ACEBABE).u32(0x8000000F));
  file.addSection(".region", 2, Bytes().u32(0).u32(0x80000002));
  Bytes values;
  values.zeros(6).u32(1).zeros(6).u32(1).cstring("G").u32(0).u32(1);
  const uint32_t count = static_cast<uint32_t>(groups.size());
  values.zeros(5).u32(count).zeros(5).u32(count);
  for (uint32_t i = 0; i < count; ++i) {
    values.u16(0x106).u8(0).u32(i).u32(1).u32(0).zeros(12);
    values.u32(static_cast<uint32_t>(groups[i].size()));
    for (uint32_t child : groups[i]) values.u32(child).u32(1);
    values.u32(i).u32(0);
  }
  file.addSection(".valuetable", 8192, values);
  return file.build();
}

TEST(SceneReaderValueLinks, NestedGroupsAreAccepted) {
  EXPECT_TRUE(loaded(fileWithGroups({{}, {0}, {1}})));
}

TEST(SceneReaderValueLinks, SelfChildTwoParentsCyclesAndBadIndicesAreRejected) {
  const std::vector<std::vector<std::vector<uint32_t>>> bad = {
      {{0}},               // lists itself
      {{}, {0}, {0}},      // a child of two groups
      {{}, {0, 0}},        // listed twice by one group
      {{1}, {0}},          // a cycle of two
      {{2}, {0}, {1}},     // a cycle of three
      {{}, {5}},           // no such value
  };
  for (const auto& groups : bad) {
    SceneFile scene;
    scene.trace = nullptr;
    EXPECT_FALSE(scene.loadFromBytes(fileWithGroups(groups))) << groups.size();
  }
}

TEST(SceneReaderValueLinks, NestingDeeperThanTheLimitIsRejected) {
  std::vector<std::vector<uint32_t>> chain(1);
  for (uint32_t i = 1; i <= 257; ++i) chain.push_back({i - 1});
  SceneFile scene;
  scene.trace = nullptr;
  EXPECT_FALSE(scene.loadFromBytes(fileWithGroups(chain)));
  chain.pop_back();
  EXPECT_TRUE(scene.loadFromBytes(fileWithGroups(chain)));
}

TEST(SceneReaderTrace, WritesProgressLinesToTheTraceStream) {
  const std::string text = captureStream([](std::FILE* stream) {
    SceneFile scene;
    scene.trace = stream;
    EXPECT_TRUE(scene.loadFromBytes(faceListsFile()));
  });
  EXPECT_EQ(text,
            "Reading name table\nReading data dir\nReading meshes\nReading values\n"
            "Reading instances\n");
}

}  // namespace
}  // namespace quorvel
