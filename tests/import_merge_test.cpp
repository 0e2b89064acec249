// The import set and its merge into a level scene, on scenes built in code.
#include "import/import_merge.h"

#include <gtest/gtest.h>

#include "support/verify_fixtures.h"

namespace quorvel {
namespace {

using testing_support::addFloat;
using testing_support::addInstance;
using testing_support::addInt;
using testing_support::addMesh;
using testing_support::CapturingApp;

class ImportMerge : public ::testing::Test {
 protected:
  void SetUp() override { run_.app.log.verbose = false; }
  // A model scene handed to the import set like a loaded GRF.
  SceneFile& model() { return model_; }
  void take() { set_.addScene(model_); }
  void merge() {
    mergeMeshes(set_, level_, options_, run_.app.knownValues, run_.app.log, outcome_);
    mergeInstances(set_, level_, options_, run_.app.log, outcome_);
  }
  CapturingApp run_;
  ImportSet set_{run_.app.log};
  SceneFile model_, level_;
  ImportOptions options_;
  MergeOutcome outcome_;
};

TEST_F(ImportMerge, ScaleAndOffsetMoveEveryInstanceAndTheFloatImportScaleWins) {
  options_.Scale = 2.0f;
  options_.XOffset = 10.0f;
  Instance& plain = addInstance(model(), "Plain", addMesh(model(), "A"), 0.5f);
  plain.position = {1, 2, 3};
  Mesh& withFloat = addMesh(model(), "B", "CObj");
  addFloat(*withFloat.values, "ext_ImportScale", -3.0f);
  addInstance(model(), "Floated", withFloat).position = {1, 0, 0};
  Mesh& withInt = addMesh(model(), "C", "CObj");
  addInt(*withInt.values, "ext_ImportScale", 7);  // not a Float: the options' scale applies
  addInstance(model(), "Integer", withInt);
  take();
  run_.app.log.verbose = true;
  merge();

  ASSERT_EQ(level_.instances.size(), 3u);
  EXPECT_EQ(level_.instances[0]->position, (Vec3{12, 4, 6}));
  EXPECT_EQ(level_.instances[0]->scale, 1.0f);
  EXPECT_EQ(level_.instances[1]->position, (Vec3{13, 0, 0}));
  EXPECT_EQ(level_.instances[1]->scale, 3.0f);
  EXPECT_EQ(level_.instances[2]->scale, 2.0f);
  const std::string text = run_.text();
  EXPECT_NE(text.find("\nImporting instances...\n  Added instance: Plain\n  Added instance: Floated  "
                      "(ImportScale=3)\n  Added instance: Integer  (ImportScale=2)\n"
                      "Added 3 new instances, replaced 0 instances, skipped 0 existing instances.\n"),
            std::string::npos)
      << text;
  EXPECT_TRUE(outcome_.changed);
}

TEST_F(ImportMerge, AnExistingMeshIsKeptAndImportedInstancesUseIt) {
  Mesh& kept = addMesh(level_, "Rock");
  addInstance(model(), "Rock02", addMesh(model(), "Rock"));
  take();
  merge();
  ASSERT_EQ(level_.meshes.size(), 1u);
  ASSERT_EQ(level_.instances.size(), 1u);
  EXPECT_EQ(level_.instances[0]->mesh, &kept);
  EXPECT_EQ(outcome_.discarded.size(), 1u);
  EXPECT_TRUE(outcome_.mergedMeshes.empty());  // the texture phase leaves the level's mesh alone
  EXPECT_EQ(run_.text(),
            "\nImporting meshes...\nAdded 0 new meshes, replaced 0 meshes, skipped 1 existing meshes.\n"
            "\nImporting instances...\nAdded 1 new instances, replaced 0 instances, skipped 0 existing instances.\n");
}

TEST_F(ImportMerge, AReplacedMeshTakesOverTheLevelsInstancesAndCarriesTheStoredScaleOnlyWhenAsked) {
  for (bool useStored : {false, true}) {
    SceneFile level;
    Mesh& old = addMesh(level, "Rock", "CObj");
    addFloat(*old.values, "ext_ImportScale", 4.0f);
    addInstance(level, "Rock01", old);
    ImportSet set(run_.app.log);
    SceneFile model;
    addMesh(model, "Rock");
    set.addScene(model);
    options_.ReplaceMeshes = true;
    options_.UseExtImportScale = useStored;
    MergeOutcome outcome;
    mergeMeshes(set, level, options_, run_.app.knownValues, run_.app.log, outcome);
    Mesh* now = level.meshes[0].get();
    EXPECT_EQ(level.instances[0]->mesh, now);
    EXPECT_EQ(outcome.mergedMeshes.at("Rock"), now);
    EXPECT_EQ(getFloat(now->values.get(), "ext_ImportScale", 0.0f), useStored ? 4.0f : 0.0f) << useStored;
  }
}

TEST_F(ImportMerge, GeometryTypeChoosesTheLayoutOfConvertedMeshes) {
  struct Case {
    int type;
    MeshLayout layout;
    bool problem;
  } cases[] = {{1, MeshLayout::FaceLists, false}, {2, MeshLayout::VertexRecords, false},
               {3, MeshLayout::VertexRecords, true}};
  for (const Case& c : cases) {
    SceneFile level, model;
    Mesh& mesh = addMesh(model, "M", "CObj");
    addInt(*mesh.values, "ext_GeometryType", c.type);
    ImportSet set(run_.app.log);
    set.addScene(model);
    run_.app.log.problem = false;
    MergeOutcome outcome;
    mergeMeshes(set, level, options_, run_.app.knownValues, run_.app.log, outcome);
    EXPECT_EQ(level.meshes[0]->layout, c.layout) << c.type;
    EXPECT_EQ(run_.app.log.problem, c.problem) << c.type;
    const std::string note = "  NOTE: Invalid ext_GeometryType value \"3\" in mesh M (must be 1 or 2).\n";
    EXPECT_EQ(run_.text().find(note) != std::string::npos, c.problem) << c.type;
  }
}

TEST_F(ImportMerge, ExistingInstancesAreSkippedOrReplaced) {
  for (bool replace : {false, true}) {
    SceneFile level, model;
    addInstance(level, "Lamp01", addMesh(level, "Lamp")).position = {5, 5, 5};
    addInstance(model, "Lamp01", addMesh(model, "Lamp"));
    ImportSet set(run_.app.log);
    set.addScene(model);
    options_.ReplaceInstances = replace;
    MergeOutcome outcome;
    mergeMeshes(set, level, options_, run_.app.knownValues, run_.app.log, outcome);
    mergeInstances(set, level, options_, run_.app.log, outcome);
    ASSERT_EQ(level.instances.size(), 1u);
    EXPECT_EQ(level.instances[0]->position, (replace ? Vec3{} : Vec3{5, 5, 5}));
    EXPECT_EQ(outcome.changed, replace);
  }
}

TEST_F(ImportMerge, ThreeDsCallbacksRefuseDuplicatesAndMissingMeshes) {
  auto mesh = [](const char* name) {
    auto m = std::make_unique<Mesh>();
    m->name = name;
    return m;
  };
  auto instance = [](const char* name) {
    auto i = std::make_unique<Instance>();
    i->name = name;
    return i;
  };
  set_.addMesh(mesh("Box"), "a.3ds");
  EXPECT_NE(set_.addInstance(instance("Box"), "Box", "a.3ds"), nullptr);
  set_.addMesh(mesh("Box"), "b.3ds");
  EXPECT_EQ(set_.addInstance(instance("Box"), "Box", "b.3ds"), nullptr);
  EXPECT_EQ(set_.addInstance(instance("Cone"), "Cone", "b.3ds"), nullptr);
  EXPECT_EQ(set_.meshes.size(), 1u);
  EXPECT_EQ(set_.instances.size(), 1u);
  EXPECT_TRUE(run_.app.log.problem);
  EXPECT_EQ(run_.text(),
            "File: \"a.3ds\"\nFile: \"b.3ds\"\n"
            "      ERROR: mesh Box in file \"b.3ds\" has already been imported from another file. (skipping)\n"
            "      ERROR: instance Box in file \"b.3ds\" has already been imported from another file. (skipping)\n"
            "      ERROR: missing mesh Cone used by instance Cone in file \"b.3ds\". (skipping)\n");
}

TEST_F(ImportMerge, ALaterSceneDisplacesAMeshAndEarlierInstancesFollowIt) {
  addInstance(model(), "Tree01", addMesh(model(), "Tree"));
  take();
  SceneFile second;
  Mesh& newer = addMesh(second, "Tree", "CObj");
  set_.addScene(second);
  ASSERT_EQ(set_.meshes.size(), 1u);
  EXPECT_EQ(set_.instances[0]->mesh, &newer);
  merge();
  EXPECT_EQ(level_.instances[0]->mesh, level_.meshes[0].get());
}

TEST_F(ImportMerge, UnusedMeshesGetInstancesAtTheOriginScaledByTheirUnitScale) {
  addInstance(level_, "Used01", addMesh(level_, "Used"));
  addMesh(level_, "Spare").unitScale = 5.0f;
  std::vector<Mesh*> unused = unusedMeshes(level_);
  ASSERT_EQ(unused.size(), 1u);
  run_.app.log.verbose = true;
  addInstancesForMeshes(unused, level_, run_.app.log);
  ASSERT_EQ(level_.instances.size(), 2u);
  EXPECT_EQ(level_.instances[1]->name, "Spare");
  EXPECT_EQ(level_.instances[1]->scale, 5.0f);
  EXPECT_EQ(run_.text(), "  Created instance Spare for unused mesh Spare\n");
}

}  // namespace
}  // namespace quorvel
