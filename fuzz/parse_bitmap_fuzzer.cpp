// Any bytes given to the BMP reader: no crash, no overrun, no allocation
// beyond what the input can hold; an accepted bitmap is self-consistent and
// survives the conversions the packer applies to it.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "textures/bmp_reader.h"
#include "textures/texture_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  for (bool withColors : {true, false}) {
    std::optional<quorvel::TextureBitmap> bitmap = quorvel::parseBitmap(bytes, withColors, nullptr);
    if (!bitmap) continue;
    const size_t pixelBytes = bitmap->bitsPerPixel == 8 ? 1 : 4;
    if (bitmap->width <= 0 || bitmap->height <= 0 ||
        bitmap->pixels.size() != size_t(bitmap->width) * size_t(bitmap->height) * pixelBytes ||
        bitmap->colors.size() != size_t(bitmap->colorCount) * 4 || bitmap->colorCount > 256)
      std::abort();
    if (bitmap->width > 256 || bitmap->height > 256) continue;
    if (bitmap->bitsPerPixel == 24) {
      quorvel::convertTrueColor(*bitmap, &*bitmap);
    } else {
      quorvel::TextureBitmap copy = *bitmap;
      quorvel::averageColor(copy, true);
      quorvel::applyOpacity(copy, *bitmap);
      quorvel::bumpIndices(copy.pixels);
      quorvel::halveInPlace(copy.pixels, uint32_t(copy.width), uint32_t(copy.height), 1);
    }
  }
  return 0;
}
