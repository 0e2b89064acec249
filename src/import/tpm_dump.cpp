#include "import/tpm_dump.h"

#include "report/message_log.h"
#include "import/tpm_reader.h"
#include "level/scene_dump.h"

namespace quorvel {

TpmDump dumpTpmModel(const std::string& path, bool json, bool geometry, bool verbose) {
  MessageLog log;
  log.verbose = verbose;
  log.captureText(true);
  std::unique_ptr<SceneFile> scene = readTpmFile(path, log);
  TpmDump dump;
  dump.loaded = scene != nullptr;
  dump.messages = log.takeText();
  if (!scene) scene = std::make_unique<SceneFile>();
  dump.output = json ? sceneToJson(*scene, dump.loaded, geometry, false) : sceneSummary(*scene);
  return dump;
}

}  // namespace quorvel
