#include "textures/bmp_reader.h"

#include <cstdlib>

#include "report/message_sink.h"
#include "platform/file_system.h"
#include "util/byte_io.h"

namespace quorvel {

namespace {

// Offsets of the BMP fields we seek to; the pixel offset (10) is followed
// by the header size, width, height, and the depth (28) by the compression.
constexpr size_t kPixelOffsetField = 10;
constexpr size_t kDepthField = 28;
constexpr size_t kColorsUsedField = 46;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kMinimumHeaderSize = kFileHeaderSize + 40;

struct BmpHeader {
  uint32_t pixelOffset = 0;
  uint32_t infoSize = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t depth = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
};

bool startsWithMagic(std::span<const uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

// Reads the fixed header fields; false when the file is too short for them.
bool readHeader(std::span<const uint8_t> bytes, BmpHeader& header) {
  ByteReader in(bytes);
  return in.seek(kPixelOffsetField) && in.readU32(header.pixelOffset) && in.readU32(header.infoSize) &&
         in.readI32(header.width) && in.readI32(header.height) && in.seek(kDepthField) &&
         in.readU16(header.depth) && in.readU32(header.compression) && in.seek(kColorsUsedField) &&
         in.readU32(header.colorsUsed);
}

void report(std::FILE* diagnostics, const char* text) {
  if (diagnostics) std::fputs(text, diagnostics);
}

int64_t absoluteHeight(int32_t height) { return std::llabs(static_cast<int64_t>(height)); }

}  // namespace

std::optional<TextureBitmap> parseBitmap(std::span<const uint8_t> bytes, bool withColors,
                                         std::FILE* diagnostics) {
  if (!startsWithMagic(bytes)) {
    report(diagnostics, "\nERROR! not a valid BMP file :P\n");
    return std::nullopt;
  }
  BmpHeader header;
  if (!readHeader(bytes, header) || bytes.size() < kMinimumHeaderSize) {
    report(diagnostics, "\nERROR! damaged BMP file (the header is cut short)\n");
    return std::nullopt;
  }
  if (header.depth != 8 && header.depth != 24) {
    report(diagnostics,
           "\nERROR! Unrecognized BMP format (only support 24-bit RGB and 8-bit paletted\n");
    return std::nullopt;
  }
  // Run-length and bit-field data would be taken for raw rows: refuse them.
  if (header.compression != 0) {
    report(diagnostics, "\nERROR! compressed BMP files are not supported\n");
    return std::nullopt;
  }
  // Older 12-byte core headers keep their fields elsewhere.
  if (header.infoSize < 40) {
    report(diagnostics, "\nERROR! damaged BMP file (unknown header size)\n");
    return std::nullopt;
  }
  if (header.width <= 0 || header.height == 0) {
    report(diagnostics, "\nERROR! damaged BMP file (no pixels)\n");
    return std::nullopt;
  }

  TextureBitmap bitmap;
  bitmap.width = header.width;
  bitmap.height = static_cast<int32_t>(absoluteHeight(header.height));
  bitmap.bitsPerPixel = header.depth;
  const uint64_t width = static_cast<uint64_t>(bitmap.width);
  const uint64_t rows = static_cast<uint64_t>(bitmap.height);
  const uint64_t bytesPerPixel = header.depth / 8;
  const uint64_t rowBytes = width * bytesPerPixel;
  const uint64_t stride = (rowBytes + 3) & ~uint64_t{3};

  if (header.depth == 8 && withColors) {
    uint32_t count = header.colorsUsed == 0 ? 256 : header.colorsUsed;
    if (count > 256) count = 256;
    const uint64_t tableStart = uint64_t{kFileHeaderSize} + header.infoSize;
    if (tableStart + uint64_t{4} * count > bytes.size()) {
      report(diagnostics, "\nERROR! damaged BMP file (the colour table lies outside the file)\n");
      return std::nullopt;
    }
    bitmap.colorCount = count;
    bitmap.colors.assign(bytes.begin() + tableStart, bytes.begin() + tableStart + 4 * count);
  }

  // The last row may lack its padding; every byte of every row must be there.
  const uint64_t needed = uint64_t{header.pixelOffset} + stride * (rows - 1) + rowBytes;
  if (needed > bytes.size()) {
    report(diagnostics, "\nERROR! damaged BMP file (the pixel rows lie outside the file)\n");
    return std::nullopt;
  }

  const bool topDown = header.height < 0;
  const uint64_t outRowBytes = header.depth == 8 ? width : width * 4;
  bitmap.pixels.resize(outRowBytes * rows);
  for (uint64_t r = 0; r < rows; ++r) {
    const uint8_t* src = bytes.data() + header.pixelOffset + r * stride;
    const uint64_t outRow = topDown ? rows - 1 - r : r;
    uint8_t* dst = bitmap.pixels.data() + outRow * outRowBytes;
    if (header.depth == 8) {
      std::memcpy(dst, src, width);
    } else {
      for (uint64_t x = 0; x < width; ++x, src += 3, dst += 4) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
        dst[3] = 0;
      }
    }
  }
  return bitmap;
}

std::optional<TextureBitmap> readBitmap(const std::string& path, bool withColors) {
  std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
  if (!bytes) return std::nullopt;
  return parseBitmap(*bytes, withColors, stdout);
}

bool checkTextureBitmap(const std::string& path, MessageSink& log) {
  const char* name = path.c_str();
  std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
  if (!bytes) {
    // A missing file is the caller's to report; one that exists is unreadable.
    if (!fileExists(path)) return false;
    log.problem = true;
    log.logMessage("      ERROR: could not read \"%s\": %s", name, lastSystemError().c_str());
    return false;
  }
  BmpHeader header;
  if (!startsWithMagic(*bytes) || !readHeader(*bytes, header)) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is not a valid BMP file", name);
    return false;
  }
  const int64_t height = absoluteHeight(header.height);
  if (header.depth == 8 && header.width > 256) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is too big. Max texture size is 256x256", name);
    return false;
  }
  if (header.depth != 8 && header.depth != 24) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is not a valid 8bit palette or 24bit RGB BMP file", name);
    return false;
  }
  if (height > 256) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is too big. Max texture size is 256x256", name);
    return false;
  }
  if (header.depth == 24 && header.width > 256) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is too big. Max 24bit texture size is 256x256", name);
    return false;
  }
  if (header.compression != 0) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is not a valid 8bit palette or 24bit RGB BMP file", name);
    return false;
  }
  // Whatever the packer would fail to read is refused here already.
  if (!parseBitmap(*bytes, true, nullptr)) {
    log.problem = true;
    log.logMessage("      ERROR: \"%s\" is not a valid BMP file", name);
    return false;
  }
  if (header.depth == 24) {
    log.problem = true;
    log.logMessage("      NOTE: 24bit RGB textures are experimental and may not work (\"%s\")\n", name);
  }
  return true;
}

}  // namespace quorvel
