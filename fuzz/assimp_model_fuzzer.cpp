// Feeds arbitrary model files to the reader of the general model library's
// formats, as the program reads them: written to a file as glTF binary,
// glTF, OBJ, FBX or Collada (the first byte chooses), tried in a child
// process, then read and converted. Every instance must come back with a
// mesh of the file, and every face index must lie inside its mesh's lists.
// Seed it with the files of the assimp-testmodels package
// (/usr/share/assimp/models/{glTF2,OBJ,FBX,Collada}) and
// fuzz/corpus/assimp_model.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#ifdef QUORVEL_HAVE_ASSIMP
#include "converted_model_checks.h"
#include "import/interchange_conversion.h"
#include "report/message_log.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char* const kNames[] = {"fuzz.glb", "fuzz.gltf", "fuzz.obj", "fuzz.fbx", "fuzz.dae"};
  static const quorvel::fuzzing::ScratchFolder folder("assimp_model");
  const std::string path = folder.file(kNames[data[0] % 5]);
  quorvel::fuzzing::ScratchFolder::write(path, std::span(data + 1, size - 1));
  quorvel::MessageLog log;
  log.captureText(true);
  quorvel::fuzzing::ConvertedModelChecks checks(true);
  quorvel::convertInterchangeFile(checks.onMesh(), checks.onInstance(), path, log);
  (void)log.takeText();
  return 0;
}
#else
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
#endif
