// The Verify Level action on files: the GRF is read back from disk, and the
// action runs from the action loop on the level the user picks.
#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/ini_profile_store.h"
#include "util/text_format.h"
#include "support/level_paths.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "app/actions/verify.h"

namespace quorvel {
namespace {

using namespace testing_support;

struct SavedLevel {
  SavedLevel() {
    files.spzPath.clear();  // no SPZ beside this level
    EXPECT_TRUE(writeLevelHeader(files.scnPath, files.grfPath, nullptr));
    writeBytes(files.pidPath, pidFileBytes({}));
    writeBytes(files.swpPath, std::vector<uint8_t>(512));
  }
  void save() {
    scene.trace = nullptr;
    ASSERT_TRUE(scene.save(files.grfPath));
  }
  TempDir folder;
  const std::string dir = folder.path();
  LevelFiles files = levelFilesIn(dir, "lev");
  SceneFile scene;
};

TEST(VerifyAction, ReadsTheSceneFromTheGrf) {
  SavedLevel level;
  Mesh& rock = addMesh(level.scene, "Rock", "CSky");
  addInstance(level.scene, "Rock12", rock);
  level.save();

  CapturingApp app;
  EXPECT_TRUE(verifyLevel(app.context, level.files));
  const std::string text = app.text();
  EXPECT_TRUE(text.starts_with("\nLoading level for verification...\nVerifying level...\n")) << text;
  EXPECT_NE(text.find("  Verifying instances...\n"
                      "Instance name Rock12 does not match its mesh name Rock\n"
                      "  Verifying meshes...\n"
                      "  Verifying values...\n"
                      "ERROR: No class TerrainPlacement found\n"
                      "ERROR: No class Player found\n"),
            std::string::npos)
      << text;
  ASSERT_TRUE(app.context.lastVerification);
  EXPECT_EQ(app.context.lastVerification->errors, 2);
}

TEST(VerifyAction, GrfThatIsNoSceneFileIsAnErrorNotAnEmptyLevel) {
  SavedLevel level;
  writeBytes(level.files.grfPath, {'n', 'o', 't', ' ', 'a', ' ', 's', 'c', 'e', 'n', 'e'});
  CapturingApp app;
  EXPECT_TRUE(verifyLevel(app.context, level.files));
  const std::string text = app.text();
  EXPECT_NE(text.find("    SPZ: \"\"\nERROR: GRF \"" + level.files.grfPath +
                      "\" could not be read as a scene file\n  Verifying instances...\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(app.context.lastVerification->errors, 4);
}

TEST(VerifyAction, RunsFromTheActionLoopOnThePickedLevel) {
  SavedLevel level;
  addInstance(level.scene, "Sky", addMesh(level.scene, "Sky", "CSky"));
  level.save();
  CapturingApp app;
  app.context.settings = std::make_unique<IniProfileStore>(level.dir + "Quorvel.ini");
  app.ui.queueFile(level.files.scnPath);
  EXPECT_TRUE(runPass(app.context, kActionVerify));
  const std::string text = app.text();
  // The level folder is lower-cased when the level is located (the Windows
  // temporary folder has capitals).
  EXPECT_NE(text.find("    PID: \"" + toLowerAscii(level.files.pidPath) + "\"\n"), std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with("Finished verification.\n\n")) << text;
  ASSERT_TRUE(app.context.lastVerification);
  EXPECT_EQ(app.context.lastVerification->errors, 2);
}

}  // namespace
}  // namespace quorvel
