#include "app/settings.h"

#include "util/byte_io.h"

namespace quorvel {

void restoreWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  std::optional<WindowPosition> position;
  if (auto bytes = settings.readStruct("WindowPosition", key, 8)) {
    position = WindowPosition{static_cast<int32_t>(decodeU32(bytes->data())),
                              static_cast<int32_t>(decodeU32(bytes->data() + 4))};
  }
  ui.setWindowPosition(window, position);
}

void saveWindowPosition(ProfileStore& settings, UserInterface& ui, Window window, const std::string& key) {
  auto position = ui.windowPosition(window);
  if (!position) return;
  ByteWriter bytes;
  bytes.i32(position->left);
  bytes.i32(position->top);
  settings.writeStruct("WindowPosition", key, bytes.buffer());
}

}  // namespace quorvel
