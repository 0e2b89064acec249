#include <gtest/gtest.h>

#include "level/scene.h"

namespace quorvel {
namespace {

std::unique_ptr<Instance> instanceNamed(const std::string& name, Mesh* mesh) {
  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = mesh;
  return instance;
}

TEST(SceneLookup, FindInstanceReturnsTheFirstOfEqualNamesAndMatchesCase) {
  SceneFile scene;
  scene.meshes.push_back(std::make_unique<Mesh>());
  Mesh* mesh = scene.meshes[0].get();
  scene.instances.push_back(instanceNamed("Tree", mesh));
  scene.instances.push_back(instanceNamed("Tree", mesh));
  EXPECT_EQ(scene.findInstance("Tree"), scene.instances[0].get());
  EXPECT_EQ(scene.findInstance("tree"), nullptr);
  EXPECT_EQ(scene.findInstance("Tre"), nullptr);
}

TEST(SceneLookup, FindMeshMatchesWholeNamesExactly) {
  SceneFile scene;
  for (const char* name : {"Rock", "Rock2", "Rock"}) {
    scene.meshes.push_back(std::make_unique<Mesh>());
    scene.meshes.back()->name = name;
  }
  EXPECT_EQ(scene.findMesh("Rock"), scene.meshes[0].get());
  EXPECT_EQ(scene.findMesh("Rock2"), scene.meshes[1].get());
  EXPECT_EQ(scene.findMesh("ROCK"), nullptr);
}

TEST(MeshState, SetColorClampsEachComponent) {
  Mesh mesh;
  mesh.setColor(-5, 300, 128);
  EXPECT_EQ(mesh.color.r, 0);
  EXPECT_EQ(mesh.color.g, 255);
  EXPECT_EQ(mesh.color.b, 128);
}

TEST(MeshState, ResetReturnsToTheNewMeshState) {
  Mesh mesh;
  mesh.name = "M";
  ensureValueTable(&mesh);
  mesh.faces.resize(2);
  mesh.rawGeometry = {1, 2};
  mesh.rawMapping = {3};
  mesh.extraHeader = {1, 1, 1};
  mesh.unitScale = 4;
  mesh.materialTrailer[3] = 9;
  mesh.sectionRef = 7;
  mesh.layout = MeshLayout::FaceLists;
  mesh.setColor(1, 2, 3);
  mesh.reset();
  EXPECT_EQ(mesh.name, "");
  EXPECT_FALSE(mesh.values);
  EXPECT_TRUE(mesh.faces.empty() && mesh.rawGeometry.empty() && mesh.rawMapping.empty());
  EXPECT_EQ(mesh.extraHeader, (std::array<uint32_t, 3>{0, 0, 0}));
  EXPECT_EQ(mesh.unitScale, 1.0f);
  EXPECT_EQ(mesh.materialTrailer[3], 0);
  EXPECT_EQ(mesh.sectionRef, -1);
  EXPECT_EQ(mesh.layout, MeshLayout::VertexRecords);
  EXPECT_EQ(mesh.color.r + mesh.color.g + mesh.color.b, 0);
}

TEST(MeshValues, EnsureValueTableCreatesAGroupNamedAfterTheMeshOnce) {
  Mesh mesh;
  mesh.name = "Crate";
  ValueTable* table = ensureValueTable(&mesh);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->type, ValueType::Group);
  EXPECT_EQ(table->name, "Crate");
  EXPECT_EQ(ensureValueTable(&mesh), table);
}

TEST(AttachValues, FirstTableBecomesTheMeshsAndLaterOnesAreRefused) {
  Mesh mesh;
  Instance first, second;
  first.mesh = second.mesh = &mesh;
  EXPECT_TRUE(first.attachValues(nullptr));
  auto table = std::make_unique<ValueTable>(ValueType::Group, "T");
  ValueTable* raw = table.get();
  EXPECT_TRUE(first.attachValues(table));
  EXPECT_FALSE(table);  // ownership moved to the mesh
  EXPECT_EQ(mesh.values.get(), raw);
  EXPECT_FALSE(second.attachValues(nullptr));

  auto other = std::make_unique<ValueTable>(ValueType::Group, "U");
  EXPECT_FALSE(second.attachValues(other));
  EXPECT_TRUE(other);  // still the caller's
  EXPECT_EQ(mesh.values.get(), raw);
}

TEST(SceneOwnership, ReleaseAllLeavesBorrowedObjectsToTheirOwner) {
  SceneFile owner;
  owner.meshes.push_back(std::make_unique<Mesh>());
  owner.instances.push_back(instanceNamed("I", owner.meshes[0].get()));
  {
    SceneFile borrower;
    borrower.meshes.emplace_back(owner.meshes[0].get());
    borrower.instances.emplace_back(owner.instances[0].get());
    borrower.releaseAll();
    EXPECT_TRUE(borrower.meshes.empty());
  }
  EXPECT_EQ(owner.instances[0]->mesh, owner.meshes[0].get());
  owner.clear();
  EXPECT_TRUE(owner.meshes.empty() && owner.instances.empty());
}

}  // namespace
}  // namespace quorvel
