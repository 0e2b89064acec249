// Reads every texture of a damaged store back as the level export does: the
// first four bytes give the length of a PID, that many bytes are the PID,
// and what follows is the SWP. Whatever comes back must be a whole bitmap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "scratch_folder.h"
#include "split_input.h"
#include "textures/texture_database.h"
#include "tools/stored_texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const quorvel::fuzzing::ScratchFolder folder("stored_texture");
  static const std::string swp = folder.file("lev-130.swp");
  const auto [pid, swpBytes] = quorvel::fuzzing::splitInput(data, size);
  quorvel::TextureDatabase store;
  if (!store.parse(pid)) return 0;
  quorvel::fuzzing::ScratchFolder::write(swp, swpBytes);
  for (const quorvel::TextureEntry& entry : store.entries) {
    const auto bitmap = quorvel::readStoredTexture(store, swp, entry.textureId);
    if (!bitmap) continue;
    const size_t pixels = static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height);
    const size_t expected = bitmap->bitsPerPixel == 8 ? pixels : pixels * 4;
    if (bitmap->pixels.size() != expected || bitmap->colors.size() != bitmap->colorCount * size_t{4}) std::abort();
  }
  return 0;
}
