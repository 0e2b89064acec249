// Runs the whole level verification on damaged input: the first four bytes
// give the length of a PID, the rest of that many bytes is the PID, and
// what follows is the GRF. Whatever the scene reader makes of the GRF is
// verified against the PID and a fixed SWP and SPZ.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scratch_level.h"
#include "split_input.h"
#include "app/app_context.h"
#include "platform/file_system.h"
#include "platform/scripted_ui.h"
#include "app/actions/verify.h"

namespace {

using quorvel::fuzzing::ScratchFolder;

struct FuzzLevel : quorvel::fuzzing::ScratchLevel {
  FuzzLevel() : ScratchLevel("verify") {
    ScratchFolder::write(files.scnPath, std::vector<uint8_t>{1});
    ScratchFolder::write(files.grfPath, std::vector<uint8_t>{1});
    ScratchFolder::write(files.swpPath, std::vector<uint8_t>(4096));
    ScratchFolder::write(files.spzPath, std::vector<uint8_t>{0x00, 0x10, 0x00, 0x00});
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzLevel level;
  const auto [pid, grf] = quorvel::fuzzing::splitInput(data, size);
  ScratchFolder::write(level.files.pidPath, pid);

  quorvel::ScriptedUserInterface ui(quorvel::ScriptedUserInterface::Mode::Batch);
  quorvel::AppContext app(ui, level.folder.path());
  app.traceStream = nullptr;
  app.log.captureText(true);
  app.knownValues.names = {"Class", "A%d"};
  app.knownValues.patterns = {"A%d"};
  quorvel::SceneFile scene;
  scene.trace = nullptr;
  const bool readable = scene.loadFromBytes(grf);
  quorvel::writeVerificationReport(app, scene, level.files, readable);
  return 0;
}
