// The texture store's update: BeginPidUpdate, addTexture, EndPidUpdate.
#include <algorithm>
#include <cstdlib>

#include "platform/file_system.h"
#include "util/byte_io.h"
#include "textures/bmp_reader.h"
#include "textures/swp_page_cache.h"
#include "textures/texture_conversion.h"
#include "textures/texture_database.h"
#include "textures/texture_packer.h"

namespace quorvel {

namespace {

uint64_t roundUpToPage(uint64_t n) { return (n + kSwpPageSize - 1) / kSwpPageSize * kSwpPageSize; }

uint64_t rowBytesOf(const TextureEntry& e) {
  return std::max<uint64_t>(e.width, uint64_t{e.width} * e.bitsPerPixel / 8);
}

// What one level of a texture needs from the packer besides its pixels.
struct LevelInfo {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t averageColor = 0;
  int32_t palette = -1;
  uint32_t mipInfo = 0;
  bool opacity = false;
  bool occlusion = false;
  bool mipmapped = false;
  uint32_t textureId = 0;
};

// Appends the level's entry, finds it a place and writes its rows. A packer
// without room is fatal: the handler shows the box and ends the process.
bool placeLevel(TextureDatabase& db, const LevelInfo& level, const std::vector<uint8_t>& pixels) {
  TextureEntry entry;
  entry.width = level.width;
  entry.height = level.height;
  entry.bitsPerPixel = level.bitsPerPixel;
  entry.averageColor = level.averageColor;
  const bool bumped = level.bitsPerPixel == 16 && level.palette >= 0;
  entry.transparency = !level.opacity ? 0 : bumped ? 1 : 8;
  entry.bumpFlags = bumped ? 16 : 0;
  entry.occlusion = level.occlusion ? kOcclusionFlag : 0;
  entry.palette = level.palette;
  entry.textureId = level.textureId;
  entry.mipInfo = level.mipInfo;

  const bool second = level.mipmapped && level.width >= 16 && level.height >= 16 &&
                      !(level.width == 16 && level.height == 16);
  TexturePacker& packer = second ? *db.secondPacker : *db.firstPacker;
  if (!second) db.secondPacker->pinFlag = false;
  const uint32_t rowBytes = level.width * level.bitsPerPixel / 8;
  if (!packer.allocate(rowBytes, level.height, level.bitsPerPixel, entry.offset, entry.pitch)) {
    std::string message = "Ran out of texture space (";
    message += second ? "secondPacker" : "firstPacker";
    message += ").\nPlease start again with original copies of swp and pid,\nand run the SWP Update option";
    if (db.outOfSpace) {
      db.outOfSpace(message);
    } else {
      std::fprintf(stderr, "%s\n", message.c_str());
      std::exit(3);
    }
    return false;
  }
  db.entries.push_back(entry);
  for (uint32_t r = 0; r < level.height; ++r)
    db.swpPages->write(uint64_t{entry.offset} + uint64_t{r} * entry.pitch, &pixels[size_t{r} * rowBytes],
                       rowBytes);
  return true;
}

}  // namespace

bool TextureDatabase::BeginPidUpdate(const std::string& pid, const std::string& swp) {
  failure.clear();
  if (!read(pid)) {
    failure = "\"" + pid + "\": " +
              (canOpenForReading(pid) ? std::string("not a readable texture index") : lastSystemError());
    clear();
    return false;
  }
  pidPath = pid;
  swpPath = swp;
  swpFile = swp.empty() ? nullptr : openFile(swp, "r+b");
  if (!swpFile) {
    failure = "\"" + swp + "\": " + lastSystemError();
    clear();
    return false;
  }
  swpPages = std::make_shared<SwpPageCache>(swpFile);
  if (!swpPages->ok()) {  // its size is needed to undo a failed update
    failure = "\"" + swp + "\": " + lastSystemError();
    std::fclose(swpFile);
    swpFile = nullptr;
    swpPages.reset();
    clear();
    return false;
  }

  firstStart = static_cast<uint32_t>(std::min<uint64_t>(roundUpToPage(primaryUsed), UINT32_MAX));
  uint32_t markerHalves = 0;
  if (hasPackerMarker()) {
    firstStart = entries.back().offset;
    markerHalves = entries.back().height;
    entries.pop_back();
  }

  std::vector<StoredImage> stored;
  stored.reserve(entries.size());
  uint64_t highest = primaryLimit;
  for (const TextureEntry& e : entries) {
    const uint64_t rowBytes = std::min<uint64_t>(rowBytesOf(e), uint64_t{1} << 33);
    if (e.height > 0 && rowBytes > 0)
      highest = std::max(highest, uint64_t{e.offset} + uint64_t{e.height - 1} * e.pitch + rowBytes);
    stored.push_back({e.offset, rowBytes, e.height, e.pitch, e.bitsPerPixel});
  }

  firstPacker = std::make_unique<TexturePacker>(firstStart, primaryLimit);
  // Pages of earlier updates (and any image that strays into new pages)
  // come back occupied.
  firstPacker->setStoredImages(std::move(stored));
  while (firstPacker->halfCount() < markerHalves && firstPacker->openPage() >= 0) {
  }
  const uint64_t secondStart = std::min<uint64_t>(roundUpToPage(highest), UINT32_MAX);
  secondPacker = std::make_unique<TexturePacker>(static_cast<uint32_t>(secondStart), std::nullopt);
  return true;
}

// The order makes the PID's replacement the commit point: the SWP's new
// pixels and whole pages, then the SPZ word, reach the disk first. Until the
// PID is replaced no entry names a new byte, so a stop before it leaves the
// old level with spare pages, and a rerun adds the textures again. A failure
// before it also puts back the SWP's old bytes and size and the SPZ's word.
bool TextureDatabase::EndPidUpdate(const std::string& spzPath) {
  renumberPalettes();
  failure.clear();
  const uint64_t originalSize = swpPages ? swpPages->originalSize() : 0;
  bool swpChanged = false;
  std::vector<uint8_t> spzStart;  // the SPZ's first bytes before they were written
  bool spzChanged = false;
  auto finish = [&](bool result) {
    if (!result && swpChanged) {
      if (!swpFile) swpFile = openFile(swpPath, "r+b");
      if (swpFile && swpPages->restore(swpFile)) syncFile(swpFile);
    }
    if (swpFile) std::fclose(swpFile);
    swpFile = nullptr;
    if (!result && swpChanged) resizeFile(swpPath, originalSize);
    if (!result && spzChanged) {
      if (std::FILE* spz = openFile(spzPath, "r+b")) {
        std::fwrite(spzStart.data(), 1, spzStart.size(), spz);
        syncFile(spz);
        std::fclose(spz);
      }
      if (spzStart.size() < 4) resizeFile(spzPath, spzStart.size());
    }
    swpPages.reset();
    firstPacker.reset();
    secondPacker.reset();
    clear();
    return result;
  };
  auto fail = [&](const std::string& path) {
    failure = "\"" + path + "\": " + lastSystemError();
    return finish(false);
  };
  if (!swpFile || !swpPages || !firstPacker) {
    failure = "\"" + swpPath + "\": no update is open";
    return finish(false);
  }

  // Whole pages: the file ends at the rounded size and the byte at the end
  // is what reading the file there gave (0xFF past its end), the bytes before
  // it zero. The SWP takes its new size in one step right before the SPZ
  // word records it, so that only a stop between those two leaves them
  // differing; the pixels follow inside the new size.
  const uint64_t size = swpPages->flushedSize();
  const uint64_t rounded = roundUpToPage(size);
  std::FILE* spz = nullptr;
  if (!spzPath.empty()) {
    spz = openFile(spzPath, "r+b");
    if (!spz) return fail(spzPath);
    spzStart.resize(4);
    spzStart.resize(std::fread(spzStart.data(), 1, 4, spz));
    if (std::fseek(spz, 0, SEEK_SET) != 0) {
      failure = "\"" + spzPath + "\": " + lastSystemError();
      std::fclose(spz);
      return finish(false);
    }
  }
  swpChanged = true;
  auto failWithSpz = [&](const std::string& path) {
    failure = "\"" + path + "\": " + lastSystemError();
    std::fclose(spz);
    spz = nullptr;
    return finish(false);
  };
  // Growing by writing the end byte itself means a rerun after a stop reads
  // the same 0xFF there.
  const bool endByte = rounded > 0 && rounded - 1 >= size;
  if (rounded > originalSize) {
    const bool grown = endByte ? seekFile(swpFile, rounded - 1) &&
                                     std::fputc(0xFF, swpFile) != EOF && std::fflush(swpFile) == 0
                               : resizeFile(swpFile, rounded);
    if (!grown) return spz ? failWithSpz(swpPath) : fail(swpPath);
  }
  if (spz) {
    uint8_t word[4];
    encodeU32(word, static_cast<uint32_t>(rounded));
    spzChanged = true;
    if (std::fwrite(word, 1, 4, spz) != 4 || !syncFile(spz)) return failWithSpz(spzPath);
    const int spzClosed = std::fclose(spz);
    spz = nullptr;
    if (spzClosed != 0) return fail(spzPath);
  }
  if (!swpPages->flush()) return fail(swpPath);
  if (!syncFile(swpFile)) return fail(swpPath);
  const int closed = std::fclose(swpFile);
  swpFile = nullptr;
  if (closed != 0) return fail(swpPath);

  if (firstPacker->halfCount() > 0)
    entries.push_back(packerMarker(firstPacker->firstPageOffset(), firstPacker->halfCount()));
  primaryUsed = firstPacker->nextPageOffset();
  if (!write(pidPath)) return fail(pidPath);
  swpChanged = spzChanged = false;  // committed

  if (!spzPath.empty()) {
    std::optional<int64_t> time = lastWriteTime(spzPath);
    if (time) setLastWriteTime(swpPath, *time);
  }
  return finish(true);
}

bool TextureDatabase::addTexture(const std::string& bitmapPath, uint32_t id,
                                 const std::string& opacityPath, const std::string& bumpPath,
                                 bool mipmaps, bool occlusion) {
  if (!swpPages || !firstPacker || !secondPacker) return false;
  bool hasOpacity = !opacityPath.empty();
  const bool hasBump = !bumpPath.empty();

  std::optional<TextureBitmap> bitmap = readBitmap(bitmapPath, true);
  if (!bitmap) return false;
  // Neither a row longer than a page nor more rows than a page has can be placed.
  if (bitmap->width > 256 || bitmap->height > 256) return false;
  const uint32_t width = static_cast<uint32_t>(bitmap->width);
  const uint32_t height = static_cast<uint32_t>(bitmap->height);

  auto removeEntries = [&] {
    std::erase_if(entries, [id](const TextureEntry& e) { return e.textureId == id; });
  };

  if (bitmap->bitsPerPixel == 24) {
    std::optional<TextureBitmap> opacity;
    if (hasOpacity) opacity = readBitmap(opacityPath, false);
    hasOpacity = opacity.has_value();
    std::vector<uint8_t> words = convertTrueColor(*bitmap, opacity ? &*opacity : nullptr);
    removeEntries();
    LevelInfo level;
    level.width = width;
    level.height = height;
    level.bitsPerPixel = 16;
    level.opacity = hasOpacity;
    level.occlusion = occlusion;
    level.textureId = id;
    return placeLevel(*this, level, words);
  }
  if (bitmap->bitsPerPixel != 8) return false;

  if (hasOpacity) {
    std::optional<TextureBitmap> opacity = readBitmap(opacityPath, true);
    if (opacity) applyOpacity(*bitmap, *opacity);
  }
  uint32_t colorCount = bitmap->colorCount;
  uint32_t bitsPerPixel = 8;
  if (hasBump && readBitmap(bumpPath, false)) {
    bitsPerPixel = 16;
    colorCount = std::min<uint32_t>(colorCount, 64);
  }
  const uint32_t average = averageColor(*bitmap, hasOpacity);
  removeEntries();
  const int32_t palette = colorCount > 0 ? findOrAddPalette(colorCount, bitmap->colors.data()) : -1;

  std::vector<uint8_t> pixels =
      bitsPerPixel == 16 ? bumpIndices(bitmap->pixels) : std::move(bitmap->pixels);
  LevelInfo level;
  level.width = width;
  level.height = height;
  level.bitsPerPixel = bitsPerPixel;
  level.averageColor = average;
  level.palette = palette;
  level.opacity = hasOpacity;
  level.occlusion = occlusion;
  level.mipmapped = mipmaps;
  level.textureId = id;
  secondPacker->pinFlag = true;
  secondPacker->pinnedPair = -1;
  for (;;) {
    if (!placeLevel(*this, level, pixels)) {
      secondPacker->pinFlag = false;
      return false;
    }
    if (level.width < 16 || level.height < 16 || !mipmaps) break;
    halveInPlace(pixels, level.width, level.height, bitsPerPixel / 8);
    level.width /= 2;
    level.height /= 2;
    const uint32_t handle =
        palette >= 0 ? static_cast<uint32_t>(palettes[palette].handle) & 0xFFF00000u : 0;
    level.mipInfo = handle | ((level.height * 1024) & 0xFFF00u) | (level.width & 0xFFu);
  }
  secondPacker->pinFlag = false;
  return true;
}

}  // namespace quorvel
