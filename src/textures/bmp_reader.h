// Texture bitmaps: uncompressed 8-bit paletted and 24-bit RGB BMP files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

class MessageSink;

// One bitmap in memory. Rows are packed without padding, bottom row first
// (top-down files are turned round when read, so every bitmap has the order
// of an ordinary BMP and a positive height).
struct TextureBitmap {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colorCount = 0;  // 8-bit read with colours: entries in `colors`
  uint32_t bitsPerPixel = 0;  // 8 or 24
  std::vector<uint8_t> colors;  // colorCount x (blue, green, red, fourth) as stored
  // 8-bit: width x height palette indices; 24-bit: width x height x
  // (red, green, blue, 0).
  std::vector<uint8_t> pixels;
};

// Parses a BMP held in memory. `withColors` also reads the colour table of
// an 8-bit bitmap. Returns nothing for anything but an uncompressed 8- or
// 24-bit BMP whose header, colour table and pixel rows all lie inside
// `bytes`; the reason goes to `diagnostics` (null = silent).
std::optional<TextureBitmap> parseBitmap(std::span<const uint8_t> bytes, bool withColors,
                                         std::FILE* diagnostics);

// Reads a BMP file; a file that cannot be opened gives nothing silently,
// other failures print their reason to standard output.
std::optional<TextureBitmap> readBitmap(const std::string& path, bool withColors);

// The acceptance test for a texture bitmap. ERROR lines are logged without
// their line end (the caller finishes the line); each ERROR or NOTE sets the
// problem flag. A missing file fails silently.
bool checkTextureBitmap(const std::string& path, MessageSink& log);

}  // namespace quorvel
