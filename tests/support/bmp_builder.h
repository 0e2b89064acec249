// Builds small BMP files for the texture tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::testing_support {

struct BmpOptions {
  int32_t width = 1;
  int32_t height = 1;       // negative: rows stored top-down
  uint16_t depth = 8;
  uint32_t colorsUsed = 0;  // the header field; the table written has `colors.size() / 4` entries
  uint32_t compression = 0;
  std::vector<uint8_t> colors;  // blue, green, red, fourth
  // Rows in file order, unpadded: width bytes (8-bit) or width * 3 bytes
  // (24-bit, blue, green, red) each; padding is added here.
  std::vector<uint8_t> rows;
};

std::vector<uint8_t> buildBmp(const BmpOptions& options);

// An 8-bit bitmap whose pixel (x, y) in file order is pixel(x, y), with a
// palette of `colorCount` distinct colours (colour i = i, 255 - i, i / 2).
std::vector<uint8_t> buildIndexedBmp(int32_t width, int32_t height, uint32_t colorCount,
                                     uint8_t (*pixel)(int32_t x, int32_t y));
// A 24-bit bitmap, every pixel the colour red, green, blue.
std::vector<uint8_t> buildSolidBmp24(int32_t width, int32_t height, uint8_t red, uint8_t green,
                                     uint8_t blue);

}  // namespace quorvel::testing_support
