// Feeds arbitrary settings-file text to the private-profile reader and
// writer: reads never fail badly, and a value just written reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ini_profile_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view content(reinterpret_cast<const char*>(data), size);
  auto position = quorvel::findProfileValue(content, "WindowPosition", "MainWindow");
  if (position) (void)quorvel::decodeProfileStruct(*position, 8);
  (void)quorvel::findProfileValue(content, "Paths", "LevelLoadPath");

  auto updated = quorvel::setProfileValue(content, "Paths", "LevelLoadPath", "c:\\x y.scn");
  if (!updated) std::abort();
  auto back = quorvel::findProfileValue(*updated, "Paths", "LevelLoadPath");
  if (!back || *back != "c:\\x y.scn") std::abort();
  return 0;
}
