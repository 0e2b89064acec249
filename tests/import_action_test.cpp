// Import File and Import Directory on a small level written to a scratch
// folder: the models read, merged, saved and verified again.
#include "app/actions/import.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/bmp_builder.h"
#include "support/level_paths.h"
#include "support/scene_fixtures.h"
#include "support/scripted_run.h"
#include "support/verify_fixtures.h"
#include "textures/texture_database.h"

namespace quorvel {
namespace {

using testing_support::readBytes;
using testing_support::writeBytes;

class ImportAction : public ::testing::Test {
 protected:
  void SetUp() override {
    level_ = testing_support::levelFilesIn(run_.folder.path(), "lvl");
    writeBytes(level_.grfPath, scene_testing::vertexRecordsFile());
    ASSERT_TRUE(writeLevelHeader(level_.scnPath, level_.grfPath, nullptr));
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(level_.pidPath));
    writeBytes(level_.swpPath, {});
    writeBytes(level_.spzPath, {0, 0, 0, 0});
    models_ = run_.folder.makeFolder("models/");
    const std::string data = QUORVEL_TEST_DATA_DIR "/tpm/";
    for (const char* name : {"block.tpm", "block.values.txt", "sectioned.tpm"})
      std::filesystem::copy_file(data + name, models_ + name);
    // A GRF model: one crate, placed once.
    SceneFile crate;
    crate.trace = nullptr;
    testing_support::addInstance(crate, "Crate01", testing_support::addMesh(crate, "Crate", "CObj"))
        .position = {1, 2, 3};
    ASSERT_TRUE(crate.save(models_ + "Crate.GRF"));
    run_.app.traceStream = nullptr;
    run_.app.log.verbose = false;
    before_ = readBytes(level_.grfPath);
  }
  // Runs the action with the model dialog answered by `model`.
  bool import(const std::string& model, bool directoryMode, Answer save) {
    run_.ui.queueFile(model);
    run_.ui.queueImportOptions(true, [](ImportOptions& o) { o.NormalizeTextureNames = false; });
    run_.ui.setStandingAnswer("Confirm", Answer::No);
    run_.ui.setStandingAnswer("Confirm Save Level", save);
    return runImport(run_.app, level_, directoryMode);
  }
  std::unique_ptr<SceneFile> saved() {
    auto scene = std::make_unique<SceneFile>();
    scene->trace = nullptr;
    EXPECT_TRUE(scene->load(level_.grfPath));
    return scene;
  }

  testing_support::ScriptedRun run_;
  LevelFiles level_;
  std::string models_;
  std::vector<uint8_t> before_;
};

TEST_F(ImportAction, DirectoryModeReadsSceneFilesFirstThenTpmAndSavesTheMergedLevel) {
  ASSERT_TRUE(import(models_ + "block.tpm", true, Answer::Yes));
  const std::string text = run_.app.log.takeText();
  // Sorted by name the TPM files come first; scene files are still read first.
  // The import folder is taken lower-cased, as level paths are.
  const size_t crate = text.find("File: \"" + toLowerAscii(models_) + "Crate.GRF\"\n");
  const size_t block = text.find("NOTE: Found a '['");
  ASSERT_NE(crate, std::string::npos) << text;
  EXPECT_LT(crate, block) << text;
  EXPECT_NE(text.find("Added 5 new meshes, replaced 0 meshes, skipped 0 existing meshes.\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Saving GRF \"" + level_.grfPath + "\"...\nSaving SCN \"" + level_.scnPath + "\"...\ndone.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nLoading level for verification..."), std::string::npos);

  std::unique_ptr<SceneFile> level = saved();
  ASSERT_NE(level->findInstance("Crate01"), nullptr);
  EXPECT_EQ(level->findInstance("Crate01")->mesh, level->findMesh("Crate"));
  EXPECT_NE(level->findInstance("Stone01"), nullptr);
  EXPECT_NE(level->findInstance("Lamp01"), nullptr);  // the level's own objects stay
  EXPECT_EQ(readBytes(level_.scnPath), *levelHeaderBytes(level_.grfPath));
}

TEST_F(ImportAction, ADeclinedSaveWritesNothing) {
  EXPECT_FALSE(import(models_ + "Crate.GRF", false, Answer::No));
  EXPECT_NE(run_.app.log.takeText().find("\nContinue with level save?\nSave level canceled.\n"), std::string::npos);
  EXPECT_EQ(readBytes(level_.grfPath), before_);
}

TEST_F(ImportAction, AnImportOfWhatTheLevelHasChangesNothing) {
  ASSERT_TRUE(import(models_ + "Crate.GRF", false, Answer::Yes));
  run_.app.log.takeText();
  const std::vector<uint8_t> once = readBytes(level_.grfPath);
  ASSERT_TRUE(import(models_ + "Crate.GRF", false, Answer::Yes));
  const std::string text = run_.app.log.takeText();
  EXPECT_NE(text.find("skipped 1 existing meshes.\n"), std::string::npos) << text;
  EXPECT_NE(text.find("skipped 1 existing instances.\n"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\nLevel is unchanged, nothing to save.\n")) << text;
  EXPECT_EQ(readBytes(level_.grfPath), once);
}

TEST_F(ImportAction, ALevelThatCannotBeLoadedIsNeverOverwritten) {
  std::vector<uint8_t> damaged = before_;
  damaged.resize(damaged.size() / 2);
  writeBytes(level_.grfPath, damaged);
  EXPECT_FALSE(import(models_ + "Crate.GRF", false, Answer::Yes));
  const std::string text = run_.app.log.takeText();
  EXPECT_TRUE(text.ends_with("ERROR: could not load the level's scene file \"" + level_.grfPath +
                             "\".\nLoad aborted.\n"))
      << text;
  EXPECT_EQ(readBytes(level_.grfPath), damaged);
}

TEST_F(ImportAction, CancellingTheModelOrTheOptionsAborts) {
  run_.ui.queueFile(std::nullopt);
  EXPECT_FALSE(runImport(run_.app, level_, false));
  run_.ui.queueFile(models_ + "Crate.GRF");
  run_.ui.queueImportOptions(false);
  EXPECT_FALSE(runImport(run_.app, level_, false));
  EXPECT_EQ(run_.app.log.takeText(), "Load aborted.\nLoad aborted.\n");
  EXPECT_EQ(run_.app.settings->readString("Paths", "3dsImportPath", ""), toLowerAscii(models_));
}

}  // namespace
}  // namespace quorvel
