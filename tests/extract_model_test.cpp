#include "tools/extract_model.h"

#include "app/actions/extract.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_context.h"
#include "platform/file_system.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::TempDir;

Mesh* addMesh(SceneFile& scene, const std::string& name, bool withTable = true) {
  auto mesh = std::make_unique<Mesh>();
  mesh->name = name;
  if (withTable) mesh->values = std::make_unique<Value>(ValueType::Group, name);
  scene.meshes.push_back(std::move(mesh));
  return scene.meshes.back().get();
}

void addString(Mesh* mesh, const std::string& name, const std::string& text) {
  setString(mesh->values.get(), name, text);
}

Instance* addInstance(SceneFile& scene, const std::string& name, Mesh* mesh, Vec3 at) {
  auto instance = std::make_unique<Instance>();
  instance->name = name;
  instance->mesh = mesh;
  instance->position = at;
  instance->rotation = {0.5f, 0, 0};
  instance->scale = 2.0f;
  scene.instances.push_back(std::move(instance));
  return scene.instances.back().get();
}

// A tower whose values name a gate, whose values name a flag, whose values
// name the tower and the gate again; a joint and magnets around them.
void buildLevel(SceneFile& level) {
  Mesh* tower = addMesh(level, "Tower");
  addString(tower, "Class", "CInstance");
  addString(tower, "Part1", "Gate01");
  tower->values->addChild(std::make_unique<Value>(ValueType::Int, "NumJoints"))->setInt(1);
  Mesh* gate = addMesh(level, "Gate");
  addString(gate, "Next", "Flag01");
  addString(gate, "Sound", "NotAnInstance");
  Mesh* flag = addMesh(level, "Flag");
  addString(flag, "Back", "Tower");
  addString(flag, "Loop", "Gate01");
  Mesh* joint = addMesh(level, "Joint", false);
  Mesh* masterMagnet = addMesh(level, "MagnetA");
  addString(masterMagnet, "Class", "CMagnet");
  addString(masterMagnet, "MasterObject", "Tower");
  Mesh* jointMagnet = addMesh(level, "MagnetB");
  addString(jointMagnet, "Class", "CMagnet");
  addString(jointMagnet, "SlaveObject", "$JTowerArm");
  Mesh* gateMagnet = addMesh(level, "MagnetC");
  addString(gateMagnet, "Class", "CMagnet");
  addString(gateMagnet, "SlaveObject", "Gate01");
  Mesh* rock = addMesh(level, "Rock", false);
  Mesh* ghost = addMesh(level, "Ghost", false);

  addInstance(level, "Tree", rock, {7, 7, 7});
  addInstance(level, "Tower", tower, {10, 20, 30});
  addInstance(level, "Tower02", tower, {50, 0, 0});
  addInstance(level, "Gate01", gate, {12, 20, 30});
  addInstance(level, "Flag01", flag, {10, 25, 29});
  addInstance(level, "$JTowerArm", joint, {10, 21, 30});
  addInstance(level, "$JGateArm", joint, {0, 0, 0});
  addInstance(level, "Mag01", masterMagnet, {9, 20, 30});
  addInstance(level, "Mag02", jointMagnet, {0, 0, 0});
  addInstance(level, "Mag03", gateMagnet, {11, 20, 30});
  addInstance(level, "Rock", rock, {-1, -2, -3});
  addInstance(level, "Orphan", ghost, {0, 0, 0});
}

class ExtractModel : public testing::Test {
 protected:
  void SetUp() override {
    SceneFile level;
    level.trace = nullptr;
    buildLevel(level);
    files.grfPath = folder.file("lvl.grf");
    ASSERT_TRUE(level.save(files.grfPath));
    app.traceStream = nullptr;
    app.log.captureText(true);
    app.log.verbose = true;
  }

  // Runs the action with `name` typed into the string-input dialog.
  bool extract(const std::string& name) {
    ui.queueString(name);
    return extractModel(app, files);
  }

  std::vector<std::string> instanceNames(const SceneFile& scene) {
    std::vector<std::string> names;
    for (const auto& instance : scene.instances) names.push_back(instance->name);
    return names;
  }

  TempDir folder;
  ScriptedUserInterface ui;
  AppContext app{ui, folder.file("")};
  LevelFiles files;
};

