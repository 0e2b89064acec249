#include "tools/stored_texture.h"

#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "textures/texture_conversion.h"

namespace quorvel {

namespace {

const TextureEntry* largestEntry(const TextureDatabase& store, uint32_t textureId) {
  const TextureEntry* best = nullptr;
  for (size_t i = 0; i < store.entries.size(); ++i) {
    const TextureEntry& entry = store.entries[i];
    if (entry.textureId != textureId || (i + 1 == store.entries.size() && store.hasPackerMarker())) continue;
    if (!best || uint64_t{entry.width} * entry.height > uint64_t{best->width} * best->height) best = &entry;
  }
  return best;
}

// The entry's rows, one after another without their pitch.
std::optional<std::vector<uint8_t>> readRows(const TextureEntry& entry, const std::string& swpPath) {
  const uint64_t rowBytes = uint64_t{entry.width} * (entry.bitsPerPixel / 8);
  if (entry.width == 0 || entry.height == 0 || entry.width > 4096 || entry.height > 4096) return std::nullopt;
  FILE* swp = openFile(swpPath, "rb");
  if (!swp) return std::nullopt;
  std::vector<uint8_t> rows(rowBytes * entry.height);
  const std::optional<uint64_t> size = openFileSize(swp);
  bool ok = size && uint64_t{entry.offset} + uint64_t{entry.height - 1} * entry.pitch + rowBytes <= *size;
  for (uint32_t r = 0; ok && r < entry.height; ++r)
    ok = seekFile(swp, uint64_t{entry.offset} + uint64_t{r} * entry.pitch) &&
         std::fread(&rows[r * rowBytes], 1, rowBytes, swp) == rowBytes;
  std::fclose(swp);
  if (!ok) return std::nullopt;
  return rows;
}

}  // namespace

std::optional<TextureBitmap> readStoredTexture(const TextureDatabase& store, const std::string& swpPath,
                                               uint32_t textureId) {
  const TextureEntry* entry = largestEntry(store, textureId);
  if (!entry || (entry->bitsPerPixel != 8 && entry->bitsPerPixel != 16)) return std::nullopt;
  const bool indexed = entry->palette >= 0;
  if (indexed && static_cast<size_t>(entry->palette) >= store.palettes.size()) return std::nullopt;
  if (entry->bitsPerPixel == 8 && !indexed) return std::nullopt;
  std::optional<std::vector<uint8_t>> rows = readRows(*entry, swpPath);
  if (!rows) return std::nullopt;

  TextureBitmap bitmap;
  bitmap.width = static_cast<int32_t>(entry->width);
  bitmap.height = static_cast<int32_t>(entry->height);
  if (indexed) {
    const TexturePalette& palette = store.palettes[static_cast<size_t>(entry->palette)];
    bitmap.bitsPerPixel = 8;
    bitmap.colors = palette.colors;
    bitmap.colorCount = static_cast<uint32_t>(palette.colors.size() / 4);
    bitmap.pixels = entry->bitsPerPixel == 8 ? std::move(*rows) : indicesOfBumpWords(*rows);
    return bitmap;
  }
  bitmap.bitsPerPixel = 24;
  bitmap.pixels = pixelsOfTrueColor(*rows);
  return bitmap;
}

}  // namespace quorvel
