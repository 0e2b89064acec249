#include "import/tpm_dump.h"

#include <gtest/gtest.h>

#include "report/message_log.h"
#include "import/tpm_reader.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

const std::string kData = QUORVEL_TEST_DATA_DIR "/tpm/";

TEST(TpmDumpJson, BlockFormatModelWithItsValueFile) {
  TpmDump dump = dumpTpmModel(kData + "block.tpm", true, false, false);
  EXPECT_TRUE(dump.loaded);
  EXPECT_EQ(dump.messages, "");
  EXPECT_EQ(dump.output, testing_support::readFileText(kData + "block.json"));
}

TEST(TpmDumpJson, BlockFormatGeometry) {
  TpmDump dump = dumpTpmModel(kData + "block.tpm", true, true, true);
  EXPECT_EQ(dump.output, testing_support::readFileText(kData + "block-geometry.json"));
  EXPECT_EQ(dump.messages, "File: \"" + kData + "block.tpm\"\nFile: \"" + kData +
                               "block.values.txt\"\n  Value: Stone\n");
}

TEST(TpmDumpJson, SectionedFormatModel) {
  TpmDump dump = dumpTpmModel(kData + "sectioned.tpm", true, false, false);
  EXPECT_EQ(dump.output, testing_support::readFileText(kData + "sectioned.json"));
  EXPECT_EQ(dump.messages,
            "NOTE: Found a '[' in the first line of the file, assuming it is the old file format.\n");
}

TEST(TpmDumpJson, MissingFileIsNotLoaded) {
  TpmDump dump = dumpTpmModel(kData + "absent.tpm", true, false, false);
  EXPECT_FALSE(dump.loaded);
  EXPECT_EQ(dump.messages, "");
  EXPECT_EQ(dump.output, "{\"format\":\"grf-dump-1\",\"loaded\":false,\"meshes\":[],\"instances\":[]}\n");
}

TEST(TpmScenes, HandWrittenModelsSurviveASaveAndLoad) {
  for (const char* name : {"block.tpm", "sectioned.tpm"}) {
    MessageLog log;
    log.captureText(true);
    std::unique_ptr<SceneFile> scene = readTpmFile(kData + name, log);
    ASSERT_TRUE(scene) << name;
    scene->trace = nullptr;
    testing_support::TempDir folder;
    const std::string saved = folder.file("model.grf");
    ASSERT_TRUE(scene->save(saved)) << name;
    SceneFile loaded;
    loaded.trace = nullptr;
    ASSERT_TRUE(loaded.load(saved)) << name;
    ASSERT_EQ(loaded.meshes.size(), scene->meshes.size()) << name;
    ASSERT_EQ(loaded.instances.size(), scene->instances.size()) << name;
    for (size_t i = 0; i < scene->meshes.size(); ++i) {
      EXPECT_EQ(loaded.meshes[i]->name, scene->meshes[i]->name);
      EXPECT_EQ(loaded.meshes[i]->faces.size(), scene->meshes[i]->faces.size());
      EXPECT_EQ(loaded.meshes[i]->values != nullptr, scene->meshes[i]->values != nullptr);
    }
  }
}

}  // namespace
}  // namespace quorvel