TEST_F(ExtractModel, WritesBaseAtOriginWithSubObjectsAtTheirOffsets) {
  ASSERT_TRUE(extract("Tower02"));
  const std::string outputPath = app.programFolder + "Tower02.grf";
  EXPECT_EQ(app.log.takeText(),
            "Model to export: \"Tower02\"\n"
            "Loading level...\n"
            "Adding objects to output grf...\n"
            "  Mesh: Tower\n"
            "  Mesh: Gate\n"
            "  Mesh: Flag\n"
            "  Mesh: MagnetC\n"
            "  Mesh: Joint\n"
            "  Mesh: MagnetA\n"
            "  Instance: Tower\n"
            "  Instance: Gate01\n"
            "  Instance: Flag01\n"
            "  Instance: Mag03\n"
            "  Instance: $JTowerArm\n"
            "  Instance: Mag01\n"
            "Writing grf to: \"" + outputPath + "\"\n"
            "done.\n");
  ASSERT_EQ(ui.questions().size(), 1u);
  EXPECT_EQ(ui.questions()[0].kind, QuestionKind::AskString);
  EXPECT_EQ(ui.questions()[0].prompt, "Enter name of model to extract:");
  EXPECT_EQ(ui.questions()[0].presetAnswer, "");

  SceneFile model;
  model.trace = nullptr;
  ASSERT_TRUE(model.load(outputPath));
  EXPECT_EQ(instanceNames(model), (std::vector<std::string>{"Tower", "Gate01", "Flag01", "Mag03",
                                                            "$JTowerArm", "Mag01"}));
  ASSERT_EQ(model.meshes.size(), 6u);
  EXPECT_EQ(model.findInstance("Tower")->position, (Vec3{0, 0, 0}));
  EXPECT_EQ(model.findInstance("Gate01")->position, (Vec3{2, 0, 0}));
  EXPECT_EQ(model.findInstance("Flag01")->position, (Vec3{0, 5, -1}));
  EXPECT_EQ(model.findInstance("Mag01")->position, (Vec3{-1, 0, 0}));
  // Rotation and scale are kept as they were.
  EXPECT_EQ(model.findInstance("Gate01")->rotation, (Vec3{0.5f, 0, 0}));
  EXPECT_EQ(model.findInstance("Gate01")->scale, 2.0f);
  EXPECT_TRUE(isStringEqual(model.findMesh("Gate")->values.get(), "Next", "Flag01"));
  // The level itself is not written.
  SceneFile level;
  level.trace = nullptr;
  ASSERT_TRUE(level.load(files.grfPath));
  EXPECT_EQ(level.findInstance("Gate01")->position, (Vec3{12, 20, 30}));
}

TEST_F(ExtractModel, MagnetNamingAJointIsNotCollected) {
  ASSERT_TRUE(extract("Tower"));
  SceneFile model;
  model.trace = nullptr;
  ASSERT_TRUE(model.load(app.programFolder + "Tower.grf"));
  EXPECT_EQ(model.findInstance("Mag02"), nullptr);
  EXPECT_EQ(model.findInstance("$JGateArm"), nullptr);  // Gate has no NumJoints
  EXPECT_EQ(model.findInstance("Tower02"), nullptr);
  EXPECT_EQ(model.findInstance("Tree"), nullptr);
}

TEST_F(ExtractModel, ObjectWithoutValuesIsWrittenAlone) {
  app.log.verbose = false;
  ASSERT_TRUE(extract("Rock"));
  EXPECT_EQ(app.log.takeText(), "Model to export: \"Rock\"\nLoading level...\n"
                                "Adding objects to output grf...\nWriting grf to: \"" +
                                    app.programFolder + "Rock.grf\"\ndone.\n");
  SceneFile model;
  model.trace = nullptr;
  ASSERT_TRUE(model.load(app.programFolder + "Rock.grf"));
  EXPECT_EQ(instanceNames(model), (std::vector<std::string>{"Rock"}));
  EXPECT_EQ(model.findInstance("Rock")->position, (Vec3{0, 0, 0}));
  ASSERT_EQ(model.meshes.size(), 1u);
  EXPECT_EQ(model.meshes[0]->values, nullptr);
}

