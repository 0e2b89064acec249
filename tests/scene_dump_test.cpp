#include <gtest/gtest.h>

#include "level/scene.h"
#include "level/scene_dump.h"
#include "support/scene_fixtures.h"

namespace quorvel {
namespace {

std::unique_ptr<SceneFile> loaded(const std::vector<uint8_t>& bytes) {
  auto scene = std::make_unique<SceneFile>();
  scene->trace = nullptr;
  EXPECT_TRUE(scene->loadFromBytes(bytes));
  return scene;
}

TEST(SceneJson, CanonicalDocumentOfAVertexRecordsFile) {
  auto scene = loaded(scene_testing::vertexRecordsFile());
  // CRCs checked against zlib.crc32 of the sections' bytes.
  EXPECT_EQ(
      sceneToJson(*scene, true, false, true),
      R"({"format":"grf-dump-1","loaded":true,"meshes":[)"
      R"({"name":"Lamp","layout":2,"faces":3,"vertices":6,"texCoords":6,"normals":6,"color":[10,20,30],)"
      R"("extraHeader":[1,2,3],"rawGeometry":{"words":125,"crc32":"e249b347"},)"
      R"("rawMapping":{"words":1,"crc32":"fb22ac0e"},"materialTrailer":"0000000000000000000000000000000000000000",)"
      R"("materials":[{"colorMap":"lamp.bmp","opacityMap":"","bumpMap":""},)"
      R"({"colorMap":"glow.bmp","opacityMap":"glow_a.bmp","bumpMap":""}],"values":null},)"
      R"({"name":"Box","layout":2,"faces":1,"vertices":3,"texCoords":3,"normals":3,"color":[255,128,0],)"
      R"("extraHeader":[0,0,0],"rawGeometry":{"words":81,"crc32":"48c3dc85"},)"
      R"("rawMapping":{"words":0,"crc32":"00000000"},"materialTrailer":"0000000000000000000000000000000000000000",)"
      R"("materials":[],"values":{"type":262,"name":"Box","tableIndex":3,"children":[)"
      R"({"type":257,"name":"Solid","tableIndex":0,"bool":1},)"
      R"({"type":260,"name":"Mass","tableIndex":1,"float":"3fc00000"},)"
      R"({"type":258,"name":"Marker","tableIndex":2}]}}],"instances":[)"
      R"({"name":"Lamp01","mesh":0,"meshName":"Lamp","position":["41200000","41a00000","41f00000"],)"
      R"("rotation":["00000000","00000000","00000000"],"scale":"3f800000","hasValues":false},)"
      R"({"name":"Box01","mesh":1,"meshName":"Box","position":["bf800000","c0000000","c0400000"],)"
      R"("rotation":["3fc00000","00000000","00000000"],"scale":"3f000000","hasValues":true}]})"
      "\n");
}

TEST(SceneJson, GeometryListsAndValuesWithoutTableIndex) {
  SceneFile scene;
  auto mesh = std::make_unique<Mesh>();
  mesh->name = "T\xe9\"";
  mesh->vertices = {{1, -0.0f, 2}};
  mesh->texCoords = {{0.5f, 1}};
  mesh->normals = {{0, 0, 1}};
  Face face;
  face.material = 2;
  face.attribute = -1;
  face.normal[2] = 7;
  mesh->faces.push_back(face);
  mesh->materialTrailer[0] = 0xAB;
  ValueTable* table = ensureValueTable(mesh.get());
  table->addChild(std::make_unique<Value>(ValueType::Int, "N"))->setInt(-3);
  setString(table, "S", "a\tb");
  scene.meshes.push_back(std::move(mesh));
  EXPECT_EQ(sceneToJson(scene, false, true, false),
            R"({"format":"grf-dump-1","loaded":false,"meshes":[{"name":"T\u00e9\"","layout":2,)"
            R"("faces":1,"vertices":1,"texCoords":1,"normals":1,"color":[0,0,0],"extraHeader":[0,0,0],)"
            R"("rawGeometry":{"words":0,"crc32":"00000000"},"rawMapping":{"words":0,"crc32":"00000000"},)"
            R"("materialTrailer":"ab00000000000000000000000000000000000000","materials":[],)"
            R"("values":{"type":262,"name":"T\u00e9\"","children":[{"type":259,"name":"N","int":-3},)"
            R"({"type":261,"name":"S","text":"a\tb"}]},)"
            R"("geometry":{"faces":[[0,0,0,0,0,0,0,0,7,2,-1]],"vertices":[["3f800000","80000000","40000000"]],)"
            R"("texCoords":[["3f000000","3f800000"]],"normals":[["00000000","00000000","3f800000"]]}}],)"
            R"("instances":[]})"
            "\n");
}

TEST(SceneJson, InstanceOfAMeshOutsideTheSceneHasIndexMinusOne) {
  SceneFile scene;
  Mesh stranger;
  stranger.name = "Elsewhere";
  auto instance = std::make_unique<Instance>();
  instance->name = "I";
  instance->mesh = &stranger;
  scene.instances.push_back(std::move(instance));
  const std::string json = sceneToJson(scene, true, false, true);
  EXPECT_NE(json.find(R"("mesh":-1,"meshName":"Elsewhere")"), std::string::npos) << json;
}

TEST(SceneSummary, ListsMeshesValuesAndInstances) {
  auto scene = loaded(scene_testing::vertexRecordsFile());
  EXPECT_EQ(sceneSummary(*scene),
            "2 meshes, 2 instances\n"
            "\n"
            "Mesh 'Lamp': vertex records, 3 faces, 6 vertices, 6 texture coordinates, 6 normals\n"
            "  colour 10 20 30, geometry kept as read\n"
            "  material 0: 'lamp.bmp'\n"
            "  material 1: 'glow.bmp', opacity 'glow_a.bmp'\n"
            "  no values\n"
            "\n"
            "Mesh 'Box': vertex records, 1 faces, 3 vertices, 3 texture coordinates, 3 normals\n"
            "  colour 255 128 0, geometry kept as read\n"
            "  values:\n"
            "    group Box = {\n"
            "        bool Solid = true\n"
            "        float Mass = 1.5\n"
            "        # Marker: type 0x102, no payload\n"
            "    }\n"
            "\n"
            "Instance 'Lamp01': mesh 'Lamp', position (10, 20, 30), rotation (0, 0, 0), scale 1\n"
            "Instance 'Box01': mesh 'Box', position (-1, -2, -3), rotation (1.5, 0, 0), scale 0.5\n");
}

}  // namespace
}  // namespace quorvel
