// Feeds arbitrary text to the value file reader and binds the result, as a
// TPM import does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "report/message_log.h"
#include "values/value_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::MessageLog log;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::unique_ptr<quorvel::Mesh>> meshes;
  for (const char* name : {"Crate", "A", "g"}) {
    meshes.push_back(std::make_unique<quorvel::Mesh>());
    meshes.back()->name = name;
  }
  bool fileProblem = false;
  quorvel::readValuesForTpm(text, "model.values.txt", meshes, log, fileProblem);
  return 0;
}