TEST_F(ExtractModel, UnknownInstanceShowsBoxAndWritesNothing) {
  ui.queueAnswer(Answer::Ok);
  EXPECT_FALSE(extract("Nope"));
  EXPECT_EQ(app.log.takeText(), "Model to export: \"Nope\"\nLoading level...\nfailed.\n");
  ASSERT_EQ(ui.questions().size(), 2u);
  const MessageBoxRequest& box = ui.questions()[1].box;
  EXPECT_EQ(box.text, "Could not find instance with that name.");
  EXPECT_EQ(box.caption, "Quorvel");
  EXPECT_EQ(box.buttons, Buttons::OkCancel);
  EXPECT_FALSE(std::filesystem::exists(app.programFolder + "Nope.grf"));
}

TEST_F(ExtractModel, MissingBaseInstanceShowsBoxAndWritesNothing) {
  ui.queueAnswer(Answer::Cancel);  // the answer does not matter
  EXPECT_FALSE(extract("Orphan"));
  EXPECT_EQ(app.log.takeText(), "Model to export: \"Orphan\"\nLoading level...\nfailed.\n");
  ASSERT_EQ(ui.questions().size(), 2u);
  EXPECT_EQ(ui.questions()[1].box.text, "Could not find base instance.");
  EXPECT_EQ(ui.questions()[1].box.buttons, Buttons::OkCancel);
  EXPECT_FALSE(std::filesystem::exists(app.programFolder + "Orphan.grf"));
}

TEST_F(ExtractModel, UnreadableLevelFindsNoInstance) {
  files.grfPath = folder.file("missing.grf");
  ui.queueAnswer(Answer::Ok);
  EXPECT_FALSE(extract("Tower"));
  EXPECT_EQ(ui.questions()[1].box.text, "Could not find instance with that name.");
}

TEST_F(ExtractModel, NameLeavingTheProgramFolderIsRefused) {
  folder.makeFolder("sub");
  for (const std::string name : {"../Tower", "sub/Tower", "sub\\Tower", "C:Tower", "Tow*er", "NUL",
                                 "com1", "..", "Tab\there"}) {
    EXPECT_FALSE(extract(name)) << name;
    EXPECT_EQ(app.log.takeText(),
              "Model to export: \"" + name + "\"\n"
              "ERROR: \"" + name + "\" can't be used as a file name in the program folder\n"
              "       (no folders, drives or device names, and none of \\ / : * ? \" < > |).\n"
              "failed.\n");
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("Tower.grf")));
  EXPECT_FALSE(std::filesystem::exists(folder.file("sub/Tower.grf")));
  // Only the string-input dialog was shown: no box, no level loaded.
  for (const AskedQuestion& question : ui.questions()) EXPECT_EQ(question.kind, QuestionKind::AskString);
}

TEST_F(ExtractModel, EmptyNameIsRefused) {
  EXPECT_FALSE(extract(""));
  EXPECT_EQ(app.log.takeText(),
            "Model to export: \"\"\n"
            "ERROR: no model name given: an empty name can't be used as a file name.\n"
            "failed.\n");
  EXPECT_FALSE(std::filesystem::exists(folder.file(".grf")));
}

TEST(ModelFileName, AcceptsOrdinaryNamesOnly) {
  EXPECT_TRUE(isUsableModelFileName("Tower"));
  EXPECT_TRUE(isUsableModelFileName("$JTowerArm"));
  EXPECT_TRUE(isUsableModelFileName("my model.v2"));
  EXPECT_TRUE(isUsableModelFileName("CONSOLE"));
  EXPECT_TRUE(isUsableModelFileName(std::string(251, 'a')));
  EXPECT_FALSE(isUsableModelFileName(std::string(252, 'a')));  // with ".grf" past 255
  EXPECT_FALSE(isUsableModelFileName(""));
  EXPECT_FALSE(isUsableModelFileName("aux.txt"));
  EXPECT_FALSE(isUsableModelFileName("LPT9"));
  EXPECT_FALSE(isUsableModelFileName("a|b"));
  EXPECT_FALSE(isUsableModelFileName("a\"b"));
}

}  // namespace
}  // namespace quorvel
