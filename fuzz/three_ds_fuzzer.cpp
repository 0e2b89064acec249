// Feeds arbitrary bytes to the 3DS chunk check and, when they pass, to the
// 3DS library and the conversion. Every instance must come back with a mesh
// of the file, and every face index must lie inside its mesh's lists.
// Seed it with fuzz/corpus/three_ds and the sample models of the
// assimp-testmodels package (/usr/share/assimp/models/3DS/*.3ds, *.3DS).
// Faults inside the 3DS library show only as crashes unless the library is
// built with the sanitizers too: compile its sources (apt source lib3ds)
// with clang-14 -fsanitize=address,undefined into a static archive and pass
// it as -DLIB3DS_LIBRARY=/path/lib3ds.a to the fuzz build.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "converted_model_checks.h"
#include "import/three_ds_conversion.h"
#include "report/message_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::MessageLog log;
  log.captureText(true);
  quorvel::fuzzing::ConvertedModelChecks checks(false);
  quorvel::convert3dsBytes(checks.onMesh(), checks.onInstance(), std::span<const uint8_t>(data, size),
                           "fuzz.3ds", log);
  (void)log.takeText();
  return 0;
}
