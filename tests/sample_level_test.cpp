// The bundled sample level under data/sample: the committed files are what
// the program's writers make of the sample scene and store, and verifying
// them gives the report the demo shows. After a deliberate change to a
// writer, regenerate the files with QUORVEL_UPDATE_SAMPLE=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"
#include "support/sample_level.h"
#include "support/temp_dir.h"
#include "support/verify_fixtures.h"
#include "app/actions/verify.h"

namespace quorvel {
namespace {

using namespace testing_support;

const std::string kSampleData = QUORVEL_SOURCE_DIR "/data/sample/level/";
const std::string kSampleInstall = QUORVEL_SOURCE_DIR "/data/sample/install/";

TEST(SampleLevel, CommittedFilesAreWhatTheWritersProduce) {
  if (std::getenv("QUORVEL_UPDATE_SAMPLE")) {
    ASSERT_TRUE(writeSampleLevel(kSampleData, kSampleInstall));
  }
  TempDir folder;
  const std::string dir = folder.path();
  ASSERT_TRUE(writeSampleLevel(dir, dir));
  for (const char* file : {"harbor.scn", "harbor.grf", "harbor-130.pid", "harbor-130.spz"})
    EXPECT_EQ(readWholeFile(dir + file), readWholeFile(kSampleData + file))
        << file << " differs: regenerate with QUORVEL_UPDATE_SAMPLE=1";
  EXPECT_EQ(readWholeFile(dir + "harbor-130.swp"), readWholeFile(kSampleInstall + "harbor-130.swp"));
}

TEST(SampleLevel, VerificationFindsWhatWasPlantedInIt) {
  const LevelFiles files{"harbor",
                         kSampleData + "harbor.scn",
                         kSampleData + "harbor.grf",
                         kSampleData + "harbor-130.pid",
                         kSampleInstall + "harbor-130.swp",
                         kSampleData + "harbor-130.spz"};
  CapturingApp app;
  ASSERT_TRUE(verifyLevel(app.context, files));
  std::string report = app.text();
  for (size_t at; (at = report.find(QUORVEL_SOURCE_DIR)) != std::string::npos;)
    report.replace(at, std::string(QUORVEL_SOURCE_DIR).size(), "<source>");
  if (std::getenv("QUORVEL_UPDATE_SAMPLE")) {
    std::ofstream(QUORVEL_TEST_DATA_DIR "/verify/sample_report.txt", std::ios::binary) << report;
  }
  EXPECT_EQ(report, readFileText(QUORVEL_TEST_DATA_DIR "/verify/sample_report.txt"));
  ASSERT_TRUE(app.context.lastVerification);
  EXPECT_EQ(app.context.lastVerification->errors, 3);
}

}  // namespace
}  // namespace quorvel
