// Feeds arbitrary bytes to the scene file reader. Whatever it accepts must
// save, and the saved file must read again and save to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "level/scene.h"
#include "level/scene_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvel::SceneFile scene;
  scene.trace = nullptr;
  const bool loaded = scene.loadFromBytes(std::span<const uint8_t>(data, size));
  (void)quorvel::sceneToJson(scene, loaded, true, true);
  if (!loaded) return 0;
  (void)quorvel::sceneSummary(scene);
  auto written = scene.serialize();
  if (!written) return 0;  // a name the game could not read back
  quorvel::SceneFile again;
  again.trace = nullptr;
  if (!again.loadFromBytes(*written)) std::abort();
  auto rewritten = again.serialize();
  if (!rewritten || *rewritten != *written) std::abort();
  return 0;
}
