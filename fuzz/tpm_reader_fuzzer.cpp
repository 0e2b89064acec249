// Feeds arbitrary text to the TPM reader; the first line chooses the block
// or the sectioned format. The value file beside the path never exists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "report/message_log.h"
#include "import/tpm_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::MessageLog log;
  log.verbose = true;
  std::string text(reinterpret_cast<const char*>(data), size);
  auto scene = quorvel::readTpmText(std::move(text), "/nonexistent-quorvel-fuzz/model.tpm", log);
  // Every instance must point at a mesh of the scene.
  for (const auto& instance : scene->instances) {
    bool found = false;
    for (const auto& mesh : scene->meshes) found = found || mesh.get() == instance->mesh;
    if (!found) __builtin_trap();
  }
  return 0;
}
