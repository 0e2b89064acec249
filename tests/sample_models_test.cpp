// The sample models under data/sample/models: the committed files are what
// the generator writes (regenerate with QUORVEL_UPDATE_SAMPLE=1), and an
// Import Directory of them into the sample level adds each model.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/actions/import.h"
#include "platform/file_system.h"
#include "support/level_paths.h"
#include "support/sample_models.h"
#include "support/scripted_run.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"

namespace quorvel {
namespace {

using namespace testing_support;

const std::string kModels = QUORVEL_SOURCE_DIR "/data/sample/models/";

TEST(SampleModels, CommittedFilesAreWhatTheGeneratorWrites) {
#if !QUORVEL_HAVE_LIB3DS
  GTEST_SKIP() << "the 3DS model needs lib3ds";
#endif
  if (std::getenv("QUORVEL_UPDATE_SAMPLE")) {
    std::filesystem::create_directories(kModels);
    ASSERT_TRUE(writeSampleModels(kModels));
  }
  TempDir folder;
  ASSERT_TRUE(writeSampleModels(folder.path()));
  for (const std::string& file : sampleModelFiles())
    EXPECT_EQ(readWholeFile(folder.path() + file), readWholeFile(kModels + file))
        << file << " differs: regenerate with QUORVEL_UPDATE_SAMPLE=1";
}

TEST(SampleModels, ImportDirectoryAddsEveryModelAndItsTextures) {
  ScriptedRun run;
  run.app.traceStream = nullptr;
  run.app.log.verbose = false;
  const std::string level = run.folder.makeFolder("level/");
  const std::string install = run.folder.makeFolder("install/");
  for (const char* file : {"harbor.scn", "harbor.grf", "harbor-130.pid", "harbor-130.spz"})
    std::filesystem::copy_file(QUORVEL_SOURCE_DIR "/data/sample/level/" + std::string(file), level + file);
  std::filesystem::copy_file(QUORVEL_SOURCE_DIR "/data/sample/install/harbor-130.swp", install + "harbor-130.swp");
  LevelFiles files = levelFilesIn(level, "harbor");
  files.swpPath = install + "harbor-130.swp";

  run.ui.queueFile(kModels + "boat.grf");
  run.ui.queueImportOptions(true);
  run.ui.setStandingAnswer("Confirm Save Level", Answer::Yes);
  run.ui.setStandingAnswer("Confirm", Answer::No);
  ASSERT_TRUE(runImport(run.app, files, true));
  const std::string text = run.app.log.takeText();
  EXPECT_NE(text.find("Added 4 new meshes, replaced 0 meshes, skipped 0 existing meshes.\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Added 4 new instances, replaced 0 instances, skipped 0 existing instances.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Added 4 new textures, replaced 0 textures, skipped 0 existing textures.\n"),
            std::string::npos)
      << text;
  // The boat is the one the gate waits for.
  EXPECT_EQ(text.find("Missing instance \"Boat-1\""), std::string::npos) << text;
}

}  // namespace
}  // namespace quorvel
