// Runs the verification's SWP and SPZ checks on damaged texture stores: the
// first byte gives the length of the SPZ (255: no SPZ), then come the SPZ,
// four bytes giving the SWP's size (kept below 4 MB; the file is sparse) and
// the PID. The scene is empty, so the report is the texture store's.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

#include "scratch_level.h"
#include "app/actions/verify.h"
#include "app/app_context.h"
#include "platform/scripted_ui.h"
#include "util/byte_io.h"

namespace {

using quorvel::fuzzing::ScratchFolder;

struct FuzzLevel : quorvel::fuzzing::ScratchLevel {
  FuzzLevel() : ScratchLevel("swp_spz") {
    ScratchFolder::write(files.scnPath, std::span<const uint8_t>{});
    ScratchFolder::write(files.grfPath, std::span<const uint8_t>{});
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzLevel level;
  std::span<const uint8_t> input(data, size);
  if (input.empty()) return 0;
  const size_t spzLength = input[0];
  input = input.subspan(1);

  std::error_code ignored;
  if (spzLength == 255) {
    std::filesystem::remove(level.files.spzPath, ignored);
  } else {
    const size_t taken = spzLength < input.size() ? spzLength : input.size();
    ScratchFolder::write(level.files.spzPath, input.first(taken));
    input = input.subspan(taken);
  }

  uint32_t swpSize = 0;
  if (input.size() >= 4) {
    swpSize = quorvel::decodeU32(input.data()) % (4u << 20);
    input = input.subspan(4);
  }
  ScratchFolder::write(level.files.swpPath, std::span<const uint8_t>{});
  std::filesystem::resize_file(level.files.swpPath, swpSize, ignored);
  ScratchFolder::write(level.files.pidPath, input);

  quorvel::ScriptedUserInterface ui(quorvel::ScriptedUserInterface::Mode::Batch);
  quorvel::AppContext app(ui, level.folder.path());
  app.traceStream = nullptr;
  app.log.captureText(true);
  quorvel::SceneFile scene;
  scene.trace = nullptr;
  quorvel::writeVerificationReport(app, scene, level.files, true);
  return 0;
}
