// `quorvel export` run as scripts run it: what it prints, its exit codes and
// the file it writes.
#if QUORVEL_HAVE_ASSIMP
#include <gtest/gtest.h>

#include "support/program_run_posix.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing_support::ProgramRun;
using testing_support::TempDir;

const std::string kSample = QUORVEL_SOURCE_DIR "/data/sample/";

TEST(ExportCommand, WritesModelsAndLevelsAndRefusesWhatItCannotRead) {
  const auto program = testing_support::consoleProgramPath();
  if (!program) GTEST_SKIP() << "the quorvel program is not built, or the tests do not run through ctest";
  TempDir dir;
  auto run = [&](const std::string& arguments) {
    return testing_support::runConsoleProgram(*program, dir.path(), arguments);
  };

  ProgramRun model = run("export " + kSample + "models/boat.grf --out boat.glb");
  EXPECT_EQ(model.out, "Wrote \"boat.glb\": 1 nodes, 1 meshes, 1 textures\n");
  EXPECT_EQ(testing_support::readFileText(dir.file("boat.glb")).substr(0, 4), "glTF");

  ProgramRun level = run("export --level " + kSample + "level/harbor.scn --out harbor.glb");
  EXPECT_EQ(level.out, "Wrote \"harbor.glb\": 11 nodes, 9 meshes, 0 textures\n");
  const std::string note = "NOTE: texture \"sky.bmp\" not found in \"" + kSample + "level/\"; exported without it.\n";
  EXPECT_NE(level.err.find(note), std::string::npos) << level.err;
  // With the level's SWP found, its textures come from the store; the
  // sample's store lacks the buoy's on purpose.
  ProgramRun stored = testing_support::runConsoleProgram(
      *program, dir.path(), "export --level " + kSample + "level/harbor.scn --out harbor.glb",
      {{"HALVORN_INSTALLED_DIRECTORY", kSample + "install/"}});
  EXPECT_EQ(stored.out, "Wrote \"harbor.glb\": 11 nodes, 9 meshes, 6 textures\n");
  EXPECT_EQ(stored.err, "NOTE: texture \"buoy.bmp\" not found in \"" + kSample + "level/\"; exported without it.\n");

  ProgramRun both = run("export " + kSample + "models/boat.grf --level x.scn --out x.glb");
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_EQ(both.err, "export: give either a model file or --level, not both.\n");

  dir.write("broken.grf", "not a scene");
  ProgramRun broken = run("export broken.grf --out broken.glb");
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_NE(broken.err.find("Cannot export 'broken.grf': no meshes could be read from it.\n"), std::string::npos)
      << broken.err;
  EXPECT_EQ(testing_support::readFileText(dir.file("broken.glb")), "<missing>");
}

}  // namespace
}  // namespace quorvel
#endif  // QUORVEL_HAVE_ASSIMP
